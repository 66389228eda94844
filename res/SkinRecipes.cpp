#include "res/SkinRecipes.h"

#include <algorithm>

namespace kiv {
namespace res {
namespace recipes {

using namespace skin;  // NOLINT: colour names

BitmapRecipe Button(int w, int h, bool active, std::string caption, Glyph glyph) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) { p.Button(active, caption, glyph); }};
}

BitmapRecipe BarButton(int w, int h, bool active, Glyph glyph, std::string caption) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.Gradient(0, 0, w, h, kBandTop, kBandBottom);
    if (active) p.RoundBox(1, 1, w - 2, h - 2, 2, 0x6A4A10, kAccentDark, kAccent);
    COLORREF ink = active ? RGB(255, 255, 255) : kText;
    if (glyph != Glyph::kNone) p.DrawGlyph(glyph, 0, 0, w, h, ink);
    p.Caption(caption, RECT{0, 0, w, h}, active ? kAccent : kText, std::min(13, h - 8), "宋体");
  }};
}

BitmapRecipe Band(int w, int h, COLORREF top, COLORREF bottom) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) { p.Band(top, bottom); }};
}

BitmapRecipe Separator(int w, int h) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.Gradient(0, 0, w, h, kBandTop, kBandBottom);
    p.Fill(0, 3, 1, h - 6, RGB(0, 0, 0));
    if (w > 1) p.Fill(1, 3, 1, h - 6, 0x606060);
  }};
}

BitmapRecipe Arrow(int w, int h, Glyph glyph) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.Fill(0, 0, w, h, 0x333333);
    p.Frame(0, 0, w, h, 0x444444);
    p.DrawGlyph(glyph, 0, 0, w, h, 0xAAAAAA);
  }};
}

BitmapRecipe CheckBox(int size, bool ticked) {
  return BitmapRecipe{size, size, [=](SkinPainter& p) {
    p.Fill(0, 0, size, size, 0x101010);
    p.Frame(0, 0, size, size, ticked ? kAccent : 0x777777);
    if (ticked) p.DrawGlyph(Glyph::kTick, 1, 1, size - 2, size - 2, kAccent);
  }};
}

BitmapRecipe Dialog(int w, int h, int bandHeight, std::string caption, bool closeCross) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.Fill(0, 0, w, h, 0x0C0C0C);
    p.Gradient(0, 0, w, bandHeight, kBandTop, kBandBottom);
    p.Fill(0, bandHeight - 1, w, 1, kBorder);
    p.Frame(0, 0, w, h, kBorder);
    p.Caption(caption, RECT{0, 0, w, bandHeight}, RGB(255, 255, 255), std::min(14, bandHeight - 6), "宋体");
    if (closeCross) CloseMark(p, kText);
  }};
}

void CloseMark(SkinPainter& p, COLORREF c) {
  // Round caps reach 0.75 past the ends of the 1.5-wide strokes, so ends
  // 0.75 inside the box keep every touched pixel in it.
  int w = p.Width();
  p.Line(w - 21.25, 8.75, w - 14.75, 15.25, 1.5, c);
  p.Line(w - 14.75, 8.75, w - 21.25, 15.25, 1.5, c);
}

BitmapRecipe Notice(int w, int h, int bandHeight, std::string caption,
                    std::function<void(SkinPainter&)> decorate) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.Fill(0, 0, w, h, kNoticeBody);
    p.Gradient(0, 0, w, bandHeight, kBandTop, kBandBottom);
    p.Fill(0, bandHeight - 1, w, 1, RGB(0, 0, 0));
    p.Frame(0, 0, w, h, kBorder);
    p.Caption(caption, RECT{0, 0, w, bandHeight}, RGB(255, 255, 255), std::min(14, bandHeight - 8), "宋体");
    CloseMark(p, kText);
    if (decorate) decorate(p);
  }};
}

BitmapRecipe FlatButton(int w, int h, bool primary, std::string caption) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    COLORREF top = primary ? RGB(40, 140, 220) : RGB(96, 96, 96);
    COLORREF bottom = primary ? RGB(10, 80, 160) : RGB(56, 56, 56);
    COLORREF border = primary ? RGB(5, 50, 110) : RGB(30, 30, 30);
    p.Gradient(0, 0, w, h, top, bottom);
    p.Fill(1, 1, w - 2, 1, primary ? RGB(110, 180, 240) : RGB(130, 130, 130));
    p.Frame(0, 0, w, h, border);
    p.Caption(caption, RECT{0, 0, w, h}, RGB(255, 255, 255), std::max(10, std::min(14, h - 10)), "宋体");
  }};
}

BitmapRecipe PageButton(int w, int h, bool active, std::string caption) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    if (active) {
      p.Gradient(0, 0, w, h, 0x8A5E10, kAccentDark);
      p.Fill(0, 0, 4, h, kAccent);
    } else {
      p.Gradient(0, 0, w, h, 0x303030, 0x1C1C1C);
    }
    p.Fill(0, 0, w, 1, active ? 0xB07A20 : 0x444444);
    p.Fill(0, h - 1, w, 1, RGB(0, 0, 0));
    int left = active ? 4 : 0;
    p.Caption(caption, RECT{left, 0, w, h}, active ? RGB(255, 255, 255) : kText, 15, "黑体");
  }};
}

BitmapRecipe HeadPhoto(int w, int h, std::string caption) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.Gradient(0, 0, w, h, 0x262626, kWindow);
    cairo_t* cr = p.Cr();
    const double pi = 3.14159265358979323846;
    double captionH = 18;
    double r = std::min(w / 2.0, (h - captionH) / 2.0) - 6;
    double cx = w / 2.0, cy = 6 + r;
    auto setColor = [cr](COLORREF c) {
      cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
    };
    // The portrait: head and shoulders cut by the round frame.
    cairo_save(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * pi);
    setColor(0x3A3A3A);
    cairo_fill_preserve(cr);
    cairo_clip(cr);
    setColor(0x9A9A9A);
    cairo_arc(cr, cx, cy - r * 0.18, r * 0.36, 0, 2 * pi);
    cairo_fill(cr);
    cairo_arc(cr, cx, cy + r * 1.05, r * 0.72, 0, 2 * pi);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * pi);
    setColor(kAccent);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    p.Caption(caption, RECT{0, static_cast<LONG>(h - captionH - 2), w, h - 2}, kText, 12, "宋体");
  }};
}

BitmapRecipe CountdownBackground() {
  const int w = kCountdownWidth, h = kCountdownHeight;
  // A rule between the countdown row and the buttons.
  return Notice(w, h, 24, "提示", [=](SkinPainter& p) { p.Fill(16, h - 58, w - 32, 1, 0xAAAAAA); });
}

BitmapRecipe CountdownButton(bool ok) {
  return FlatButton(kCountdownButtonWidth, kCountdownButtonHeight, ok, ok ? "确  定" : "取  消");
}

BitmapRecipe Logo(int w, int h, std::string name) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.Band(kBandTop, kBandBottom);
    int mark = h - 8;
    p.RoundBox(4, 4, mark, mark, 3, 0x2A5AD0, 0x10308A, 0x4080FF);
    p.Caption("溪", RECT{4, 4, 4 + mark, 4 + mark}, RGB(255, 255, 255), mark * 3 / 4, "黑体", true);
    p.Caption(name, RECT{mark + 8, 0, w, h}, RGB(255, 255, 255), std::min(16, h - 8), "黑体");
  }};
}

BitmapRecipe Picture(int w, int h, std::string caption, COLORREF accent) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.Gradient(0, 0, w, h, 0x2A2A2A, 0x141414);
    p.Fill(0, 0, 4, h, accent);
    p.Frame(0, 0, w, h, kBorder);
    p.Caption(caption, RECT{4, 0, w, h}, kText, std::min(18, std::max(10, h / 3)), "黑体");
  }};
}

BitmapRecipe ProgressBar(int w, int h, bool filled) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    if (filled) {
      p.RoundBox(0, 0, w, h, h / 3.0, 0xF0B040, 0xA06010, 0xC08020);
      p.Fill(3, 3, w - 6, 2, 0xFFD890);
    } else {
      p.RoundBox(0, 0, w, h, h / 3.0, 0x202020, 0x383838, 0x606060);
    }
  }};
}

BitmapRecipe Marks(int w, int h, bool stacked) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    cairo_t* cr = p.Cr();
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    p.Fill(0, 0, w, h, RGB(0, 0, 0));
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    double cw = stacked ? w : w / 2.0, ch = stacked ? h / 2.0 : h;
    // Buy: a red arrow up; sell: a green arrow down.
    p.DrawGlyph(Glyph::kUp, 0, 0, cw, ch, kRise);
    p.DrawGlyph(Glyph::kDown, stacked ? 0 : cw, stacked ? ch : 0, cw, ch, kFall);
  }};
}

BitmapRecipe EditFrame(int w, int h) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.RoundBox(0, 0, w, h, 3, 0x101010, 0x181818, 0x606060);
  }};
}

BitmapRecipe SignalIcon(int w, int h) {
  return BitmapRecipe{w, h, [=](SkinPainter& p) {
    p.Fill(0, 0, w, h, kWindow);
    double bw = w / 4.0;
    for (int i = 0; i < 3; ++i) {
      double bh = h * (i + 1) / 3.0;
      p.Fill(i * (bw + 1) + 1, h - bh, bw, bh, i == 2 ? kFall : 0x55AA55);
    }
  }};
}

}  // namespace recipes
}  // namespace res
}  // namespace kiv
