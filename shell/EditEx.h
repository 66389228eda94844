// CEditEx: an edit control with its own text and background colours, its
// own font, an optional character filter and an optional context menu (the
// F10 company-information view shows its text in one).
//
// Ownership: the edit owns its background brush, its font and its filter
// and frees them with itself; the owner creates the edit (CEdit::Create) and
// destroys its window before deleting it. Only the UI thread may call it.
#pragma once

#include <memory>

#include "platform/gdi/GdiObject.h"
#include "platform/ui/Edit.h"

// Decides which typed characters an edit takes. A refused character is
// dropped with a beep.
class EditCharFilter {
 public:
  virtual ~EditCharFilter() = default;
  // ch: the WM_CHAR code (a GBK character arrives as its two bytes).
  virtual bool Accepts(UINT ch) = 0;
};

class CEditEx : public CEdit {
 public:
  // Colours of the classic scheme (COLOR_WINDOW, COLOR_WINDOWTEXT), no
  // filter, no own font, no context menu.
  CEditEx();
  ~CEditEx() override;

  // A font of this height (LOGFONT units), weight 400 and the GB2312
  // character set, with the pitch-and-family byte and face given, put on the
  // control at once (or when its window is made). `ignored` is not used: the
  // weight stays 400.
  void SetFontEx(int height, int ignored, BYTE pitchAndFamily, LPCSTR faceName);
  // Each returns the previous colour; the next paint uses the new one.
  COLORREF SetBkColor(COLORREF color);
  COLORREF SetTextColor(COLORREF color);
  COLORREF GetBkColor() const { return backColor_; }
  COLORREF GetTextColor() const { return textColor_; }

  // Null removes the filter; the edit owns the one it holds.
  void SetCharFilter(std::unique_ptr<EditCharFilter> filter) { filter_ = std::move(filter); }
  EditCharFilter* GetCharFilter() const { return filter_.get(); }

  // The menu resource whose first sub-menu is the context menu (low 16
  // bits); 0 shows the standard edit menu. Its commands go to the edit.
  void SetContextMenuId(UINT id) { contextMenuId_ = id; }
  UINT GetContextMenuId() const { return contextMenuId_; }

 protected:
  // Makes the background brush from the background colour.
  virtual void CreateBackgroundBrush();

  int OnCreate(LPCREATESTRUCT cs) override;
  void OnChar(UINT ch, UINT repeat, UINT flags) override;
  void OnContextMenu(CWnd* wnd, CPoint screenPoint) override;
  // WM_REFLECT_CTLCOLOR: the edit's own colours and brush.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  CBrush backBrush_;

 private:
  COLORREF backColor_;
  COLORREF textColor_;
  std::unique_ptr<EditCharFilter> filter_;
  std::unique_ptr<CFont> ownFont_;
  UINT contextMenuId_ = 0;
};
