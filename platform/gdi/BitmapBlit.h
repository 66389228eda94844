// What every skinned window does with its bitmaps, said once: copy a kept
// bitmap onto a DC (whole, or its first columns stretched across an area),
// and paint a picture on a memory canvas of the client's size that is then
// shown with one copy. Plain drawing calls of the DCs involved; UI thread
// only, as every window's painting.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"

namespace kiv {
namespace gdi {

// Copies `bitmap` (its top-left width x height; the whole bitmap when
// either is negative, clipped to the bitmap) to (x, y) of dc; nothing when
// the bitmap is not loaded.
void DrawBitmap(CDC& dc, CBitmap& bitmap, int x, int y, int width = -1, int height = -1);
// Stretches the first `columns` columns of `bitmap` (the whole width when
// negative) over `to`; nothing when the bitmap is not loaded or `to` is
// empty. A skin with one column stretched across is columns = 1.
void StretchBitmap(CDC& dc, CBitmap& bitmap, const RECT& to, int columns = -1);

// A memory DC with a bitmap of width x height selected, for one paint:
// draw on Dc(), then CopyTo the target. The bitmap is selected out again
// when the canvas goes.
class MemoryCanvas {
 public:
  MemoryCanvas(CDC& target, int width, int height);
  ~MemoryCanvas();
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  CDC& Dc() { return dc_; }
  // One copy of the whole canvas to (0, 0) of target.
  void CopyTo(CDC& target);

 private:
  CDC dc_;
  CBitmap bitmap_;
  CBitmap* previous_ = nullptr;
  int width_;
  int height_;
};

}  // namespace gdi
}  // namespace kiv
