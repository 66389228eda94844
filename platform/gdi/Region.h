// kiv::gdi::Region: a set of pixels, held as y-x banded rectangles.
//
// The window system keeps invalid areas, window shapes and visible areas as
// Regions, and the DC clips with them, so a Region is exact to the pixel: a
// pixel (x, y) belongs to it when it lies in one of its rectangles (half-open,
// right and bottom outside). Invariant of the representation: rectangles are
// non-empty and sorted by band (top, bottom), then by left; the rectangles of
// one band share top and bottom, do not overlap or touch; vertically adjacent
// bands with the same spans are merged. So equal sets have equal rectangle
// lists, and operator== compares sets.
//
// A value type: copy freely. CRgn (Rgn.h) wraps one for the program's code.
#pragma once

#include <vector>

#include "platform/gdi/Geometry.h"

namespace kiv {
namespace gdi {

class Region {
 public:
  Region() = default;
  explicit Region(const RECT& r);

  static Region FromRect(LONG left, LONG top, LONG right, LONG bottom);
  // Ellipse inscribed in the box, pixels whose centres lie inside it.
  static Region Ellipse(const RECT& box);
  // Rectangle with corners rounded by an ellipse of ellipseW by ellipseH.
  static Region RoundRect(const RECT& box, LONG ellipseW, LONG ellipseH);
  // Polygon of n points (closed implicitly); fill mode ALTERNATE or WINDING.
  // Pixels whose centres lie inside belong to it.
  static Region Polygon(const POINT* points, int count, int fillMode);
  // Builds a region from any rectangles (overlaps allowed).
  static Region FromRects(const std::vector<RECT>& rects);

  bool IsEmpty() const { return rects_.empty(); }
  // NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
  int Kind() const;
  const std::vector<RECT>& Rects() const { return rects_; }
  // Smallest rectangle holding the region; empty region gives (0,0,0,0).
  CRect Bounds() const;
  bool Contains(LONG x, LONG y) const;
  bool Contains(const POINT& p) const { return Contains(p.x, p.y); }
  // True when some pixel of r belongs to the region.
  bool Intersects(const RECT& r) const;

  void Offset(LONG dx, LONG dy);
  Region Offsetted(LONG dx, LONG dy) const;

  Region Union(const Region& o) const;
  Region Intersect(const Region& o) const;
  Region Subtract(const Region& o) const;
  Region Xor(const Region& o) const;
  // mode RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF or RGN_COPY (copies *this).
  Region Combine(const Region& o, int mode) const;

  bool operator==(const Region& o) const;
  bool operator!=(const Region& o) const { return !(*this == o); }

 private:
  std::vector<RECT> rects_;
};

}  // namespace gdi
}  // namespace kiv
