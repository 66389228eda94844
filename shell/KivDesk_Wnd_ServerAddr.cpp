#include "shell/KivDesk_Wnd_ServerAddr.h"

#include "platform/gdi/BitmapBlit.h"
#include "shell/ChromeIds.h"
#include "shell/KivUiTheme.h"

CKivDesk_Wnd_ServerAddr::CKivDesk_Wnd_ServerAddr(UINT iconId, CNetService& service, kiv::DataServerLabel* label)
    : iconId_(iconId), service_(service), label_(label) {}

BOOL CKivDesk_Wnd_ServerAddr::OnEraseBkgnd(CDC*) { return TRUE; }

void CKivDesk_Wnd_ServerAddr::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (!font_.GetSafeHandle()) font_.CreateFontIndirect(&UiTheme().lfSmall);
  // The tick invalidates; this paint sets the next one.
  SetTimer(kServerStripTimer, kServerStripMs);
  if (!canvas_.Fit(client.Width(), client.Height())) return;
  Draw(canvas_.Dc(), client);
  dc.BitBlt(0, 0, client.Width(), client.Height(), &canvas_.Dc(), 0, 0, SRCCOPY);
}

void CKivDesk_Wnd_ServerAddr::Draw(CDC& dc, const CRect& client) {
  dc.FillSolidRect(&client, kBackground);
  if (!icon_.GetSafeHandle() && !icon_.LoadBitmap(iconId_)) return;
  const CSize icon = icon_.GetSize();
  kiv::gdi::DrawBitmap(dc, icon_, kIconLeft, client.bottom - static_cast<int>(icon.cy) - kIconBottomMargin);

  CFont* oldFont = dc.SelectObject(&font_);
  const COLORREF oldColour = dc.SetTextColor(kLabelColour);
  const int oldMode = dc.SetBkMode(TRANSPARENT);
  // The label of the server in use becomes the data server's label too.
  shownLabel_ = service_.GetServerAddress();
  if (label_ != nullptr) label_->Set(shownLabel_);
  const CSize text = dc.GetTextExtent(shownLabel_);
  dc.TextOut(client.left + icon.cx + kLabelGap, (client.top - text.cy + client.bottom) / 2 + 2, shownLabel_);
  dc.SetBkMode(oldMode);
  dc.SetTextColor(oldColour);
  dc.SelectObject(oldFont);
}

void CKivDesk_Wnd_ServerAddr::OnTimer(UINT_PTR id) {
  if (id != kServerStripTimer) {
    CWnd::OnTimer(id);
    return;
  }
  KillTimer(kServerStripTimer);
  Invalidate(FALSE);
}
