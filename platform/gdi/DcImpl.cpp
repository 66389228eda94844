#include "platform/gdi/DcImpl.h"

namespace kiv {
namespace gdi {

// The result of a binary raster operation on 24-bit colours.
uint32_t Mix(int rop, uint32_t pen, uint32_t dst) {
  uint32_t r = dst;
  switch (rop) {
    case R2_BLACK: r = 0; break;
    case R2_NOTMERGEPEN: r = ~(pen | dst); break;
    case R2_MASKNOTPEN: r = ~pen & dst; break;
    case R2_NOTCOPYPEN: r = ~pen; break;
    case R2_MASKPENNOT: r = pen & ~dst; break;
    case R2_NOT: r = ~dst; break;
    case R2_XORPEN: r = pen ^ dst; break;
    case R2_NOTMASKPEN: r = ~(pen & dst); break;
    case R2_MASKPEN: r = pen & dst; break;
    case R2_NOTXORPEN: r = ~(pen ^ dst); break;
    case R2_NOP: r = dst; break;
    case R2_MERGENOTPEN: r = ~pen | dst; break;
    case R2_COPYPEN: r = pen; break;
    case R2_MERGEPENNOT: r = pen | ~dst; break;
    case R2_MERGEPEN: r = pen | dst; break;
    case R2_WHITE: r = 0xFFFFFF; break;
    default: break;
  }
  return r & 0xFFFFFF;
}

// On/off lengths, in pixels, of the cosmetic pen styles.
const std::vector<int>& DashPattern(int style) {
  static const std::vector<int> kDash = {18, 6};
  static const std::vector<int> kDot = {3, 3};
  static const std::vector<int> kDashDot = {9, 6, 3, 6};
  static const std::vector<int> kDashDotDot = {9, 3, 3, 3, 3, 3};
  static const std::vector<int> kSolid;
  switch (style) {
    case PS_DASH: return kDash;
    case PS_DOT: return kDot;
    case PS_DASHDOT: return kDashDot;
    case PS_DASHDOTDOT: return kDashDotDot;
    default: return kSolid;
  }
}

void EllipsePath(cairo_t* cr, double x, double y, double w, double h) {
  // A zero scale would put the context in an error state for good.
  if (w <= 0 || h <= 0) return;
  cairo_save(cr);
  cairo_translate(cr, x + w / 2.0, y + h / 2.0);
  cairo_scale(cr, w / 2.0, h / 2.0);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
  cairo_close_path(cr);
  cairo_restore(cr);
}

void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double rx, double ry) {
  if (w <= 0 || h <= 0) return;
  rx = std::min(rx, w / 2.0);
  ry = std::min(ry, h / 2.0);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, x, y, w, h);
    return;
  }
  auto corner = [&](double cx, double cy, double a0) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, a0, a0 + kPi / 2);
    cairo_restore(cr);
  };
  cairo_new_sub_path(cr);
  corner(x + w - rx, y + ry, -kPi / 2);
  corner(x + w - rx, y + h - ry, 0);
  corner(x + rx, y + h - ry, kPi / 2);
  corner(x + rx, y + ry, kPi);
  cairo_close_path(cr);
}

// Arc from the start angle counter-clockwise (as seen on screen) to the end
// angle, on the ellipse of the box inset by `inset` on every side.
void ArcPath(cairo_t* cr, const CRect& box, CPoint off, double inset, double a1, double a2, ArcShape shape) {
  double w = box.Width() - 2 * inset, h = box.Height() - 2 * inset;
  if (w <= 0 || h <= 0) return;
  if (a2 >= a1) a2 -= 2 * kPi;
  cairo_save(cr);
  cairo_translate(cr, box.left + off.x + box.Width() / 2.0, box.top + off.y + box.Height() / 2.0);
  cairo_scale(cr, w / 2.0, h / 2.0);
  cairo_new_sub_path(cr);
  if (shape == ArcShape::kPie) cairo_move_to(cr, 0, 0);
  cairo_arc_negative(cr, 0, 0, 1, a1, a2);
  if (shape != ArcShape::kArc) cairo_close_path(cr);
  cairo_restore(cr);
}

void FramePath(cairo_t* cr, const CRect& outer, int w) {
  cairo_rectangle(cr, outer.left, outer.top, outer.Width(), outer.Height());
  CRect inner(outer);
  inner.DeflateRect(w, w);
  if (!inner.IsRectEmpty()) cairo_rectangle(cr, inner.left, inner.top, inner.Width(), inner.Height());
}

}  // namespace gdi
}  // namespace kiv
