// Points, sizes, rectangles and colours in the Windows vocabulary the program
// is written in. Rectangles are half-open: right and bottom lie outside, as
// every GDI and window call treats them.
#pragma once

#include <algorithm>

#include "platform/sys/WinTypes.h"

typedef DWORD COLORREF;  // 0x00BBGGRR

constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

class CPoint : public POINT {
 public:
  CPoint() = default;
  CPoint(LONG px, LONG py) { x = px; y = py; }
  CPoint(const POINT& p) : POINT(p) {}  // NOLINT: implicit like the familiar class
  CPoint operator+(const POINT& o) const { return CPoint(x + o.x, y + o.y); }
  CPoint operator-(const POINT& o) const { return CPoint(x - o.x, y - o.y); }
  bool operator==(const POINT& o) const { return x == o.x && y == o.y; }
  bool operator!=(const POINT& o) const { return !(*this == o); }
  void Offset(LONG dx, LONG dy) { x += dx; y += dy; }
};

class CSize : public SIZE {
 public:
  CSize() = default;
  CSize(LONG w, LONG h) { cx = w; cy = h; }
  CSize(const SIZE& s) : SIZE(s) {}  // NOLINT
  bool operator==(const SIZE& o) const { return cx == o.cx && cy == o.cy; }
  bool operator!=(const SIZE& o) const { return !(*this == o); }
};

class CRect : public RECT {
 public:
  CRect() = default;
  CRect(LONG l, LONG t, LONG r, LONG b) { left = l; top = t; right = r; bottom = b; }
  CRect(const RECT& r) : RECT(r) {}  // NOLINT
  CRect(const POINT& topLeft, const SIZE& size)
      : CRect(topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy) {}

  // Passes as LPRECT / LPCRECT, as the familiar class does, so that calls
  // such as dc.FillSolidRect(rect, colour) read as they always have.
  operator RECT*() { return this; }              // NOLINT
  operator const RECT*() const { return this; }  // NOLINT

  LONG Width() const { return right - left; }
  LONG Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool PtInRect(const POINT& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void SetRect(LONG l, LONG t, LONG r, LONG b) { left = l; top = t; right = r; bottom = b; }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void OffsetRect(LONG dx, LONG dy) { left += dx; right += dx; top += dy; bottom += dy; }
  void OffsetRect(const POINT& p) { OffsetRect(p.x, p.y); }
  void InflateRect(LONG dx, LONG dy) { left -= dx; right += dx; top -= dy; bottom += dy; }
  void DeflateRect(LONG dx, LONG dy) { InflateRect(-dx, -dy); }
  void NormalizeRect() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
  }
  // False and an empty rectangle when the two do not overlap.
  bool IntersectRect(const RECT& a, const RECT& b) {
    SetRect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom));
    if (IsRectEmpty()) {
      SetRectEmpty();
      return false;
    }
    return true;
  }
  // The smallest rectangle holding both; empty inputs are ignored.
  bool UnionRect(const RECT& a, const RECT& b) {
    CRect ra(a), rb(b);
    if (ra.IsRectEmpty()) { *this = rb.IsRectEmpty() ? CRect() : rb; return !IsRectEmpty(); }
    if (rb.IsRectEmpty()) { *this = ra; return true; }
    SetRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom));
    return true;
  }
  bool operator==(const RECT& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const RECT& o) const { return !(*this == o); }
};
