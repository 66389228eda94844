// SkinPainter: the small drawing kit the resource tables draw our skins with.
//
// Every picture of the programs is drawn by code at load time: dark bands and
// panels, bordered buttons with captions, glyphs (close cross, maximise,
// restore, minimise, arrows, tick), icons and the hand cursor. Shapes are
// drawn with cairo (anti-aliased, this is art, not GDI output); captions go
// through the drawing layer's own text so they use the program's faces.
#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/Geometry.h"

namespace kiv {
namespace gdi {
class Surface;
}

namespace res {

// The colours of the dark theme, as COLORREF (0x00BBGGRR).
namespace skin {
constexpr COLORREF kWindow = 0x1A1A1A;
constexpr COLORREF kPanel = 0x202020;
constexpr COLORREF kBandTop = 0x3A3A3A;
constexpr COLORREF kBandBottom = 0x1C1C1C;
constexpr COLORREF kBorder = 0x555555;
constexpr COLORREF kText = 0xCCCCCC;
constexpr COLORREF kAccent = 0xDEA000;      // light blue, the active caption colour
constexpr COLORREF kAccentDark = 0x5A3C00;  // deep blue for active fills
constexpr COLORREF kGold = 0x00A0E0;        // the program's label colour
constexpr COLORREF kRise = 0x0000E2;
constexpr COLORREF kFall = 0x2BA631;
}  // namespace skin

enum class Glyph { kNone, kClose, kMaximise, kRestore, kMinimise, kUp, kDown, kLeft, kRight, kTick, kEnlarge, kShrink };

class SkinPainter {
 public:
  SkinPainter(int width, int height, COLORREF background);
  ~SkinPainter();
  SkinPainter(const SkinPainter&) = delete;
  SkinPainter& operator=(const SkinPainter&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  cairo_t* Cr() { return cr_; }

  // Vertical gradient over a rectangle.
  void Gradient(double x, double y, double w, double h, COLORREF top, COLORREF bottom);
  void Fill(double x, double y, double w, double h, COLORREF c);
  // 1-pixel line inside the rectangle's edge.
  void Frame(double x, double y, double w, double h, COLORREF c);
  void RoundBox(double x, double y, double w, double h, double r, COLORREF top, COLORREF bottom,
                COLORREF border);
  void Line(double x0, double y0, double x1, double y1, double width, COLORREF c);
  // A glyph centred in the rectangle, drawn with strokes of the colour.
  void DrawGlyph(Glyph g, double x, double y, double w, double h, COLORREF c);
  // GBK text centred in the rectangle; height in pixels, face GBK.
  void Caption(const std::string& gbk, const RECT& r, COLORREF c, int height, const char* face,
               bool bold = false);

  // A skinned push button: bordered, shaded, optional caption and glyph.
  void Button(bool active, const std::string& caption, Glyph glyph);
  // A horizontal band as wide as the picture, with a bright top edge.
  void Band(COLORREF top, COLORREF bottom);

  // Hands over the finished picture.
  std::shared_ptr<gdi::Surface> Finish();

 private:
  int width_;
  int height_;
  std::shared_ptr<gdi::Surface> surface_;
  cairo_t* cr_;
};

// What a table entry draws: size and the steps.
struct BitmapRecipe {
  int width;
  int height;
  std::function<void(SkinPainter&)> draw;
};

std::shared_ptr<gdi::Surface> Render(const BitmapRecipe& recipe);

}  // namespace res
}  // namespace kiv
