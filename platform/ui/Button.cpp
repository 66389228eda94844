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

LRESULT CButton::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case BM_GETCHECK:
      return IsCheckBox() ? check_ : BST_UNCHECKED;
    case BM_SETCHECK:
      if (IsCheckBox() && check_ != static_cast<int>(wParam)) {
        check_ = static_cast<int>(wParam);
        Invalidate();
      }
      return 0;
    case BM_GETSTATE:
      return (IsCheckBox() ? check_ : 0) | (pushed_ ? BST_PUSHED : 0) | (focused_ ? BST_FOCUS : 0);
    case BM_SETSTATE:
      if (pushed_ != (wParam != 0)) {
        pushed_ = wParam != 0;
        Invalidate();
      }
      return 0;
    case BM_SETSTYLE:
      ModifyStyle(BS_TYPEMASK, static_cast<DWORD>(wParam) & BS_TYPEMASK);
      if (lParam) Invalidate();
      return 0;
    case BM_CLICK:
      if (IsWindowEnabled()) Click();
      return 0;
    case WM_GETDLGCODE: {
      UINT type = GetButtonStyle();
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_PUSHBUTTON || type == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      return DLGC_BUTTON;
    }
    case WM_SETTEXT: {
      LRESULT r = CWnd::DefWindowProc(msg, wParam, lParam);
      Invalidate();
      return r;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ::SetFocus(m_hWnd);
      ::SetCapture(m_hWnd);
      tracking_ = true;
      pushed_ = true;
      Invalidate();
      return 0;
    case WM_MOUSEMOVE:
      if (tracking_) {
        CRect client;
        GetClientRect(&client);
        bool inside = client.PtInRect(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) != FALSE;
        if (inside != pushed_) {
          pushed_ = inside;
          Invalidate();
        }
      }
      return 0;
    case WM_LBUTTONUP: {
      if (!tracking_) return 0;
      tracking_ = false;
      bool click = pushed_;
      pushed_ = false;
      ::ReleaseCapture();
      Invalidate();
      if (click) Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (tracking_ && reinterpret_cast<HWND>(lParam) != m_hWnd) {
        tracking_ = false;
        pushed_ = false;
        Invalidate();
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        pushed_ = true;
        Invalidate();
        return 0;
      }
      break;
    case WM_KEYUP:
      if (wParam == VK_SPACE && pushed_) {
        pushed_ = false;
        Invalidate();
        Click();
        return 0;
      }
      break;
    case WM_SETFOCUS:
      focused_ = true;
      Invalidate();
      break;
    case WM_KILLFOCUS:
      focused_ = false;
      if (pushed_ && !tracking_) pushed_ = false;
      Invalidate();
      break;
    case WM_ENABLE:
      Invalidate();
      break;
    default:
      break;
  }
  return CUiControl::DefWindowProc(msg, wParam, lParam);
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
