#include "platform/backend/Composition.h"

#include <cairo.h>

#include <cstring>

namespace kiv {

void ComposeTopLevel(gdi::Surface& target, win::Window* top, POINT at) {
  if (!top->store) return;
  gdi::Surface& store = *top->store;
  cairo_surface_t* source = store.CairoSurface();
  cairo_surface_t* keyed = nullptr;
  if (top->layeredFlags & LWA_COLORKEY) {
    // A copy in which the key colour is fully transparent (premultiplied
    // ARGB: all four bytes zero).
    store.Pixels();
    keyed = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, store.Width(), store.Height());
    cairo_surface_flush(keyed);
    uint8_t* dst = cairo_image_surface_get_data(keyed);
    int dstStride = cairo_image_surface_get_stride(keyed);
    const uint8_t* src = store.Pixels();
    for (int y = 0; y < store.Height(); ++y) {
      const uint8_t* s = src + static_cast<size_t>(y) * static_cast<size_t>(store.Stride());
      uint8_t* d = dst + static_cast<size_t>(y) * static_cast<size_t>(dstStride);
      std::memcpy(d, s, static_cast<size_t>(store.Width()) * 4);
      for (int x = 0; x < store.Width(); ++x) {
        COLORREF c = RGB(s[x * 4 + 2], s[x * 4 + 1], s[x * 4]);
        if (c == top->colorKey) std::memset(d + x * 4, 0, 4);
      }
    }
    cairo_surface_mark_dirty(keyed);
    source = keyed;
  }
  cairo_t* cr = cairo_create(target.CairoSurface());
  gdi::Region shape(CRect(0, 0, top->rect.Width(), top->rect.Height()));
  if (top->hasRegion) shape = shape.Intersect(top->region);
  for (const RECT& r : shape.Rects()) {
    cairo_rectangle(cr, at.x + r.left, at.y + r.top, r.right - r.left, r.bottom - r.top);
  }
  cairo_clip(cr);
  cairo_set_source_surface(cr, source, at.x, at.y);
  if (top->layeredFlags & LWA_ALPHA) {
    cairo_paint_with_alpha(cr, top->alpha / 255.0);
  } else {
    cairo_paint(cr);
  }
  cairo_destroy(cr);
  if (keyed) cairo_surface_destroy(keyed);
  target.MarkDirty();
}

std::unique_ptr<gdi::Surface> ComposeOwnWindows(CSize size) {
  auto screen = std::make_unique<gdi::Surface>(size.cx, size.cy, RGB(0, 0, 0));
  for (win::Window* top : win::TopLevels()) {
    if (win::IsShownOnScreen(top)) ComposeTopLevel(*screen, top, top->rect.TopLeft());
  }
  return screen;
}

}  // namespace kiv
