#include "platform/ui/BitmapButton.h"

#include "platform/gdi/DC.h"

namespace {
// Replaces what `bitmap` held by resource `id`; 0 asks for nothing.
bool LoadInto(CBitmap& bitmap, UINT id) {
  bitmap.DeleteObject();
  return id == 0 || bitmap.LoadBitmap(id);
}
}  // namespace

BOOL CBitmapButton::LoadBitmaps(UINT upId, UINT downId, UINT focusId, UINT disabledId) {
  bool ok = upId != 0 && LoadInto(m_bitmap, upId);
  ok = LoadInto(m_bitmapSel, downId) && ok;
  ok = LoadInto(m_bitmapFocus, focusId) && ok;
  ok = LoadInto(m_bitmapDisabled, disabledId) && ok;
  return ok;
}

void CBitmapButton::SizeToContent() {
  if (!m_bitmap.GetSafeHandle()) return;
  CSize size = m_bitmap.GetSize();
  SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT drawItem) {
  if (drawItem == nullptr || drawItem->hDC == nullptr) return;
  CBitmap* shown = &m_bitmap;
  UINT state = drawItem->itemState;
  if ((state & ODS_SELECTED) && m_bitmapSel.GetSafeHandle()) {
    shown = &m_bitmapSel;
  } else if ((state & ODS_FOCUS) && m_bitmapFocus.GetSafeHandle()) {
    shown = &m_bitmapFocus;
  } else if ((state & ODS_DISABLED) && m_bitmapDisabled.GetSafeHandle()) {
    shown = &m_bitmapDisabled;
  }
  if (!shown->GetSafeHandle()) return;
  CDC* target = CDC::FromHandle(drawItem->hDC);
  CDC source;
  source.CreateCompatibleDC(target);
  CBitmap* old = source.SelectObject(shown);
  CSize size = shown->GetSize();
  const RECT& box = drawItem->rcItem;
  target->BitBlt(box.left, box.top, size.cx, size.cy, &source, 0, 0, SRCCOPY);
  source.SelectObject(old);
}
