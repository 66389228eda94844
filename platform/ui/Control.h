// CUiControl: what the layer's standard controls share. A control keeps the
// font its dialog gives it (WM_SETFONT), asks for colours before it paints,
// and reports to its parent with WM_COMMAND notifications.
//
// A control's behaviour lives in handlers, one message each: CWnd's named
// handlers for the standard messages (OnLButtonDown, OnKeyDown, OnChar,
// OnPaint, ...), the same ones a program window overrides, and small
// functions for the control's own messages (EM_*, LB_*, TCM_*, BM_*), which
// its DefWindowProc calls. A program class derived from a control overrides
// the handler of the one behaviour it changes and calls the control's
// handler for the rest:
//
//   void OnChar(UINT ch, UINT repeat, UINT flags) override {
//     if (Accepts(ch)) CEdit::OnChar(ch, repeat, flags);
//   }
//
// Default() there would skip the control: it is the window system's
// handling, beneath the control's.
//
// Colours: the control first sends itself WM_REFLECT_CTLCOLOR (wParam the
// DC, lParam the CTLCOLOR_ kind), where a derived control may choose its own
// colours and brush; without a brush from there the parent is asked with
// WM_CTLCOLOR<kind>; without one from there either the scheme's colour is
// used.
#pragma once

#include "platform/core/Wnd.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/UiTypes.h"

class CUiControl : public CWnd {
 public:
  CUiControl();
  ~CUiControl() override;

  void SetFont(CFont* font, BOOL redraw = TRUE);
  HFONT GetFontHandle() const { return font_ ? font_ : static_cast<HFONT>(defaultFont_); }

 protected:
  // The paint fills everything: nothing to erase.
  BOOL OnEraseBkgnd(CDC* dc) override;
  // WM_SETFONT and WM_GETFONT.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // Selects the control's font, sets the scheme's text colour and
  // background, then asks for a brush as described above and fills the
  // area with it (with defaultBack when none comes).
  void PrepareAndFill(CDC& dc, UINT ctlColorMsg, const RECT& area, COLORREF defaultBack);
  // WM_COMMAND to the parent: (id, code) and this control's handle.
  void Notify(UINT code);

 private:
  HFONT font_ = nullptr;
  CFont defaultFont_;
};
