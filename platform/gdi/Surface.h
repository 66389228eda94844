// kiv::gdi::Surface: a 32-bit image that DCs draw on.
//
// Every drawing target of the layer is a Surface: the backing store of a
// top-level window (the window system owns it and presents it), and the
// pixels of every CBitmap. It wraps a cairo ARGB32 image surface. Drawing
// targets stay opaque (alpha 255), so the bytes of a pixel are B, G, R, 255
// in memory order; rows are Stride() bytes apart. Icon and cursor images of
// the resource tables are the exception: they carry (premultiplied) alpha and
// are drawn with CDC::DrawSurface.
//
// For the window system (not program code):
//   - CDC::AttachSurface(surface, origin, clip) makes a DC draw on a Surface
//     with its device (0, 0) at `origin` and clipped to `clip` (see DC.h).
//   - Pixels()/Stride() give the display back end the BGRA bytes to present;
//     call them after drawing is finished (they flush pending cairo work).
//   - PixelAt() and WritePng() serve tests and snapshots.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdi/Geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace kiv {
namespace gdi {

class Surface {
 public:
  // A width x height image, every pixel `fill` (black by default).
  // Negative sizes count as 0.
  Surface(int width, int height, COLORREF fill = 0);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  CSize Size() const { return CSize(width_, height_); }
  int Stride() const;

  // BGRA bytes, top row first; flushed so that they show every drawing made.
  uint8_t* Pixels();
  const uint8_t* Pixels() const;
  // Tell cairo that pixels were written directly through Pixels().
  void MarkDirty();

  // The colour at (x, y); CLR_INVALID (0xFFFFFFFF) outside the image.
  COLORREF PixelAt(int x, int y) const;
  void SetPixelAt(int x, int y, COLORREF c);
  void Fill(COLORREF c);
  // Copies the whole of another surface at (x, y), clipped to this one.
  void CopyFrom(const Surface& src, int x, int y);

  // Writes the image as PNG; false when the file cannot be written.
  bool WritePng(const std::string& utf8Path) const;

  cairo_surface_t* CairoSurface() const { return surface_; }

 private:
  int width_;
  int height_;
  cairo_surface_t* surface_;
};

}  // namespace gdi
}  // namespace kiv
