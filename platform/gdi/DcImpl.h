// The inside of CDC (internal to platform/gdi): its state, the ink a shape
// is painted with, and CDC::Impl, which turns paths into pixels under the
// clip and the ROP2 mix. Only the DC*.cpp files include this.
#pragma once

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/DC.h"
#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/FontFace.h"
#include "platform/gdi/GdiData.h"
#include "platform/gdi/Surface.h"
#include "platform/sys/CodePage.h"

namespace kiv {
namespace gdi {

constexpr double kPi = 3.14159265358979323846;

// A COLORREF as the 0x00RRGGBB of a surface pixel.
inline uint32_t Rgb24(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

// The result of a binary raster operation on 24-bit colours.
uint32_t Mix(int rop, uint32_t pen, uint32_t dst);

// Merges the pixels of a line into rectangles: runs along a row or a column.
class RunCollector {
 public:
  void Add(LONG x, LONG y) {
    if (open_) {
      CRect& r = run_;
      bool oneRow = r.Height() == 1, oneCol = r.Width() == 1;
      if (oneRow && y == r.top && x == r.right) { ++r.right; return; }
      if (oneRow && y == r.top && x == r.left - 1) { --r.left; return; }
      if (oneCol && x == r.left && y == r.bottom) { ++r.bottom; return; }
      if (oneCol && x == r.left && y == r.top - 1) { --r.top; return; }
      rects_.push_back(run_);
    }
    run_ = CRect(x, y, x + 1, y + 1);
    open_ = true;
  }
  const std::vector<CRect>& Finish() {
    if (open_) rects_.push_back(run_);
    open_ = false;
    return rects_;
  }

 private:
  std::vector<CRect> rects_;
  CRect run_;
  bool open_ = false;
};

// Bresenham from (x0, y0) towards (x1, y1); the end point is not visited.
template <typename F>
void WalkLine(LONG x0, LONG y0, LONG x1, LONG y1, F&& visit) {
  LONG dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  LONG dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  LONG err = dx + dy;
  while (x0 != x1 || y0 != y1) {
    visit(x0, y0);
    LONG e2 = 2 * err;
    if (e2 >= dy) { err += dy; x0 += sx; }
    if (e2 <= dx) { err += dx; y0 += sy; }
  }
}

// On/off lengths, in pixels, of the cosmetic pen styles.
const std::vector<int>& DashPattern(int style);

// Paths of the shapes, in surface coordinates. Empty boxes add nothing (a zero
// scale would put the cairo context in an error state for good).
void EllipsePath(cairo_t* cr, double x, double y, double w, double h);
void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double rx, double ry);

enum class ArcShape { kArc, kChord, kPie };

// Arc from the start angle counter-clockwise (as seen on screen) to the end
// angle, on the ellipse of the box inset by `inset` on every side.
void ArcPath(cairo_t* cr, const CRect& box, CPoint off, double inset, double a1, double a2, ArcShape shape);

// A frame of width w inside `outer`, for an even-odd fill.
void FramePath(cairo_t* cr, const CRect& outer, int w);

// Everything SaveDC saves.
struct DcState {
  std::shared_ptr<PenData> pen;
  std::shared_ptr<BrushData> brush;
  std::shared_ptr<FontData> font;
  std::shared_ptr<BitmapData> bitmap;
  COLORREF text = RGB(0, 0, 0);
  COLORREF bk = RGB(255, 255, 255);
  int bkMode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int stretch = BLACKONWHITE;
  int polyFill = ALTERNATE;
  UINT align = TA_LEFT;
  CPoint pos;
  CPoint viewport;
  bool hasClip = false;
  Region clip;  // device coordinates
};

// What a shape is painted with: a colour or a brush's tile.
struct Ink {
  COLORREF color = 0;
  std::shared_ptr<Surface> tile;
};

// How a path is turned into pixels.
struct PathMode {
  bool stroke = false;
  double lineWidth = 1;
  bool evenOdd = false;
};

}  // namespace gdi
}  // namespace kiv

// The DC*.cpp files implement the global CDC in these names.
using kiv::gdi::ArcPath;
using kiv::gdi::ArcShape;
using kiv::gdi::BitmapData;
using kiv::gdi::BrushData;
using kiv::gdi::DcState;
using kiv::gdi::FontData;
using kiv::gdi::FontFace;
using kiv::gdi::Ink;
using kiv::gdi::ObjectData;
using kiv::gdi::ObjectKind;
using kiv::gdi::PathMode;
using kiv::gdi::PenData;
using kiv::gdi::Region;
using kiv::gdi::Surface;

// A DC's target, state and cairo context. Drawing calls build a path in
// surface coordinates and hand it to Paint, which fills or strokes it under
// the clip (system clip from the window system, intersected with the DC's
// own) and the ROP2 mix. The cairo context is kept for the DC's life and
// rebuilt only when the target surface changes.
struct CDC::Impl {
  enum class Kind { kNone, kMemory, kWindow };
  using PathFn = std::function<void(cairo_t*)>;

  Kind kind = Kind::kNone;
  Surface* attached = nullptr;
  CPoint origin;
  bool hasSystemClip = false;
  Region systemClip;  // device coordinates
  DcState st;
  std::vector<DcState> saved;

  cairo_t* cr = nullptr;
  bool crClipApplied = false;
  bool clipValid = false;
  Region clipS;  // surface coordinates: what may be drawn on
  bool clipAll = true;
  std::map<ObjectData*, std::unique_ptr<CGdiObject>> temps;

  Impl() { ResetState(); }
  ~Impl() { DestroyCr(); }

  // The context may hold the last reference to a font pango drew with, so
  // it is released under the text lock.
  void DestroyCr() {
    if (cr == nullptr) return;
    std::lock_guard<std::mutex> lock(FontFace::TextLock());
    cairo_destroy(cr);
    cr = nullptr;
  }

  void ResetState() {
    st = DcState();
    st.pen = std::static_pointer_cast<PenData>(kiv::gdi::StockObject(BLACK_PEN));
    st.brush = std::static_pointer_cast<BrushData>(kiv::gdi::StockObject(WHITE_BRUSH));
    st.font = std::static_pointer_cast<FontData>(kiv::gdi::StockObject(SYSTEM_FONT));
    st.bitmap = kind == Kind::kMemory ? kiv::gdi::StockBitmap() : nullptr;
    saved.clear();
    InvalidateClip();
  }

  Surface* Target() const {
    if (kind == Kind::kMemory) return st.bitmap ? st.bitmap->surface.get() : nullptr;
    if (kind == Kind::kWindow) return attached;
    return nullptr;
  }

  // Logical to surface coordinates.
  CPoint Off() const { return CPoint(origin.x + st.viewport.x, origin.y + st.viewport.y); }

  void InvalidateClip() {
    clipValid = false;
    crClipApplied = false;
  }

  Region WholeDevice() const {
    Surface* s = Target();
    if (s == nullptr) return Region();
    return Region::FromRect(-origin.x, -origin.y, s->Width() - origin.x, s->Height() - origin.y);
  }

  // The device-coordinate region that IntersectClipRect and friends start from.
  Region ClipBase() const {
    if (st.hasClip) return st.clip;
    if (hasSystemClip) return systemClip;
    return WholeDevice();
  }

  const Region& ClipS() {
    if (clipValid) return clipS;
    Surface* s = Target();
    Region r = s == nullptr ? Region() : Region::FromRect(0, 0, s->Width(), s->Height());
    Region full = r;
    if (hasSystemClip) r = r.Intersect(systemClip.Offsetted(origin.x, origin.y));
    if (st.hasClip) r = r.Intersect(st.clip.Offsetted(origin.x, origin.y));
    clipS = r;
    clipAll = r == full;
    clipValid = true;
    crClipApplied = false;
    return clipS;
  }

  void ApplyClip(cairo_t* c, double dx, double dy) {
    if (clipAll) return;
    for (const RECT& r : clipS.Rects()) cairo_rectangle(c, r.left + dx, r.top + dy, r.right - r.left, r.bottom - r.top);
    cairo_clip(c);
  }

  // The cairo context on the current target with the clip applied; null
  // when there is nothing to draw on.
  cairo_t* Cr() {
    Surface* s = Target();
    if (s == nullptr) return nullptr;
    const Region& clip = ClipS();
    if (clip.IsEmpty()) return nullptr;
    if (cr == nullptr || cairo_get_target(cr) != s->CairoSurface()) {
      DestroyCr();
      cr = cairo_create(s->CairoSurface());
      cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
      crClipApplied = false;
    }
    if (!crClipApplied) {
      cairo_reset_clip(cr);
      ApplyClip(cr, 0, 0);
      crClipApplied = true;
    }
    cairo_new_path(cr);
    return cr;
  }

  void SetSource(cairo_t* c, const Ink& ink) {
    if (ink.tile) {
      cairo_pattern_t* p = cairo_pattern_create_for_surface(ink.tile->CairoSurface());
      cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
      cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
      // Brush tiles start at the DC's device origin.
      cairo_matrix_t m;
      cairo_matrix_init_translate(&m, -origin.x, -origin.y);
      cairo_pattern_set_matrix(p, &m);
      cairo_set_source(c, p);
      cairo_pattern_destroy(p);
    } else {
      cairo_set_source_rgb(c, GetRValue(ink.color) / 255.0, GetGValue(ink.color) / 255.0,
                           GetBValue(ink.color) / 255.0);
    }
  }

  static void Render(cairo_t* c, const PathMode& mode) {
    if (mode.stroke) {
      cairo_set_line_width(c, mode.lineWidth);
      cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
      cairo_set_line_join(c, CAIRO_LINE_JOIN_ROUND);
      cairo_stroke(c);
    } else {
      cairo_set_fill_rule(c, mode.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
      cairo_fill(c);
    }
  }

  // Paints a path (surface coordinates) with an ink under a ROP2 mix.
  void Paint(const PathFn& path, const Ink& ink, int rop, const PathMode& mode = PathMode()) {
    if (rop == R2_NOP) return;
    cairo_t* c = Cr();
    if (c == nullptr) return;
    Ink effective = ink;
    bool plainCopy = rop == R2_COPYPEN || rop == R2_BLACK || rop == R2_WHITE ||
                     (rop == R2_NOTCOPYPEN && !ink.tile);
    if (plainCopy && rop != R2_COPYPEN) {
      effective.tile.reset();
      effective.color = rop == R2_BLACK ? 0 : rop == R2_WHITE ? RGB(255, 255, 255)
                                                              : (~ink.color & 0xFFFFFF);
    }
    path(c);
    if (plainCopy) {
      SetSource(c, effective);
      cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
      Render(c, mode);
      return;
    }
    PaintMixed(c, effective, rop, mode);
  }

  // Mixes that read the destination: the shape is rendered into a mask, then
  // each covered pixel is combined with the ink.
  void PaintMixed(cairo_t* c, const Ink& ink, int rop, const PathMode& mode) {
    double x1, y1, x2, y2;
    if (mode.stroke) {
      cairo_set_line_width(c, mode.lineWidth);
      cairo_set_line_cap(c, CAIRO_LINE_CAP_ROUND);
      cairo_stroke_extents(c, &x1, &y1, &x2, &y2);
    } else {
      cairo_fill_extents(c, &x1, &y1, &x2, &y2);
    }
    CRect box(static_cast<LONG>(std::floor(x1)) - 1, static_cast<LONG>(std::floor(y1)) - 1,
              static_cast<LONG>(std::ceil(x2)) + 1, static_cast<LONG>(std::ceil(y2)) + 1);
    CRect bounds = clipS.Bounds();
    if (!box.IntersectRect(box, bounds)) {
      cairo_new_path(c);
      return;
    }
    cairo_path_t* saved = cairo_copy_path(c);
    cairo_new_path(c);
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, box.Width(), box.Height());
    cairo_t* m = cairo_create(mask);
    cairo_set_antialias(m, CAIRO_ANTIALIAS_NONE);
    ApplyClip(m, -box.left, -box.top);
    cairo_translate(m, -box.left, -box.top);
    cairo_append_path(m, saved);
    cairo_set_source_rgba(m, 0, 0, 0, 1);
    Render(m, mode);
    cairo_destroy(m);
    cairo_path_destroy(saved);
    cairo_surface_flush(mask);

    Surface* s = Target();
    uint8_t* pixels = s->Pixels();
    int stride = s->Stride();
    const uint8_t* maskData = cairo_image_surface_get_data(mask);
    int maskStride = cairo_image_surface_get_stride(mask);
    uint32_t color = kiv::gdi::Rgb24(ink.color);
    const uint8_t* tileData = ink.tile ? ink.tile->Pixels() : nullptr;
    for (LONG y = box.top; y < box.bottom; ++y) {
      const uint8_t* mrow = maskData + static_cast<size_t>(y - box.top) * maskStride;
      auto* row = reinterpret_cast<uint32_t*>(pixels + static_cast<size_t>(y) * stride);
      for (LONG x = box.left; x < box.right; ++x) {
        if (mrow[x - box.left] < 128) continue;
        uint32_t penColor = color;
        if (tileData != nullptr) {
          int tw = ink.tile->Width(), th = ink.tile->Height();
          int tx = ((x - origin.x) % tw + tw) % tw, ty = ((y - origin.y) % th + th) % th;
          penColor = reinterpret_cast<const uint32_t*>(tileData + static_cast<size_t>(ty) * ink.tile->Stride())[tx] & 0xFFFFFF;
        }
        row[x] = 0xFF000000u | kiv::gdi::Mix(rop, penColor, row[x] & 0xFFFFFF);
      }
    }
    cairo_surface_destroy(mask);
    cairo_surface_mark_dirty_rectangle(s->CairoSurface(), box.left, box.top, box.Width(), box.Height());
  }

  void FillRectsS(const std::vector<CRect>& rects, const Ink& ink, int rop) {
    if (rects.empty()) return;
    Paint([&](cairo_t* c) {
      for (const CRect& r : rects) cairo_rectangle(c, r.left, r.top, r.Width(), r.Height());
    }, ink, rop);
  }

  bool PenVisible() const { return st.pen && st.pen->style != PS_NULL; }
  int PenWidth() const { return PenVisible() ? std::max(1, st.pen->width) : 0; }
  bool PenStyled() const {
    return PenVisible() && st.pen->width <= 1 && st.pen->style >= PS_DASH && st.pen->style <= PS_DASHDOTDOT;
  }
  Ink PenInk() const { return Ink{st.pen ? st.pen->color : 0, nullptr}; }
  static bool BrushInk(const BrushData* brush, Ink* ink) {
    if (brush == nullptr || brush->style == BS_NULL) return false;
    ink->color = brush->color;
    ink->tile = brush->style == BS_PATTERN ? brush->pattern : nullptr;
    return true;
  }

  // Draws connected segments through logical points with the current pen.
  void StrokePolyline(const POINT* pts, int count, bool closed) {
    if (!PenVisible() || count < 2) return;
    CPoint off = Off();
    int n = closed ? count + 1 : count;
    auto at = [&](int i) { const POINT& p = pts[i % count]; return CPoint(p.x + off.x, p.y + off.y); };
    if (PenWidth() > 1) {
      Paint([&](cairo_t* c) {
        cairo_move_to(c, at(0).x + 0.5, at(0).y + 0.5);
        for (int i = 1; i < n; ++i) cairo_line_to(c, at(i).x + 0.5, at(i).y + 0.5);
        if (closed) cairo_close_path(c);
      }, PenInk(), st.rop2, PathMode{true, static_cast<double>(PenWidth()), false});
      return;
    }
    const std::vector<int>& dashes = kiv::gdi::DashPattern(st.pen->style);
    kiv::gdi::RunCollector on, off2;
    size_t dashIndex = 0;
    int dashLeft = dashes.empty() ? 0 : dashes[0];
    for (int i = 0; i + 1 < n; ++i) {
      CPoint a = at(i), b = at(i + 1);
      kiv::gdi::WalkLine(a.x, a.y, b.x, b.y, [&](LONG x, LONG y) {
        bool drawn = dashes.empty() || dashIndex % 2 == 0;
        (drawn ? on : off2).Add(x, y);
        if (!dashes.empty() && --dashLeft == 0) {
          dashIndex = (dashIndex + 1) % dashes.size();
          dashLeft = dashes[dashIndex];
        }
      });
    }
    FillRectsS(on.Finish(), PenInk(), st.rop2);
    if (!dashes.empty() && st.bkMode == OPAQUE) FillRectsS(off2.Finish(), Ink{st.bk, nullptr}, st.rop2);
  }

  // The pen's outline of an arc, chord or pie in a logical box. A box no
  // wider or higher than the pen is all outline.
  void StrokeArc(const CRect& box, CPoint off, double a1, double a2, kiv::gdi::ArcShape shape) {
    if (!PenVisible()) return;
    int w = PenWidth();
    if (box.Width() <= w || box.Height() <= w) {
      CRect r(box);
      r.OffsetRect(off.x, off.y);
      FillRectsS({r}, PenInk(), st.rop2);
      return;
    }
    Paint([&](cairo_t* c) { kiv::gdi::ArcPath(c, box, off, w / 2.0, a1, a2, shape); }, PenInk(), st.rop2,
          PathMode{true, static_cast<double>(w), false});
  }

  const FontFace& Face() {
    if (!st.font) st.font = std::static_pointer_cast<FontData>(kiv::gdi::StockObject(SYSTEM_FONT));
    return st.font->Face();
  }

  // Draws one line of UTF-8 text with its cell's top-left at logical (x, top),
  // underlining the bytes [underlineStart, + underlineLength) when given.
  void DrawTextLine(const FontFace& face, const std::string& utf8, int x, int top, int width,
                    int underlineStart = -1, int underlineLength = 0) {
    if (kiv::gdi::DrawingLog::Enabled()) {
      kiv::gdi::LoggedText entry;
      entry.text = kiv::Utf8ToGbk(utf8);
      entry.x = x;
      entry.y = top;
      entry.color = st.text;
      entry.background = st.bk;
      entry.opaque = st.bkMode == OPAQUE;
      entry.target = Target();
      kiv::gdi::DrawingLog::Record(std::move(entry));
    }
    cairo_t* c = Cr();
    if (c == nullptr) return;
    CPoint off = Off();
    const TEXTMETRIC& tm = face.Metrics();
    if (st.bkMode == OPAQUE && width > 0) {
      SetSource(c, Ink{st.bk, nullptr});
      cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
      cairo_rectangle(c, x + off.x, top + off.y, width, tm.tmHeight);
      cairo_fill(c);
    }
    SetSource(c, Ink{st.text, nullptr});
    cairo_set_operator(c, CAIRO_OPERATOR_OVER);
    face.Draw(c, utf8, x + off.x, top + off.y + tm.tmAscent, underlineStart, underlineLength);
  }

  template <typename T>
  T* Wrap(const std::shared_ptr<ObjectData>& data) {
    if (!data) return nullptr;
    if (data->owner != nullptr) {
      if (T* t = dynamic_cast<T*>(data->owner)) return t;
    }
    std::unique_ptr<CGdiObject>& slot = temps[data.get()];
    if (!slot) {
      auto wrapper = std::make_unique<T>();
      wrapper->SetData(data);
      slot = std::move(wrapper);
    }
    return static_cast<T*>(slot.get());
  }

  void SelectBitmap(std::shared_ptr<BitmapData> bitmap) {
    bitmap->SyncFromDib();
    st.bitmap = std::move(bitmap);
    InvalidateClip();
  }
};

