// Helpers of the drawing tests: a memory DC on a bitmap of a known colour,
// and pixel queries over it.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/gdi/Gdi.h"

// CRect converts to a pointer; print rectangles as rectangles.
inline void PrintTo(const CRect& r, std::ostream* os) {
  *os << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}
inline void PrintTo(const CSize& s, std::ostream* os) { *os << s.cx << "x" << s.cy; }

namespace kiv {
namespace gdi {
namespace test {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A memory DC holding a width x height bitmap filled with `background`.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF background = kWhite) {
    dc.CreateCompatibleDC(nullptr);
    bitmap.CreateCompatibleBitmap(&dc, width, height);
    old = dc.SelectObject(&bitmap);
    dc.FillSolidRect(0, 0, width, height, background);
    dc.SetBkColor(kWhite);
  }
  ~Canvas() { dc.SelectObject(old); }

  COLORREF At(int x, int y) const { return bitmap.GetSurface()->PixelAt(x, y); }
  // Number of pixels of colour c inside [left, right) x [top, bottom).
  int Count(COLORREF c, const RECT& r) const {
    int n = 0;
    for (LONG y = r.top; y < r.bottom; ++y)
      for (LONG x = r.left; x < r.right; ++x) n += At(x, y) == c ? 1 : 0;
    return n;
  }
  int Count(COLORREF c) const {
    CSize s = bitmap.GetSize();
    return Count(c, RECT{0, 0, s.cx, s.cy});
  }
  // Smallest rectangle holding every pixel that differs from `background`.
  CRect Changed(COLORREF background) const {
    CSize s = bitmap.GetSize();
    CRect box;
    bool any = false;
    for (LONG y = 0; y < s.cy; ++y)
      for (LONG x = 0; x < s.cx; ++x) {
        if (At(x, y) == background) continue;
        if (!any) box = CRect(x, y, x + 1, y + 1);
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
        any = true;
      }
    return box;
  }

  CDC dc;
  CBitmap bitmap;
  CBitmap* old = nullptr;
};

}  // namespace test
}  // namespace gdi
}  // namespace kiv
