// What the installed resource table draws for a skin bitmap, read back for
// pixel checks: a pixel of it and its size.
#pragma once

#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DC.h"
#include "platform/gdi/Resources.h"

namespace kiv::test {

// CLR_INVALID when the table has no such bitmap.
inline COLORREF SkinPixel(UINT id, int x, int y) {
  CBitmap skin;
  if (!skin.LoadBitmap(id)) return CLR_INVALID;
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(&skin);
  COLORREF pixel = dc.GetPixel(x, y);
  dc.SelectObject(old);
  return pixel;
}

// Every pixel of it, row by row (empty when the table has no such bitmap).
inline std::vector<COLORREF> AllSkinPixels(UINT id) {
  std::vector<COLORREF> pixels;
  CBitmap skin;
  if (!skin.LoadBitmap(id)) return pixels;
  CSize size = skin.GetSize();
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(&skin);
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) pixels.push_back(dc.GetPixel(x, y));
  }
  dc.SelectObject(old);
  return pixels;
}

// 0 x 0 when the table has no such bitmap.
inline CSize SkinSize(UINT id) { return kiv::gdi::ResourceBitmapSize(id); }

}  // namespace kiv::test
