// The static control.
#include "platform/ui/Static.h"

#include <string>

BOOL CStatic::Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("STATIC", text, style | WS_CHILD, rect, parent, id);
}

HBITMAP CStatic::SetBitmap(HBITMAP bitmap) {
  return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
}

LRESULT CStatic::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case STM_SETIMAGE: {
      HBITMAP old = bitmap_;
      if (wParam == IMAGE_BITMAP) bitmap_ = reinterpret_cast<HBITMAP>(lParam);
      Invalidate();
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETIMAGE:
      return reinterpret_cast<LRESULT>(bitmap_);
    case WM_SETTEXT: {
      LRESULT r = CWnd::DefWindowProc(msg, wParam, lParam);
      Invalidate();
      return r;
    }
    case WM_NCHITTEST:
      // A label without SS_NOTIFY lets clicks through to its parent.
      return (GetStyle() & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONDOWN:
      if (GetStyle() & SS_NOTIFY) Notify(STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (GetStyle() & SS_NOTIFY) Notify(STN_DBLCLK);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    default:
      return CUiControl::DefWindowProc(msg, wParam, lParam);
  }
}

void CStatic::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  PrepareAndFill(dc, WM_CTLCOLORSTATIC, client, kiv::ui::kDialogBack);
  DWORD style = GetStyle();
  if ((style & SS_TYPEMASK) == SS_BITMAP) {
    if (!bitmap_) return;
    BITMAP info{};
    if (!::GetObject(bitmap_, sizeof(info), &info)) return;
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    HGDIOBJ old = ::SelectObject(mem.GetSafeHdc(), bitmap_);
    int x = 0, y = 0;
    if (style & SS_CENTERIMAGE) {
      x = (client.Width() - info.bmWidth) / 2;
      y = (client.Height() - info.bmHeight) / 2;
    }
    dc.BitBlt(x, y, info.bmWidth, info.bmHeight, &mem, 0, 0, SRCCOPY);
    ::SelectObject(mem.GetSafeHdc(), old);
    return;
  }
  std::string text;
  GetWindowText(text);
  UINT format = DT_WORDBREAK | DT_NOPREFIX;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format |= DT_CENTER; break;
    case SS_RIGHT: format |= DT_RIGHT; break;
    default: break;
  }
  if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  dc.DrawText(text, &client, format);
}
