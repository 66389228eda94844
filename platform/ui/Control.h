// CUiControl: what the layer's standard controls share. A control keeps the
// font its dialog gives it (WM_SETFONT), asks for colours before it paints,
// and reports to its parent with WM_COMMAND notifications.
//
// A control's behaviour is its default window procedure (DefWindowProc), so
// a program class derived from a control overrides the handlers it wants
// (OnChar, OnLButtonDown, ...) and calls the base handler, or Default(), to
// get the control's own handling.
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
