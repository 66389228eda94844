// The static control.
#include "platform/ui/Static.h"

#include <string>

BOOL CStatic::Create(LPCSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("STATIC", text, style | WS_CHILD, rect, parent, id);
}

HBITMAP CStatic::SetBitmap(HBITMAP bitmap) {
  return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
}

LRESULT CStatic::OnNcHitTest(CPoint) { return (GetStyle() & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT; }

void CStatic::OnLButtonDown(UINT, CPoint) {
  if (GetStyle() & SS_NOTIFY) Notify(STN_CLICKED);
}

void CStatic::OnLButtonDblClk(UINT, CPoint) {
  if (GetStyle() & SS_NOTIFY) Notify(STN_DBLCLK);
}

LRESULT CStatic::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case STM_SETIMAGE: return OnSetImage(static_cast<UINT>(wParam), reinterpret_cast<HBITMAP>(lParam));
    case STM_GETIMAGE: return reinterpret_cast<LRESULT>(bitmap_);
    case WM_SETTEXT: return OnSetText(wParam, lParam);
    case WM_GETDLGCODE: return DLGC_STATIC;
    default: return CUiControl::DefWindowProc(msg, wParam, lParam);
  }
}

LRESULT CStatic::OnSetImage(UINT type, HBITMAP bitmap) {
  HBITMAP old = bitmap_;
  if (type == IMAGE_BITMAP) bitmap_ = bitmap;
  Invalidate();
  return reinterpret_cast<LRESULT>(old);
}

LRESULT CStatic::OnSetText(WPARAM wParam, LPARAM lParam) {
  LRESULT r = CUiControl::DefWindowProc(WM_SETTEXT, wParam, lParam);
  Invalidate();
  return r;
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
