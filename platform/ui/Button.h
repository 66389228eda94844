// CButton: push buttons (plain and default), check boxes (plain and
// automatic) and owner-drawn buttons. A click (mouse released over the
// button, Space, or BM_CLICK) reports BN_CLICKED to the parent. An
// owner-drawn button asks its parent to draw it with WM_DRAWITEM, which the
// window system routes back to this object's DrawItem when the parent leaves
// it to the default.
#pragma once

#include "platform/ui/Control.h"

class CButton : public CUiControl {
 public:
  BOOL Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int GetCheck() const;
  void SetCheck(int check);
  UINT GetState() const;
  void SetState(BOOL pushed);
  UINT GetButtonStyle() const { return GetStyle() & BS_TYPEMASK; }
  void SetButtonStyle(UINT style, BOOL redraw = TRUE);

 protected:
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnPaint() override;

 private:
  bool IsCheckBox() const;
  void Click();
  int check_ = BST_UNCHECKED;
  bool pushed_ = false;
  bool tracking_ = false;
  bool focused_ = false;
};
