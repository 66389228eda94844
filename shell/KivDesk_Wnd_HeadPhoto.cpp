#include "shell/KivDesk_Wnd_HeadPhoto.h"

BOOL CKivDesk_Wnd_HeadPhoto::OnEraseBkgnd(CDC*) { return TRUE; }

void CKivDesk_Wnd_HeadPhoto::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
  CBitmap* oldCanvas = memory.SelectObject(&canvas);
  memory.FillSolidRect(&client, kBackground);
  if (photo_.GetSafeHandle() || photo_.LoadBitmap(m_nBitmapId)) {
    const CSize size = photo_.GetSize();
    CDC skin;
    skin.CreateCompatibleDC(&memory);
    CBitmap* oldSkin = skin.SelectObject(&photo_);
    memory.BitBlt(0, 0, size.cx, size.cy, &skin, 0, 0, SRCCOPY);
    skin.SelectObject(oldSkin);
  }
  dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldCanvas);
}
