#include "platform/gdi/Surface.h"

#include <cairo.h>

#include <cstring>

#include "platform/gdi/GdiTypes.h"

namespace kiv {
namespace gdi {

namespace {

inline uint32_t ToPixel(COLORREF c) {
  return 0xFF000000u | (static_cast<uint32_t>(GetRValue(c)) << 16) |
         (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

inline COLORREF FromPixel(uint32_t p) {
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

}  // namespace

Surface::Surface(int width, int height, COLORREF fill)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_)) {
  Fill(fill);
}

Surface::~Surface() { cairo_surface_destroy(surface_); }

int Surface::Stride() const { return cairo_image_surface_get_stride(surface_); }

uint8_t* Surface::Pixels() {
  cairo_surface_flush(surface_);
  return cairo_image_surface_get_data(surface_);
}

const uint8_t* Surface::Pixels() const {
  cairo_surface_flush(surface_);
  return cairo_image_surface_get_data(surface_);
}

void Surface::MarkDirty() { cairo_surface_mark_dirty(surface_); }

COLORREF Surface::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const uint8_t* row = Pixels() + static_cast<size_t>(y) * Stride();
  uint32_t p;
  std::memcpy(&p, row + 4 * x, 4);
  return FromPixel(p);
}

void Surface::SetPixelAt(int x, int y, COLORREF c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* row = Pixels() + static_cast<size_t>(y) * Stride();
  uint32_t p = ToPixel(c);
  std::memcpy(row + 4 * x, &p, 4);
  cairo_surface_mark_dirty_rectangle(surface_, x, y, 1, 1);
}

void Surface::Fill(COLORREF c) {
  if (width_ == 0 || height_ == 0) return;
  uint8_t* data = Pixels();
  int stride = Stride();
  uint32_t p = ToPixel(c);
  for (int y = 0; y < height_; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    std::fill(row, row + width_, p);
  }
  MarkDirty();
}

void Surface::CopyFrom(const Surface& src, int x, int y) {
  cairo_t* cr = cairo_create(surface_);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, src.surface_, x, y);
  cairo_rectangle(cr, x, y, src.width_, src.height_);
  cairo_fill(cr);
  cairo_destroy(cr);
}

bool Surface::WritePng(const std::string& utf8Path) const {
  cairo_surface_flush(surface_);
  return cairo_surface_write_to_png(surface_, utf8Path.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace gdi
}  // namespace kiv
