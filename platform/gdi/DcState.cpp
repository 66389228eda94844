// DrawState: an icon drawn as it is.
#include "platform/gdi/DC.h"
#include "platform/gdi/IconRecord.h"
#include "platform/gdi/Surface.h"

BOOL CDC::DrawState(CPoint p, CSize size, HICON icon, UINT flags, HBRUSH) {
  // The kind is the low four bits, the state the high ones.
  if ((flags & 0x000F) != DST_ICON || (flags & ~0x000Fu) != DSS_NORMAL) return FALSE;
  const kiv::gdi::IconRecord* record = kiv::gdi::IconRecordOf(icon);
  if (record == nullptr || !record->image) return FALSE;
  const int cx = size.cx > 0 ? size.cx : record->image->Width();
  const int cy = size.cy > 0 ? size.cy : record->image->Height();
  return DrawSurface(p.x, p.y, *record->image, cx, cy);
}
