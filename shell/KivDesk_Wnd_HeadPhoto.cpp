#include "shell/KivDesk_Wnd_HeadPhoto.h"

#include "platform/gdi/BitmapBlit.h"

BOOL CKivDesk_Wnd_HeadPhoto::OnEraseBkgnd(CDC*) { return TRUE; }

void CKivDesk_Wnd_HeadPhoto::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  kiv::gdi::MemoryCanvas canvas(dc, client.Width(), client.Height());
  CDC& memory = canvas.Dc();
  memory.FillSolidRect(&client, kBackground);
  if (photo_.GetSafeHandle() || photo_.LoadBitmap(m_nBitmapId)) kiv::gdi::DrawBitmap(memory, photo_, 0, 0);
  canvas.CopyTo(dc);
}
