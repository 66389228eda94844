#include "platform/gdi/BitmapBlit.h"

#include <algorithm>

namespace kiv {
namespace gdi {

void DrawBitmap(CDC& dc, CBitmap& bitmap, int x, int y, int width, int height) {
  if (!bitmap.GetSafeHandle()) return;
  const CSize size = bitmap.GetSize();
  const int cx = width < 0 ? size.cx : std::min<int>(width, size.cx);
  const int cy = height < 0 ? size.cy : std::min<int>(height, size.cy);
  if (cx <= 0 || cy <= 0) return;
  CDC source;
  source.CreateCompatibleDC(&dc);
  CBitmap* old = source.SelectObject(&bitmap);
  dc.BitBlt(x, y, cx, cy, &source, 0, 0, SRCCOPY);
  source.SelectObject(old);
}

void StretchBitmap(CDC& dc, CBitmap& bitmap, const RECT& to, int columns) {
  const CRect area(to);
  if (!bitmap.GetSafeHandle() || area.IsRectEmpty()) return;
  const CSize size = bitmap.GetSize();
  const int from = columns < 0 ? size.cx : std::min<int>(columns, size.cx);
  if (from <= 0 || size.cy <= 0) return;
  CDC source;
  source.CreateCompatibleDC(&dc);
  CBitmap* old = source.SelectObject(&bitmap);
  dc.StretchBlt(area.left, area.top, area.Width(), area.Height(), &source, 0, 0, from, size.cy, SRCCOPY);
  source.SelectObject(old);
}

MemoryCanvas::MemoryCanvas(CDC& target, int width, int height) : width_(width), height_(height) {
  dc_.CreateCompatibleDC(&target);
  bitmap_.CreateCompatibleBitmap(&target, std::max(width, 0), std::max(height, 0));
  previous_ = dc_.SelectObject(&bitmap_);
}

MemoryCanvas::~MemoryCanvas() { dc_.SelectObject(previous_); }

void MemoryCanvas::CopyTo(CDC& target) { target.BitBlt(0, 0, width_, height_, &dc_, 0, 0, SRCCOPY); }

}  // namespace gdi
}  // namespace kiv
