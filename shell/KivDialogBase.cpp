#include "shell/KivDialogBase.h"

#include "platform/gdi/DC.h"
#include "shell/MinimisedIcon.h"

CKivDialogBase::CKivDialogBase(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

BOOL CKivDialogBase::OnInitDialog() {
  CDialog::OnInitDialog();
  m_brBack.DeleteObject();
  m_brBack.CreateSolidBrush(kBackground);
  return TRUE;
}

BOOL CKivDialogBase::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN)) return FALSE;
  return CDialog::PreTranslateMessage(msg);
}

void CKivDialogBase::OnSysCommand(UINT id, LPARAM lParam) {
  if ((id & 0xFFF0) == kAboutCommand) return;
  CDialog::OnSysCommand(id, lParam);
}

HBRUSH CKivDialogBase::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  HBRUSH brush = CDialog::OnCtlColor(dc, wnd, ctlColor);
  if (ctlColor != CTLCOLOR_DLG || !m_brBack.GetSafeHandle()) return brush;
  dc->SetBkColor(kDcBackground);
  return static_cast<HBRUSH>(m_brBack.GetSafeHandle());
}

void CKivDialogBase::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  PaintMinimisedIcon(*this, m_hIcon);
}

HCURSOR CKivDialogBase::OnQueryDragIcon() { return m_hIcon; }

LRESULT CKivDialogBase::OnNcHitTest(CPoint screenPoint) {
  CRect client;
  GetClientRect(&client);
  ClientToScreen(&client);
  if (client.PtInRect(screenPoint)) return HTCAPTION;
  return CDialog::OnNcHitTest(screenPoint);
}

void CKivDialogBase::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
  if (ch == VK_CANCEL) return;
  CDialog::OnKeyDown(ch, repeat, flags);
}
