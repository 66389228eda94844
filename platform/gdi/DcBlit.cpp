// CDC's blits: BitBlt, StretchBlt and PatBlt, and the pictures drawn with
// their alpha (DrawSurface, DrawIcon).
#include <cmath>

#include "platform/gdi/DcImpl.h"
#include "platform/gdi/IconRecord.h"

// --- Blits --------------------------------------------------------------------

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
  CRect r(x, y, x + width, y + height);
  r.NormalizeRect();
  if (r.IsRectEmpty()) return TRUE;
  CPoint off = impl_->Off();
  r.OffsetRect(off.x, off.y);
  Ink ink;
  switch (rop) {
    case BLACKNESS: impl_->FillRectsS({r}, Ink{0, nullptr}, R2_COPYPEN); break;
    case WHITENESS: impl_->FillRectsS({r}, Ink{RGB(255, 255, 255), nullptr}, R2_COPYPEN); break;
    case DSTINVERT: impl_->FillRectsS({r}, Ink{}, R2_NOT); break;
    case PATCOPY:
      if (Impl::BrushInk(impl_->st.brush.get(), &ink)) impl_->FillRectsS({r}, ink, R2_COPYPEN);
      break;
    case 0x005A0049u:  // PATINVERT
      if (Impl::BrushInk(impl_->st.brush.get(), &ink)) impl_->FillRectsS({r}, ink, R2_XORPEN);
      break;
    default:
      return FALSE;
  }
  return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) {
  return StretchBlt(x, y, width, height, source, xSrc, ySrc, width, height, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, DWORD rop) {
  if (rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT || rop == PATCOPY || rop == 0x005A0049u) {
    return PatBlt(x, y, width, height, rop);
  }
  if (source == nullptr || width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return FALSE;
  if (rop != SRCCOPY && rop != SRCAND && rop != SRCPAINT && rop != SRCINVERT) return FALSE;
  Impl& src = *source->impl_;
  if (src.kind == Impl::Kind::kMemory && src.st.bitmap) src.st.bitmap->SyncFromDib();
  if (kiv::gdi::DrawingLog::Enabled()) {
    kiv::gdi::LoggedBlit entry;
    if (src.kind == Impl::Kind::kMemory && src.st.bitmap) {
      entry.sourceResource = src.st.bitmap->resourceId;
      const Surface* bits = src.st.bitmap->surface.get();
      if (bits) entry.sourceSize = SIZE{bits->Width(), bits->Height()};
    }
    entry.dest = RECT{x, y, x + width, y + height};
    entry.source = RECT{xSrc, ySrc, xSrc + srcWidth, ySrc + srcHeight};
    entry.rop = rop;
    entry.target = impl_->Target();
    kiv::gdi::DrawingLog::Record(entry);
  }
  Surface* from = src.Target();
  cairo_t* c = impl_->Cr();
  if (from == nullptr || c == nullptr) return from != nullptr;
  if (from->Width() == 0 || from->Height() == 0) return FALSE;

  CPoint off = impl_->Off(), srcOff = src.Off();
  double dx = x + off.x, dy = y + off.y;
  double sx = xSrc + srcOff.x, sy = ySrc + srcOff.y;
  CRect dest(x + off.x, y + off.y, x + off.x + width, y + off.y + height);
  dest.NormalizeRect();
  bool stretched = width != srcWidth || height != srcHeight;

  // Copying within one surface goes through a snapshot of the source.
  std::unique_ptr<Surface> snapshot;
  cairo_surface_t* sourceSurface = from->CairoSurface();
  if (from == impl_->Target()) {
    snapshot = std::make_unique<Surface>(from->Width(), from->Height());
    snapshot->CopyFrom(*from, 0, 0);
    sourceSurface = snapshot->CairoSurface();
  }

  // Destination pixel (u, v) shows source point m(u, v).
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, sx, sy);
  cairo_matrix_scale(&m, static_cast<double>(srcWidth) / width, static_cast<double>(srcHeight) / height);
  cairo_matrix_translate(&m, -dx, -dy);

  if (rop == SRCCOPY) {
    cairo_pattern_t* p = cairo_pattern_create_for_surface(sourceSurface);
    cairo_pattern_set_matrix(p, &m);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(p, stretched && impl_->st.stretch == HALFTONE ? CAIRO_FILTER_GOOD
                                                                          : CAIRO_FILTER_NEAREST);
    cairo_set_source(c, p);
    cairo_pattern_destroy(p);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(c, dest.left, dest.top, dest.Width(), dest.Height());
    cairo_fill(c);
    return TRUE;
  }

  // Boolean raster operations, pixel by pixel with the nearest source pixel.
  Surface* to = impl_->Target();
  cairo_surface_flush(sourceSurface);
  const uint8_t* in = cairo_image_surface_get_data(sourceSurface);
  int inStride = cairo_image_surface_get_stride(sourceSurface);
  int inW = cairo_image_surface_get_width(sourceSurface), inH = cairo_image_surface_get_height(sourceSurface);
  uint8_t* out = to->Pixels();
  int outStride = to->Stride();
  for (const RECT& clip : impl_->ClipS().Rects()) {
    CRect part;
    if (!part.IntersectRect(clip, dest)) continue;
    for (LONG v = part.top; v < part.bottom; ++v) {
      auto* row = reinterpret_cast<uint32_t*>(out + static_cast<size_t>(v) * outStride);
      for (LONG u = part.left; u < part.right; ++u) {
        double px = u + 0.5, py = v + 0.5;
        cairo_matrix_transform_point(&m, &px, &py);
        int ix = std::min(std::max(static_cast<int>(std::floor(px)), 0), inW - 1);
        int iy = std::min(std::max(static_cast<int>(std::floor(py)), 0), inH - 1);
        uint32_t s = reinterpret_cast<const uint32_t*>(in + static_cast<size_t>(iy) * inStride)[ix] & 0xFFFFFF;
        uint32_t d = row[u] & 0xFFFFFF;
        uint32_t r = rop == SRCAND ? (s & d) : rop == SRCPAINT ? (s | d) : (s ^ d);
        row[u] = 0xFF000000u | r;
      }
    }
  }
  to->MarkDirty();
  return TRUE;
}


BOOL CDC::DrawSurface(int x, int y, const Surface& image, int cx, int cy) {
  if (cx == 0) cx = image.Width();
  if (cy == 0) cy = image.Height();
  if (cx <= 0 || cy <= 0 || image.Width() == 0 || image.Height() == 0) return FALSE;
  cairo_t* c = impl_->Cr();
  if (c == nullptr) return TRUE;
  CPoint off = impl_->Off();
  double dx = x + off.x, dy = y + off.y;
  cairo_pattern_t* p = cairo_pattern_create_for_surface(image.CairoSurface());
  cairo_matrix_t m;
  cairo_matrix_init_scale(&m, static_cast<double>(image.Width()) / cx, static_cast<double>(image.Height()) / cy);
  cairo_matrix_translate(&m, -dx, -dy);
  cairo_pattern_set_matrix(p, &m);
  cairo_pattern_set_filter(p, cx == image.Width() && cy == image.Height() ? CAIRO_FILTER_NEAREST
                                                                          : CAIRO_FILTER_GOOD);
  // Scaled edges repeat the edge pixels instead of fading out.
  cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
  cairo_set_source(c, p);
  cairo_pattern_destroy(p);
  cairo_set_operator(c, CAIRO_OPERATOR_OVER);
  cairo_rectangle(c, dx, dy, cx, cy);
  cairo_fill(c);
  return TRUE;
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
  const kiv::gdi::IconRecord* record = kiv::gdi::IconRecordOf(icon);
  if (record == nullptr || !record->image) return FALSE;
  return DrawSurface(x, y, *record->image, kiv::gdi::kIconSize, kiv::gdi::kIconSize);
}
