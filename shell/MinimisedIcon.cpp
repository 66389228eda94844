#include "shell/MinimisedIcon.h"

void PaintMinimisedIcon(CWnd& wnd, HICON icon) {
  CPaintDC dc(&wnd);
  wnd.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  CRect client;
  wnd.GetClientRect(&client);
  const int x = (client.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  if (icon != nullptr) dc.DrawIcon(x, y, icon);
}
