#include "res/SkinPainter.h"

#include <cmath>
#include <cstring>

#include "platform/gdi/DC.h"
#include "platform/gdi/Surface.h"

namespace kiv {
namespace res {

namespace {

void SetColor(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void AddStop(cairo_pattern_t* p, double at, COLORREF c) {
  cairo_pattern_add_color_stop_rgb(p, at, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

COLORREF Lighter(COLORREF c, int by) {
  auto up = [by](int v) { return std::min(255, v + by); };
  return RGB(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c)));
}

}  // namespace

SkinPainter::SkinPainter(int width, int height, COLORREF background)
    : width_(width), height_(height),
      surface_(std::make_shared<gdi::Surface>(width, height, background)),
      cr_(cairo_create(surface_->CairoSurface())) {}

SkinPainter::~SkinPainter() { cairo_destroy(cr_); }

void SkinPainter::Gradient(double x, double y, double w, double h, COLORREF top, COLORREF bottom) {
  if (w <= 0 || h <= 0) return;
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
  AddStop(p, 0, top);
  AddStop(p, 1, bottom);
  cairo_set_source(cr_, p);
  cairo_rectangle(cr_, x, y, w, h);
  cairo_fill(cr_);
  cairo_pattern_destroy(p);
}

void SkinPainter::Fill(double x, double y, double w, double h, COLORREF c) {
  SetColor(cr_, c);
  cairo_rectangle(cr_, x, y, w, h);
  cairo_fill(cr_);
}

void SkinPainter::Frame(double x, double y, double w, double h, COLORREF c) {
  if (w < 1 || h < 1) return;
  SetColor(cr_, c);
  cairo_set_line_width(cr_, 1);
  cairo_rectangle(cr_, x + 0.5, y + 0.5, w - 1, h - 1);
  cairo_stroke(cr_);
}

void SkinPainter::RoundBox(double x, double y, double w, double h, double r, COLORREF top,
                           COLORREF bottom, COLORREF border) {
  if (w < 2 || h < 2) return;
  r = std::min(r, std::min(w, h) / 2 - 0.5);
  double x0 = x + 0.5, y0 = y + 0.5, x1 = x + w - 0.5, y1 = y + h - 0.5;
  const double pi = 3.14159265358979323846;
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, x1 - r, y0 + r, r, -pi / 2, 0);
  cairo_arc(cr_, x1 - r, y1 - r, r, 0, pi / 2);
  cairo_arc(cr_, x0 + r, y1 - r, r, pi / 2, pi);
  cairo_arc(cr_, x0 + r, y0 + r, r, pi, 3 * pi / 2);
  cairo_close_path(cr_);
  cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
  AddStop(p, 0, top);
  AddStop(p, 1, bottom);
  cairo_set_source(cr_, p);
  cairo_fill_preserve(cr_);
  cairo_pattern_destroy(p);
  SetColor(cr_, border);
  cairo_set_line_width(cr_, 1);
  cairo_stroke(cr_);
}

void SkinPainter::Line(double x0, double y0, double x1, double y1, double width, COLORREF c) {
  SetColor(cr_, c);
  cairo_set_line_width(cr_, width);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  cairo_move_to(cr_, x0, y0);
  cairo_line_to(cr_, x1, y1);
  cairo_stroke(cr_);
}

void SkinPainter::DrawGlyph(Glyph g, double x, double y, double w, double h, COLORREF c) {
  double s = std::max(3.0, std::floor(std::min(w, h) * 0.45));
  double cx = x + w / 2.0, cy = y + h / 2.0;
  double l = std::floor(cx - s / 2) + 0.5, t = std::floor(cy - s / 2) + 0.5;
  SetColor(cr_, c);
  cairo_set_line_width(cr_, 1.5);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
  auto triangle = [&](double ax, double ay, double bx, double by, double qx, double qy) {
    cairo_move_to(cr_, ax, ay);
    cairo_line_to(cr_, bx, by);
    cairo_line_to(cr_, qx, qy);
    cairo_close_path(cr_);
    cairo_fill(cr_);
  };
  double a = std::max(2.0, std::min(w, h) * 0.3);  // arrow half-size
  switch (g) {
    case Glyph::kNone:
      break;
    case Glyph::kClose:
      cairo_move_to(cr_, l, t);
      cairo_line_to(cr_, l + s, t + s);
      cairo_move_to(cr_, l + s, t);
      cairo_line_to(cr_, l, t + s);
      cairo_stroke(cr_);
      break;
    case Glyph::kMaximise:
      cairo_rectangle(cr_, l, t, s, s);
      cairo_stroke(cr_);
      Line(l, t + 1.5, l + s, t + 1.5, 2, c);
      break;
    case Glyph::kRestore:
      cairo_rectangle(cr_, l + 2, t, s - 2, s - 2);
      cairo_stroke(cr_);
      SetColor(cr_, c);
      cairo_rectangle(cr_, l, t + 3, s - 2, s - 3);
      cairo_stroke(cr_);
      break;
    case Glyph::kMinimise:
      Line(l, t + s, l + s, t + s, 2, c);
      break;
    case Glyph::kUp: triangle(cx, cy - a / 2 - 0.5, cx - a, cy + a / 2, cx + a, cy + a / 2); break;
    case Glyph::kDown: triangle(cx, cy + a / 2 + 0.5, cx - a, cy - a / 2, cx + a, cy - a / 2); break;
    case Glyph::kLeft: triangle(cx - a / 2 - 0.5, cy, cx + a / 2, cy - a, cx + a / 2, cy + a); break;
    case Glyph::kRight: triangle(cx + a / 2 + 0.5, cy, cx - a / 2, cy - a, cx - a / 2, cy + a); break;
    case Glyph::kTick:
      cairo_set_line_width(cr_, 2);
      cairo_move_to(cr_, l, cy);
      cairo_line_to(cr_, cx - 1, t + s);
      cairo_line_to(cr_, l + s, t);
      cairo_stroke(cr_);
      break;
    case Glyph::kEnlarge:
    case Glyph::kShrink: {
      bool out = g == Glyph::kEnlarge;
      cairo_rectangle(cr_, l, t, s, s);
      cairo_stroke(cr_);
      double d = s / 3.0;
      SetColor(cr_, c);
      if (out) {
        cairo_move_to(cr_, l + d, t + s - d);
        cairo_line_to(cr_, l + s - d, t + d);
      } else {
        cairo_move_to(cr_, l + s - d, t + d);
        cairo_line_to(cr_, l + d, t + s - d);
      }
      cairo_stroke(cr_);
      break;
    }
  }
  cairo_new_path(cr_);
}

void SkinPainter::Caption(const std::string& gbk, const RECT& r, COLORREF c, int height,
                          const char* face, bool bold) {
  if (gbk.empty()) return;
  cairo_surface_flush(surface_->CairoSurface());
  CDC dc;
  dc.AttachSurface(surface_.get(), POINT{0, 0}, nullptr);
  CFont font;
  font.CreateFont(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, face);
  dc.SelectObject(&font);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(c);
  RECT box = r;
  dc.DrawText(gbk, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  dc.DetachSurface();
  cairo_surface_mark_dirty(surface_->CairoSurface());
}

void SkinPainter::Button(bool active, const std::string& caption, Glyph glyph) {
  COLORREF top = active ? Lighter(skin::kAccentDark, 40) : skin::kBandTop;
  COLORREF bottom = active ? skin::kAccentDark : skin::kBandBottom;
  COLORREF border = active ? skin::kAccent : skin::kBorder;
  RoundBox(0, 0, width_, height_, 3, top, bottom, border);
  COLORREF ink = active ? RGB(255, 255, 255) : skin::kText;
  if (glyph != Glyph::kNone) DrawGlyph(glyph, 0, 0, width_, height_, ink);
  int textHeight = std::max(10, std::min(14, height_ - 8));
  Caption(caption, RECT{0, 0, width_, height_}, active ? skin::kAccent : skin::kText, textHeight, "宋体");
}

void SkinPainter::Band(COLORREF top, COLORREF bottom) {
  Gradient(0, 0, width_, height_, top, bottom);
  Fill(0, 0, width_, 1, Lighter(top, 24));
  Fill(0, height_ - 1, width_, 1, RGB(0, 0, 0));
}

std::shared_ptr<gdi::Surface> SkinPainter::Finish() {
  cairo_surface_flush(surface_->CairoSurface());
  return surface_;
}

std::shared_ptr<gdi::Surface> Render(const BitmapRecipe& recipe) {
  SkinPainter painter(recipe.width, recipe.height, skin::kWindow);
  recipe.draw(painter);
  return painter.Finish();
}

}  // namespace res
}  // namespace kiv
