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
  // The button's behaviour, one message at a time; a derived button
  // overrides one and calls this one for the rest.
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonDblClk(UINT flags, CPoint point) override;  // a second press
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnCaptureChanged(CWnd* wnd) override;
  void OnKeyDown(UINT ch, UINT repeat, UINT flags) override;  // Space presses
  void OnKeyUp(UINT ch, UINT repeat, UINT flags) override;    // Space clicks
  void OnSetFocus(CWnd* oldWnd) override;
  void OnKillFocus(CWnd* newWnd) override;
  void OnEnable(BOOL enable) override;
  void OnPaint() override;
  // The button's own messages (BM_*), WM_SETTEXT and WM_GETDLGCODE.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  bool IsCheckBox() const;
  // What a click does: an automatic check box toggles, and the parent gets
  // BN_CLICKED.
  void Click();
  void Press(bool pushed);
  LRESULT OnGetCheck() const;
  void OnSetCheck(int check);
  LRESULT OnGetState() const;
  void OnSetState(bool pushed);
  void OnSetStyle(UINT style, bool redraw);
  void OnClickMessage();
  LRESULT OnGetDlgCode() const;
  LRESULT OnSetText(WPARAM wParam, LPARAM lParam);

  int check_ = BST_UNCHECKED;
  bool pushed_ = false;
  bool tracking_ = false;
  bool focused_ = false;
};
