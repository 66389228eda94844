// The button control.
#include "platform/ui/Button.h"

#include <string>

BOOL CButton::Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("BUTTON", caption, style | WS_CHILD, rect, parent, id);
}

int CButton::GetCheck() const {
  return static_cast<int>(const_cast<CButton*>(this)->SendMessage(BM_GETCHECK));
}
void CButton::SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
UINT CButton::GetState() const { return static_cast<UINT>(const_cast<CButton*>(this)->SendMessage(BM_GETSTATE)); }
void CButton::SetState(BOOL pushed) { SendMessage(BM_SETSTATE, pushed); }
void CButton::SetButtonStyle(UINT style, BOOL redraw) { SendMessage(BM_SETSTYLE, style, redraw); }

bool CButton::IsCheckBox() const {
  UINT type = GetButtonStyle();
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
}

void CButton::Click() {
  if (GetButtonStyle() == BS_AUTOCHECKBOX) {
    check_ = check_ == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    Invalidate();
  }
  Notify(BN_CLICKED);
}

void CButton::Press(bool pushed) {
  if (pushed_ == pushed) return;
  pushed_ = pushed;
  Invalidate();
}

// --- Standard messages ---------------------------------------------------------

void CButton::OnLButtonDown(UINT, CPoint) {
  ::SetFocus(m_hWnd);
  ::SetCapture(m_hWnd);
  tracking_ = true;
  pushed_ = true;
  Invalidate();
}

void CButton::OnLButtonDblClk(UINT flags, CPoint point) { CButton::OnLButtonDown(flags, point); }

void CButton::OnMouseMove(UINT, CPoint point) {
  if (!tracking_) return;
  // Pushed while the pointer is over the button, released when it leaves.
  CRect client;
  GetClientRect(&client);
  Press(client.PtInRect(point) != FALSE);
}

void CButton::OnLButtonUp(UINT, CPoint) {
  if (!tracking_) return;
  tracking_ = false;
  bool click = pushed_;
  pushed_ = false;
  ::ReleaseCapture();
  Invalidate();
  if (click) Click();
}

void CButton::OnCaptureChanged(CWnd* wnd) {
  if (tracking_ && wnd != this) {
    tracking_ = false;
    pushed_ = false;
    Invalidate();
  }
}

void CButton::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
  if (ch == VK_SPACE) {
    pushed_ = true;
    Invalidate();
    return;
  }
  CUiControl::OnKeyDown(ch, repeat, flags);
}

void CButton::OnKeyUp(UINT ch, UINT repeat, UINT flags) {
  if (ch == VK_SPACE && pushed_) {
    pushed_ = false;
    Invalidate();
    Click();
    return;
  }
  CUiControl::OnKeyUp(ch, repeat, flags);
}

void CButton::OnSetFocus(CWnd* oldWnd) {
  focused_ = true;
  Invalidate();
  CUiControl::OnSetFocus(oldWnd);
}

void CButton::OnKillFocus(CWnd* newWnd) {
  focused_ = false;
  if (pushed_ && !tracking_) pushed_ = false;  // Space went down here and up elsewhere
  Invalidate();
  CUiControl::OnKillFocus(newWnd);
}

void CButton::OnEnable(BOOL enable) {
  Invalidate();
  CUiControl::OnEnable(enable);
}

// --- The button's own messages -------------------------------------------------

LRESULT CButton::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case BM_GETCHECK: return OnGetCheck();
    case BM_SETCHECK: OnSetCheck(static_cast<int>(wParam)); return 0;
    case BM_GETSTATE: return OnGetState();
    case BM_SETSTATE: OnSetState(wParam != 0); return 0;
    case BM_SETSTYLE: OnSetStyle(static_cast<UINT>(wParam), lParam != 0); return 0;
    case BM_CLICK: OnClickMessage(); return 0;
    case WM_GETDLGCODE: return OnGetDlgCode();
    case WM_SETTEXT: return OnSetText(wParam, lParam);
    default: return CUiControl::DefWindowProc(msg, wParam, lParam);
  }
}

LRESULT CButton::OnGetCheck() const { return IsCheckBox() ? check_ : BST_UNCHECKED; }

void CButton::OnSetCheck(int check) {
  if (IsCheckBox() && check_ != check) {
    check_ = check;
    Invalidate();
  }
}

LRESULT CButton::OnGetState() const {
  return (IsCheckBox() ? check_ : 0) | (pushed_ ? BST_PUSHED : 0) | (focused_ ? BST_FOCUS : 0);
}

void CButton::OnSetState(bool pushed) { Press(pushed); }

void CButton::OnSetStyle(UINT style, bool redraw) {
  ModifyStyle(BS_TYPEMASK, style & BS_TYPEMASK);
  if (redraw) Invalidate();
}

void CButton::OnClickMessage() {
  if (IsWindowEnabled()) Click();
}

LRESULT CButton::OnGetDlgCode() const {
  UINT type = GetButtonStyle();
  if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
  if (type == BS_PUSHBUTTON || type == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
  return DLGC_BUTTON;
}

LRESULT CButton::OnSetText(WPARAM wParam, LPARAM lParam) {
  LRESULT r = CUiControl::DefWindowProc(WM_SETTEXT, wParam, lParam);
  Invalidate();
  return r;
}

void CButton::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  UINT type = GetButtonStyle();
  if (type == BS_OWNERDRAW) {
    ::SelectObject(dc.GetSafeHdc(), GetFontHandle());
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID());
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = (pushed_ ? ODS_SELECTED : 0) | (focused_ ? ODS_FOCUS : 0) |
                    (IsWindowEnabled() ? 0 : ODS_DISABLED);
    dis.hwndItem = m_hWnd;
    dis.hDC = dc.GetSafeHdc();
    dis.rcItem = client;
    HWND parent = ::GetParent(m_hWnd);
    if (parent) {
      ::SendMessage(parent, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
    } else {
      DrawItem(&dis);
    }
    return;
  }
  std::string text;
  GetWindowText(text);
  if (IsCheckBox()) {
    PrepareAndFill(dc, WM_CTLCOLORSTATIC, client, kiv::ui::kDialogBack);
    int box = 13;
    CRect boxRect(client.left, client.top + (client.Height() - box) / 2, client.left + box,
                  client.top + (client.Height() - box) / 2 + box);
    dc.FillSolidRect(&boxRect, kiv::ui::kEditBack);
    dc.Draw3dRect(&boxRect, kiv::ui::kFrame, kiv::ui::kFrame);
    if (check_ == BST_CHECKED) {
      CRect mark(boxRect.left + 3, boxRect.top + 3, boxRect.right - 3, boxRect.bottom - 3);
      dc.FillSolidRect(&mark, dc.GetTextColor());
    }
    CRect textRect(boxRect.right + 4, client.top, client.right, client.bottom);
    dc.DrawText(text, &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (focused_) dc.Draw3dRect(&textRect, kiv::ui::kFocusFrame, kiv::ui::kFocusFrame);
    return;
  }
  PrepareAndFill(dc, WM_CTLCOLORBTN, client, pushed_ ? kiv::ui::kButtonPressed : kiv::ui::kButtonFace);
  bool isDefault = type == BS_DEFPUSHBUTTON;
  COLORREF frame = focused_ || isDefault ? kiv::ui::kFocusFrame : kiv::ui::kFrame;
  dc.Draw3dRect(&client, frame, frame);
  CRect textRect = client;
  if (pushed_) textRect.OffsetRect(1, 1);
  dc.DrawText(text, &textRect, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
}
