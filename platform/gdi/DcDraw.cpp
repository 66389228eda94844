// CDC's lines, shapes, region fills and pixels.
#include <cmath>

#include "platform/gdi/DcImpl.h"

// --- Lines --------------------------------------------------------------------

CPoint CDC::MoveTo(int x, int y) {
  CPoint previous = impl_->st.pos;
  impl_->st.pos = CPoint(x, y);
  return previous;
}

BOOL CDC::LineTo(int x, int y) {
  POINT pts[2] = {impl_->st.pos, POINT{x, y}};
  impl_->StrokePolyline(pts, 2, false);
  impl_->st.pos = CPoint(x, y);
  return TRUE;
}

CPoint CDC::GetCurrentPosition() const { return impl_->st.pos; }

BOOL CDC::Polyline(const POINT* points, int count) {
  if (points == nullptr || count < 2) return FALSE;
  impl_->StrokePolyline(points, count, false);
  return TRUE;
}

BOOL CDC::PolyPolyline(const POINT* points, const DWORD* counts, int polylines) {
  if (points == nullptr || counts == nullptr) return FALSE;
  for (int i = 0; i < polylines; ++i) {
    Polyline(points, static_cast<int>(counts[i]));
    points += counts[i];
  }
  return TRUE;
}

namespace {

// The box of an ellipse call, normalised; false when it holds no pixel.
bool EllipseBox(int left, int top, int right, int bottom, CRect* box) {
  *box = CRect(left, top, right, bottom);
  box->NormalizeRect();
  return !box->IsRectEmpty();
}

// Angle of a radial point on the unit circle the box's ellipse maps to.
double RadialAngle(const CRect& box, int x, int y) {
  double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
  double rx = box.Width() / 2.0, ry = box.Height() / 2.0;
  return std::atan2((y - cy) / ry, (x - cx) / rx);
}

}  // namespace

BOOL CDC::Arc(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  CRect box;
  if (!EllipseBox(left, top, right, bottom, &box)) return TRUE;
  if (!impl_->PenVisible()) return TRUE;
  double a1 = RadialAngle(box, xStart, yStart), a2 = RadialAngle(box, xEnd, yEnd);
  CPoint off = impl_->Off();
  impl_->StrokeArc(box, off, a1, a2, ArcShape::kArc);
  return TRUE;
}

BOOL CDC::Arc(const RECT* rect, POINT start, POINT end) {
  if (rect == nullptr) return FALSE;
  return Arc(rect->left, rect->top, rect->right, rect->bottom, start.x, start.y, end.x, end.y);
}

// --- Shapes -------------------------------------------------------------------

BOOL CDC::Rectangle(int left, int top, int right, int bottom) {
  CRect box(left, top, right, bottom);
  box.NormalizeRect();
  CPoint off = impl_->Off();
  box.OffsetRect(off.x, off.y);
  Ink brush;
  bool filled = Impl::BrushInk(impl_->st.brush.get(), &brush);
  if (!impl_->PenVisible()) {
    // Without a pen the filled area is one pixel smaller to the right and
    // bottom, as GDI draws it.
    CRect inner(box.left, box.top, box.right - 1, box.bottom - 1);
    if (filled && !inner.IsRectEmpty()) impl_->FillRectsS({inner}, brush, impl_->st.rop2);
    return TRUE;
  }
  int w = impl_->PenWidth();
  CRect inner(box);
  inner.DeflateRect(w, w);
  if (filled && !inner.IsRectEmpty()) impl_->FillRectsS({inner}, brush, impl_->st.rop2);
  if (box.IsRectEmpty()) return TRUE;
  if (impl_->PenStyled()) {
    CRect logical(left, top, right, bottom);
    logical.NormalizeRect();
    POINT pts[4] = {{logical.left, logical.top},
                    {logical.right - 1, logical.top},
                    {logical.right - 1, logical.bottom - 1},
                    {logical.left, logical.bottom - 1}};
    impl_->StrokePolyline(pts, 4, true);
    return TRUE;
  }
  impl_->Paint([&](cairo_t* c) { kiv::gdi::FramePath(c, box, w); }, impl_->PenInk(), impl_->st.rop2,
               PathMode{false, 1, true});
  return TRUE;
}

BOOL CDC::Rectangle(const RECT* rect) {
  if (rect == nullptr) return FALSE;
  return Rectangle(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CDC::Ellipse(int left, int top, int right, int bottom) {
  CRect box;
  if (!EllipseBox(left, top, right, bottom, &box)) return TRUE;
  CPoint off = impl_->Off();
  box.OffsetRect(off.x, off.y);
  int w = impl_->PenWidth();
  Ink brush;
  if (Impl::BrushInk(impl_->st.brush.get(), &brush)) {
    impl_->Paint([&](cairo_t* c) {
      kiv::gdi::EllipsePath(c, box.left + w, box.top + w, box.Width() - 2 * w, box.Height() - 2 * w);
    }, brush, impl_->st.rop2);
  }
  if (w > 0) {
    impl_->Paint([&](cairo_t* c) {
      kiv::gdi::EllipsePath(c, box.left, box.top, box.Width(), box.Height());
      kiv::gdi::EllipsePath(c, box.left + w, box.top + w, box.Width() - 2 * w, box.Height() - 2 * w);
    }, impl_->PenInk(), impl_->st.rop2, PathMode{false, 1, true});
  }
  return TRUE;
}

BOOL CDC::Ellipse(const RECT* rect) {
  if (rect == nullptr) return FALSE;
  return Ellipse(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL CDC::RoundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH) {
  CRect box;
  if (!EllipseBox(left, top, right, bottom, &box)) return TRUE;
  CPoint off = impl_->Off();
  box.OffsetRect(off.x, off.y);
  int w = impl_->PenWidth();
  double rx = std::abs(ellipseW) / 2.0, ry = std::abs(ellipseH) / 2.0;
  Ink brush;
  if (Impl::BrushInk(impl_->st.brush.get(), &brush)) {
    impl_->Paint([&](cairo_t* c) {
      kiv::gdi::RoundRectPath(c, box.left + w, box.top + w, box.Width() - 2 * w, box.Height() - 2 * w,
                              rx - w, ry - w);
    }, brush, impl_->st.rop2);
  }
  if (w > 0) {
    impl_->Paint([&](cairo_t* c) {
      kiv::gdi::RoundRectPath(c, box.left, box.top, box.Width(), box.Height(), rx, ry);
      kiv::gdi::RoundRectPath(c, box.left + w, box.top + w, box.Width() - 2 * w, box.Height() - 2 * w,
                              rx - w, ry - w);
    }, impl_->PenInk(), impl_->st.rop2, PathMode{false, 1, true});
  }
  return TRUE;
}

BOOL CDC::Chord(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  CRect box;
  if (!EllipseBox(left, top, right, bottom, &box)) return TRUE;
  double a1 = RadialAngle(box, xStart, yStart), a2 = RadialAngle(box, xEnd, yEnd);
  CPoint off = impl_->Off();
  Ink brush;
  if (Impl::BrushInk(impl_->st.brush.get(), &brush)) {
    impl_->Paint([&](cairo_t* c) { ArcPath(c, box, off, 0, a1, a2, ArcShape::kChord); }, brush,
                 impl_->st.rop2);
  }
  impl_->StrokeArc(box, off, a1, a2, ArcShape::kChord);
  return TRUE;
}

BOOL CDC::Chord(const RECT* rect, POINT start, POINT end) {
  if (rect == nullptr) return FALSE;
  return Chord(rect->left, rect->top, rect->right, rect->bottom, start.x, start.y, end.x, end.y);
}

BOOL CDC::Pie(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd) {
  CRect box;
  if (!EllipseBox(left, top, right, bottom, &box)) return TRUE;
  double a1 = RadialAngle(box, xStart, yStart), a2 = RadialAngle(box, xEnd, yEnd);
  CPoint off = impl_->Off();
  Ink brush;
  if (Impl::BrushInk(impl_->st.brush.get(), &brush)) {
    impl_->Paint([&](cairo_t* c) { ArcPath(c, box, off, 0, a1, a2, ArcShape::kPie); }, brush,
                 impl_->st.rop2);
  }
  impl_->StrokeArc(box, off, a1, a2, ArcShape::kPie);
  return TRUE;
}

BOOL CDC::Polygon(const POINT* points, int count) {
  if (points == nullptr || count < 2) return FALSE;
  CPoint off = impl_->Off();
  Ink brush;
  if (count >= 3 && Impl::BrushInk(impl_->st.brush.get(), &brush)) {
    impl_->Paint([&](cairo_t* c) {
      cairo_move_to(c, points[0].x + off.x, points[0].y + off.y);
      for (int i = 1; i < count; ++i) cairo_line_to(c, points[i].x + off.x, points[i].y + off.y);
      cairo_close_path(c);
    }, brush, impl_->st.rop2, PathMode{false, 1, impl_->st.polyFill == ALTERNATE});
  }
  impl_->StrokePolyline(points, count, true);
  return TRUE;
}

void CDC::FillRect(const RECT* rect, CBrush* brush) {
  if (rect == nullptr || brush == nullptr) return;
  Ink ink;
  if (!Impl::BrushInk(static_cast<BrushData*>(brush->GetSafeHandle()), &ink)) return;
  CRect r(*rect);
  if (r.IsRectEmpty()) return;
  CPoint off = impl_->Off();
  r.OffsetRect(off.x, off.y);
  impl_->FillRectsS({r}, ink, R2_COPYPEN);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color) {
  if (rect == nullptr) return;
  // Like the familiar implementation, which fills through the background
  // colour and leaves it set.
  impl_->st.bk = color & 0xFFFFFF;
  CRect r(*rect);
  r.NormalizeRect();
  if (r.IsRectEmpty()) return;
  CPoint off = impl_->Off();
  r.OffsetRect(off.x, off.y);
  impl_->FillRectsS({r}, Ink{color & 0xFFFFFF, nullptr}, R2_COPYPEN);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
  RECT r{x, y, x + cx, y + cy};
  FillSolidRect(&r, color);
}

void CDC::FrameRect(const RECT* rect, CBrush* brush) {
  if (rect == nullptr || brush == nullptr) return;
  Ink ink;
  if (!Impl::BrushInk(static_cast<BrushData*>(brush->GetSafeHandle()), &ink)) return;
  CRect r(*rect);
  if (r.IsRectEmpty()) return;
  CPoint off = impl_->Off();
  r.OffsetRect(off.x, off.y);
  impl_->Paint([&](cairo_t* c) { kiv::gdi::FramePath(c, r, 1); }, ink, R2_COPYPEN, PathMode{false, 1, true});
}

void CDC::Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight) {
  if (rect == nullptr) return;
  Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft,
             bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) {
  FillSolidRect(x, y, cx - 1, 1, topLeft);
  FillSolidRect(x, y, 1, cy - 1, topLeft);
  FillSolidRect(x + cx, y, -1, cy, bottomRight);
  FillSolidRect(x, y + cy, cx, -1, bottomRight);
}

void CDC::InvertRect(const RECT* rect) {
  if (rect == nullptr) return;
  CRect r(*rect);
  if (r.IsRectEmpty()) return;
  CPoint off = impl_->Off();
  r.OffsetRect(off.x, off.y);
  impl_->FillRectsS({r}, Ink{}, R2_NOT);
}

void CDC::DrawFocusRect(const RECT* rect) {
  if (rect == nullptr) return;
  CRect r(*rect);
  r.NormalizeRect();
  if (r.IsRectEmpty()) return;
  CPoint off = impl_->Off();
  r.OffsetRect(off.x, off.y);
  // Dots on the pixels whose coordinates add up to an even number, so that
  // the frame's corners and both directions share one pattern.
  std::vector<CRect> dots;
  auto dot = [&](LONG x, LONG y) {
    if (((x + y) & 1) == 0) dots.emplace_back(x, y, x + 1, y + 1);
  };
  for (LONG x = r.left; x < r.right; ++x) {
    dot(x, r.top);
    if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
  }
  for (LONG y = r.top + 1; y < r.bottom - 1; ++y) {
    dot(r.left, y);
    if (r.right - 1 > r.left) dot(r.right - 1, y);
  }
  impl_->FillRectsS(dots, Ink{}, R2_NOT);
}

namespace {

void RegionPath(cairo_t* c, const Region& region, CPoint off) {
  for (const RECT& r : region.Rects()) {
    cairo_rectangle(c, r.left + off.x, r.top + off.y, r.right - r.left, r.bottom - r.top);
  }
}

}  // namespace

BOOL CDC::FillRgn(CRgn* rgn, CBrush* brush) {
  if (rgn == nullptr || brush == nullptr || !rgn->IsCreated()) return FALSE;
  Ink ink;
  if (!Impl::BrushInk(static_cast<BrushData*>(brush->GetSafeHandle()), &ink)) return TRUE;
  CPoint off = impl_->Off();
  impl_->Paint([&](cairo_t* c) { RegionPath(c, rgn->GetRegion(), off); }, ink, impl_->st.rop2);
  return TRUE;
}

BOOL CDC::FrameRgn(CRgn* rgn, CBrush* brush, int width, int height) {
  if (rgn == nullptr || brush == nullptr || !rgn->IsCreated()) return FALSE;
  Ink ink;
  if (!Impl::BrushInk(static_cast<BrushData*>(brush->GetSafeHandle()), &ink)) return TRUE;
  const Region& r = rgn->GetRegion();
  // The frame is what an erosion by (width, height) takes away.
  Region core = r.Intersect(r.Offsetted(width, 0))
                    .Intersect(r.Offsetted(-width, 0))
                    .Intersect(r.Offsetted(0, height))
                    .Intersect(r.Offsetted(0, -height));
  Region frame = r.Subtract(core);
  CPoint off = impl_->Off();
  impl_->Paint([&](cairo_t* c) { RegionPath(c, frame, off); }, ink, impl_->st.rop2);
  return TRUE;
}

BOOL CDC::PaintRgn(CRgn* rgn) {
  if (rgn == nullptr || !rgn->IsCreated()) return FALSE;
  Ink ink;
  if (!Impl::BrushInk(impl_->st.brush.get(), &ink)) return TRUE;
  CPoint off = impl_->Off();
  impl_->Paint([&](cairo_t* c) { RegionPath(c, rgn->GetRegion(), off); }, ink, impl_->st.rop2);
  return TRUE;
}

BOOL CDC::InvertRgn(CRgn* rgn) {
  if (rgn == nullptr || !rgn->IsCreated()) return FALSE;
  CPoint off = impl_->Off();
  impl_->Paint([&](cairo_t* c) { RegionPath(c, rgn->GetRegion(), off); }, Ink{}, R2_NOT);
  return TRUE;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
  CPoint off = impl_->Off();
  Surface* s = impl_->Target();
  if (s == nullptr || !impl_->ClipS().Contains(x + off.x, y + off.y)) return CLR_INVALID;
  s->SetPixelAt(x + off.x, y + off.y, color & 0xFFFFFF);
  return color & 0xFFFFFF;
}

BOOL CDC::SetPixelV(int x, int y, COLORREF color) { return SetPixel(x, y, color) != CLR_INVALID; }

COLORREF CDC::GetPixel(int x, int y) const {
  Surface* s = impl_->Target();
  if (s == nullptr) return CLR_INVALID;
  CPoint off = impl_->Off();
  return s->PixelAt(x + off.x, y + off.y);
}

