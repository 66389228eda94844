#include "shell/KivDesk_Wnd_Tab2.h"

#include "shell/KivUiTheme.h"
#include "shell/ShellIds.h"

void CKivDesk_Wnd_Tab2::SetItemCount(int count) { items_.SetCount(count); }

int CKivDesk_Wnd_Tab2::SetItemText(int index, const char* text) { return items_.SetText(index, text); }

int CKivDesk_Wnd_Tab2::SetCurSel(int index) {
  const int result = items_.SetCurSel(index);
  if (result >= 0 && m_hWnd) Invalidate();
  return result;
}

BOOL CKivDesk_Wnd_Tab2::GetItemRect(int index, RECT* rect) const {
  if (rect == nullptr || !items_.InRange(index)) return FALSE;
  *rect = items_.ItemRect(index);
  return TRUE;
}

void CKivDesk_Wnd_Tab2::OnLButtonUp(UINT flags, CPoint point) {
  const int hit = items_.CaptionedItemAt(point);
  if (hit >= 0) {
    items_.SetCurSel(hit);
    Invalidate();
    if (CWnd* parent = GetParent()) parent->PostMessage(WM_KIV_SELECT, static_cast<WPARAM>(GetDlgCtrlID()), hit);
  }
  CWnd::OnLButtonUp(flags, point);
}

BOOL CKivDesk_Wnd_Tab2::OnEraseBkgnd(CDC*) {
  return TRUE;  // the paint covers every pixel
}

void CKivDesk_Wnd_Tab2::OnPaint() {
  canvas_.PaintWindow(this, [this](CDC& dc, const CRect& client) { DrawItems(dc, client); });
}

void CKivDesk_Wnd_Tab2::DrawItems(CDC& dc, const CRect& client) {
  if (!font_.GetSafeHandle()) font_.CreateFontIndirect(&UiTheme().lfSmall);
  dc.FillSolidRect(&client, kBackground);
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  const COLORREF oldColour = dc.GetTextColor();
  CFont* oldFont = dc.SelectObject(&font_);
  CPen divider(PS_SOLID, 1, UiTheme().clrText);
  CPen* oldPen = dc.SelectObject(&divider);

  const int count = items_.Count();
  int x = kFirstItemLeft;
  for (int i = 0; i < count; ++i) {
    if (!items_.HasText(i)) {
      items_.SetItemRect(i, CRect());  // takes no room and catches no release
      continue;
    }
    const std::string& text = items_.Text(i);
    const CSize extent = dc.GetTextExtent(text);
    const CRect rect(x + 1, client.top, x + extent.cx + 10, client.bottom - 1);
    items_.SetItemRect(i, rect);
    dc.SetTextColor(i == items_.CurSel() ? kSelectedText : UiTheme().clrText);
    dc.TextOut(x + 5, (client.bottom - extent.cy - 1 + client.top) / 2, text);
    x = rect.right;
    if (i != count - 1) {
      dc.MoveTo(x, (client.bottom - extent.cy - 1 + client.top) / 2 + 4);
      dc.LineTo(x, (extent.cy + client.bottom - 1 + client.top) / 2 - 4);
    }
  }

  CPen bottomLine(PS_SOLID, 1, kBottomLine);
  dc.SelectObject(&bottomLine);
  dc.MoveTo(client.left, client.bottom - 1);
  dc.LineTo(client.right, client.bottom - 1);

  dc.SelectObject(oldPen);
  dc.SelectObject(oldFont);
  dc.SetTextColor(oldColour);
  dc.SetBkMode(oldMode);
}
