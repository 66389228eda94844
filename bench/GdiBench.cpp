// What the drawing layer costs over cairo and pango used directly.
//
//   Chart:  a 1366 x 768 window of 2,000 candles (body with pen and brush,
//           wick) and five 1,366-point polylines, through CDC on the
//           window's backing store, and the same primitives drawn straight
//           with cairo (no anti-aliasing) on a surface of the same size.
//   Labels: 1,000 short GBK labels measured and drawn through CDC, and the
//           same labels (already UTF-8) laid out and drawn with pango.
//
// After the runs, each pair's time ratio (layer / direct) is printed.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <cmath>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "platform/gdi/Gdi.h"
#include "platform/sys/CodePage.h"

namespace {

constexpr int kWidth = 1366;
constexpr int kHeight = 768;
constexpr int kCandles = 2000;
constexpr int kLines = 5;
constexpr int kLabels = 1000;

struct Candle {
  int x;
  int open;
  int close;
  int high;
  int low;
};

struct ChartData {
  std::vector<Candle> candles;
  std::vector<std::vector<POINT>> lines;
};

// Deterministic prices: a slow wave with a faster ripple.
const ChartData& Data() {
  static const ChartData data = [] {
    ChartData d;
    for (int i = 0; i < kCandles; ++i) {
      double mid = 384 + 200 * std::sin(i / 150.0) + 30 * std::sin(i / 7.0);
      int open = static_cast<int>(mid + 12 * std::sin(i * 1.3));
      int close = static_cast<int>(mid + 12 * std::cos(i * 0.9));
      int x = 2 + (i * (kWidth - 6)) / kCandles;
      d.candles.push_back(Candle{x, open, close, std::min(open, close) - 9 - i % 7,
                                 std::max(open, close) + 8 + i % 5});
    }
    for (int l = 0; l < kLines; ++l) {
      std::vector<POINT> pts;
      for (int x = 0; x < kWidth; ++x) {
        double y = 384 + (150 + 20 * l) * std::sin(x / (90.0 + 15 * l) + l);
        pts.push_back(POINT{x, static_cast<LONG>(y)});
      }
      d.lines.push_back(std::move(pts));
    }
    return d;
  }();
  return data;
}

const COLORREF kLineColours[kLines] = {0xFEFB00, 0x00C8FF, 0xFEFB00, 0x000078, 0x0E5011};

void BM_ChartThroughLayer(benchmark::State& state) {
  const ChartData& d = Data();
  kiv::gdi::Surface backing(kWidth, kHeight);
  CPen rise(PS_SOLID, 1, 0x0000E2), fall(PS_SOLID, 1, 0x2BA631);
  CBrush riseBrush(0x000000), fallBrush(0x2BA631);
  std::vector<CPen> linePens(kLines);
  for (int l = 0; l < kLines; ++l) linePens[l].CreatePen(PS_SOLID, 1, kLineColours[l]);
  for (auto _ : state) {
    CDC dc;
    dc.AttachSurface(&backing, POINT{0, 0}, nullptr);
    dc.FillSolidRect(0, 0, kWidth, kHeight, 0x000000);
    for (const Candle& c : d.candles) {
      bool up = c.close >= c.open;
      dc.SelectObject(up ? &rise : &fall);
      dc.SelectObject(up ? &riseBrush : &fallBrush);
      dc.MoveTo(c.x, c.high);
      dc.LineTo(c.x, c.low);
      dc.Rectangle(c.x - 2, std::min(c.open, c.close), c.x + 3, std::max(c.open, c.close) + 1);
    }
    for (int l = 0; l < kLines; ++l) {
      dc.SelectObject(&linePens[l]);
      dc.Polyline(d.lines[l].data(), static_cast<int>(d.lines[l].size()));
    }
    benchmark::DoNotOptimize(backing.Pixels());
  }
}
BENCHMARK(BM_ChartThroughLayer)->Unit(benchmark::kMillisecond);

void SetColour(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

void BM_ChartStraightCairo(benchmark::State& state) {
  const ChartData& d = Data();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  for (auto _ : state) {
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    for (const Candle& c : d.candles) {
      bool up = c.close >= c.open;
      COLORREF pen = up ? 0x0000E2 : 0x2BA631;
      SetColour(cr, pen);
      cairo_move_to(cr, c.x + 0.5, c.high + 0.5);
      cairo_line_to(cr, c.x + 0.5, c.low + 0.5);
      cairo_stroke(cr);
      double top = std::min(c.open, c.close), bottom = std::max(c.open, c.close) + 1;
      SetColour(cr, up ? 0x000000 : 0x2BA631);
      cairo_rectangle(cr, c.x - 2, top, 5, bottom - top);
      cairo_fill(cr);
      SetColour(cr, pen);
      cairo_rectangle(cr, c.x - 1.5, top + 0.5, 4, bottom - top - 1);
      cairo_stroke(cr);
    }
    for (int l = 0; l < kLines; ++l) {
      SetColour(cr, kLineColours[l]);
      const std::vector<POINT>& pts = d.lines[l];
      cairo_move_to(cr, pts[0].x + 0.5, pts[0].y + 0.5);
      for (size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr, pts[i].x + 0.5, pts[i].y + 0.5);
      cairo_stroke(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
  }
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_ChartStraightCairo)->Unit(benchmark::kMillisecond);

const std::vector<std::string>& GbkLabels() {
  static const std::vector<std::string> labels = [] {
    const char* names[] = {"招商银行", "浦发银行", "中国平安", "贵州茅台", "万科Ａ", "格力电器",
                           "五粮液", "中信证券", "宝钢股份", "上汽集团"};
    std::vector<std::string> out;
    for (int i = 0; i < kLabels; ++i) {
      char code[16];
      std::snprintf(code, sizeof(code), " %06d %+.2f%%", 600000 + i, (i % 21 - 10) * 0.37);
      out.push_back(std::string(names[i % 10]) + code);
    }
    return out;
  }();
  return labels;
}

void BM_LabelsThroughLayer(benchmark::State& state) {
  const std::vector<std::string>& labels = GbkLabels();
  kiv::gdi::Surface backing(kWidth, kHeight);
  LOGFONT lf;
  lf.lfHeight = 15;
  lf.lfWeight = 100;
  std::snprintf(lf.lfFaceName, sizeof(lf.lfFaceName), "%s", "宋体");
  CFont font;
  font.CreateFontIndirect(&lf);
  auto drawAll = [&] {
    CDC dc;
    dc.AttachSurface(&backing, POINT{0, 0}, nullptr);
    dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(0xCCCCCC);
    int x = 0, y = 0;
    for (const std::string& label : labels) {
      CSize extent = dc.GetTextExtent(label);
      dc.TextOut(x, y, label);
      y += extent.cy;
      if (y + extent.cy > kHeight) {
        y = 0;
        x += 200;
      }
    }
  };
  drawAll();  // first use loads the fonts; not part of the measure
  for (auto _ : state) drawAll();
}
BENCHMARK(BM_LabelsThroughLayer)->Unit(benchmark::kMillisecond);

void BM_LabelsStraightPango(benchmark::State& state) {
  std::vector<std::string> labels;
  for (const std::string& gbk : GbkLabels()) labels.push_back(kiv::GbkToUtf8(gbk));
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  PangoFontMap* map = pango_cairo_font_map_new();
  PangoContext* context = pango_font_map_create_context(map);
  PangoFontDescription* desc = pango_font_description_from_string("AR PL UMing CN");
  pango_font_description_set_absolute_size(desc, 15 * PANGO_SCALE);
  auto drawAll = [&] {
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
    int x = 0, y = 0;
    for (const std::string& label : labels) {
      PangoLayout* layout = pango_layout_new(context);
      pango_layout_set_font_description(layout, desc);
      pango_layout_set_text(layout, label.data(), static_cast<int>(label.size()));
      int width, height;
      pango_layout_get_pixel_size(layout, &width, &height);
      cairo_move_to(cr, x, y);
      pango_cairo_show_layout(cr, layout);
      g_object_unref(layout);
      y += 15;
      if (y + 15 > kHeight) {
        y = 0;
        x += 200;
      }
    }
    cairo_destroy(cr);
  };
  drawAll();  // first use loads the fonts; not part of the measure
  for (auto _ : state) drawAll();
  pango_font_description_free(desc);
  g_object_unref(context);
  g_object_unref(map);
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_LabelsStraightPango)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    reporter.PrintRatio("ratio chart 1366x768, 2000 candles + 5 polylines (layer / direct)",
                        "BM_ChartThroughLayer", "BM_ChartStraightCairo");
    reporter.PrintRatio("ratio 1000 GBK labels (layer / direct)", "BM_LabelsThroughLayer",
                        "BM_LabelsStraightPango");
  });
}
