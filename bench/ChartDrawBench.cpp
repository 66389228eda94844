// What the K-line chart costs to draw, against the same primitives drawn
// straight with cairo in the same run.
//
//   DrawChart:  CKIVKLineBlock::DrawChart and its overlay (crosshair on,
//               panel, legends) on a 1366 x 700 chart of 1,000, 5,000 and
//               20,480 day bars at zoom 0, 6 and 9, with and without signal
//               marks and insider notes. Only the visible bars are drawn, so
//               the count matters through the averages' values alone.
//   Anchor:     the visible candles (wick and body), volume bars and ten
//               polylines of the averages, drawn with cairo directly (no
//               anti-aliasing) on a surface of the same size.
//   NoLines:    DrawChart without averages, for the share the lines take.
//   Crosshair:  a mouse move over the chart and the paint it causes (the
//               overlay only: the chart layer stays).
//
// After the runs: each size's ratio to its anchor, the frame budget of the
// largest, and the lines' share.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/BenchDataFolder.h"
#include "bench/RatioReporter.h"
#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/ChartIds.h"
#include "chart/engine/KLineViewState.h"
#include "chart/engine/window/KIVKLineBlock.h"
#include "data/CachePath.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WinUser.h"
#include "res/ResourceTables.h"
#include "shell/KivUiTheme.h"

namespace {

using kiv::CKIVKLineBlock;

constexpr int kWidth = 1366;
constexpr int kHeight = 700;
const StockId kStock = MakeStockId(600000, 1);

std::unique_ptr<CKLineSeries> MakeBars(int count, bool marks) {
  auto series = std::make_unique<CKLineSeries>();
  series->SetStock(kStock);
  series->SetDataType(kiv::kDataTypeDay);
  kiv::SetSeriesName(series.get(), "浦发银行");
  const int64_t first = 1735801200 - static_cast<int64_t>(count) * 86400;
  for (int i = 0; i < count; ++i) {
    const double mid = 10 + 3 * std::sin(i / 150.0) + 0.4 * std::sin(i / 7.0);
    KLineBar bar{};
    bar.time = first + static_cast<int64_t>(i) * 86400;
    bar.open = static_cast<float>(mid + 0.12 * std::sin(i * 1.3));
    bar.close = static_cast<float>(mid + 0.12 * std::cos(i * 0.9));
    bar.high = std::max(bar.open, bar.close) + 0.08f + 0.01f * (i % 5);
    bar.low = std::min(bar.open, bar.close) - 0.09f - 0.01f * (i % 7);
    bar.volume = static_cast<float>(100000 + 40000 * std::sin(i / 13.0));
    bar.amount = bar.volume * bar.close * 100;
    const uint32_t flags = marks ? (i % 11 == 0 ? 1u : i % 11 == 5 ? 3u : i % 11 < 5 ? 4u : 2u) : 0u;
    series->AddBar(bar, flags, 0, 0, 0);
  }
  return series;
}

// The chart on the headless display in a host window, with a series shown.
struct ChartScene {
  ChartScene() {
    kiv::res::UseDeskResources();
    InitUiFontsForScreen(UiTheme().Fonts(), 1366, 768);
    kiv::g_bFirstKLineLoad = false;
    host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, kWidth, kHeight), nullptr, 0);
    chart = std::make_unique<CKIVKLineBlock>(kiv::ChartServices{});
    chart->Create(nullptr, "StockBlock", WS_CHILD | WS_VISIBLE, CRect(0, 0, kWidth, kHeight), &host, 501);
    chart->ShowWindow(SW_HIDE);
    chart->ShowWindow(SW_SHOW);
    layer.CreateCompatibleDC(nullptr);
    overlay.CreateCompatibleDC(nullptr);
    layerBitmap.CreateCompatibleBitmap(nullptr, kWidth, kHeight);
    overlayBitmap.CreateCompatibleBitmap(nullptr, kWidth, kHeight);
    oldLayer = layer.SelectObject(&layerBitmap);
    oldOverlay = overlay.SelectObject(&overlayBitmap);
  }
  ~ChartScene() {
    layer.SelectObject(oldLayer);
    overlay.SelectObject(oldOverlay);
    chart->DestroyWindow();
    chart.reset();
    host.DestroyWindow();
  }
  void Show(int count, int level, bool marks) {
    if (count != shownCount || marks != shownMarks) {
      StockId id = kStock;
      chart->SetStock(&id, kiv::kDataTypeDay);
      kiv::PostOwned(chart->GetSafeHwnd(), kiv::WM_KIV_SERIES_READY, MakeBars(count, marks), 1);
      kiv::PumpPendingMessages();
      const bool shortMarks = (chart->Model().DisplayOptions() & kiv::kShortMarksBit) != 0;
      if (shortMarks != marks) chart->ToggleShortMarks();
      if (marks) {
        CKLineSeries* series = chart->Model().MutableSeries();
        for (int i = 0; i < count; i += 50) {
          auto text = std::make_unique<char[]>(32);
          std::snprintf(text.get(), 32, "note %d", i);
          series->SetHolderText(i, std::move(text));
        }
      }
      shownCount = count;
      shownMarks = marks;
      chart->SendMessage(kiv::WM_KIV_CROSSHAIR_TOGGLED, 1, 0);
    }
    kiv::g_data.zoomLevel = level;
    const int visible = kiv::ZoomVisibleBars(chart->Plots().price.Width(), level);
    kiv::g_data.m_StartIndex = std::max(0, count - visible);
    kiv::g_data.crosshairX = kWidth / 2;
    kiv::g_data.crosshairY = kHeight / 3;
  }
  void Draw() {
    chart->Model().RequestRedraw();
    chart->DrawChart(&layer);
    overlay.BitBlt(0, 0, kWidth, kHeight, &layer, 0, 0, SRCCOPY);
    chart->DrawInfoPanel(&overlay);
  }

  CWnd host;
  std::unique_ptr<CKIVKLineBlock> chart;
  CDC layer, overlay;
  CBitmap layerBitmap, overlayBitmap;
  CBitmap* oldLayer = nullptr;
  CBitmap* oldOverlay = nullptr;
  int shownCount = 0;
  bool shownMarks = false;
};

ChartScene& Scene() {
  // The windows live to the end of the program; the scratch folder they
  // write in is made before them and removed at exit.
  static BenchDataFolder folder{"chartdraw"};
  static ChartScene* scene = new ChartScene();
  return *scene;
}

void DrawChartAt(benchmark::State& state, int count, int level, bool marks) {
  ChartScene& s = Scene();
  s.Show(count, level, marks);
  s.Draw();  // the first draw computes what the later ones reuse
  for (auto _ : state) s.Draw();
}

void BM_DrawChartNoLines(benchmark::State& state) {
  ChartScene& s = Scene();
  s.Show(20480, 9, false);
  kiv::ChartLineSet& lines = s.chart->Model().Lines();
  MAPair price[5], volume[5];
  for (int i = 0; i < 5; ++i) {
    price[i] = MAPair{0, lines.m_PriceMA[i].GetColor()};
    volume[i] = MAPair{0, lines.m_VolumeMA[i].GetColor()};
  }
  MAPair before[5], beforeVolume[5];
  for (int i = 0; i < 5; ++i) {
    before[i] = MAPair{lines.priceMAPeriod[i], lines.m_PriceMA[i].GetColor()};
    beforeVolume[i] = MAPair{lines.volumeMAPeriod[i], lines.m_VolumeMA[i].GetColor()};
  }
  s.chart->Model().SetAverageSettings(price, volume);
  s.Draw();
  for (auto _ : state) s.Draw();
  s.chart->Model().SetAverageSettings(before, beforeVolume);
}
BENCHMARK(BM_DrawChartNoLines)->Unit(benchmark::kMillisecond);

void SetColour(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// The anchor: what the chart layer draws per visible bar and line, straight.
void PrimitivesStraightCairo(benchmark::State& state, int count, int level) {
  std::unique_ptr<CKLineSeries> bars = MakeBars(count, false);
  const int plotLeft = 80, priceBottom = kHeight * 7 / 9, volumeTop = priceBottom + 2, volumeBottom = kHeight - 2;
  const int visible = kiv::ZoomVisibleBars(kWidth - 1 - plotLeft, level);
  const int start = std::max(0, count - visible), n = std::min(visible, count);
  const int step = kiv::ZoomStep(level), w = kiv::ZoomCandleWidth(level);
  float high = 0, low = 1e8f, maxVolume = 1;
  for (int i = start; i < start + n; ++i) {
    high = std::max(high, bars->Bar(i).high);
    low = std::min(low, bars->Bar(i).low);
    maxVolume = std::max(maxVolume, bars->Bar(i).volume);
  }
  auto py = [&](float p) { return std::floor(priceBottom - (p - low) * (priceBottom - 40) / (high - low)) + 0.5; };
  auto vy = [&](float v) { return std::floor(volumeBottom - v / maxVolume * (volumeBottom - volumeTop - 20)); };
  // Ten lines of moving values over the visible bars.
  std::vector<std::vector<double>> lines(10, std::vector<double>(n));
  for (int l = 0; l < 10; ++l) {
    for (int j = 0; j < n; ++j) lines[l][j] = l < 5 ? py(bars->Bar(start + j).close + 0.01f * l) : vy(bars->Bar(start + j).volume);
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  for (auto _ : state) {
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    for (int j = 0; j < n; ++j) {
      const KLineBar& b = bars->Bar(start + j);
      const double x0 = plotLeft + j * step, xc = x0 + w / 2 + 0.5;
      SetColour(cr, b.close >= b.open ? 0x0000E2 : 0x2BA631);
      cairo_move_to(cr, xc, py(b.high));
      cairo_line_to(cr, xc, py(b.low));
      cairo_stroke(cr);
      const double top = std::min(py(b.open), py(b.close)) - 0.5;
      cairo_rectangle(cr, x0, top, w, std::fabs(py(b.open) - py(b.close)) + 1);
      cairo_rectangle(cr, x0, vy(b.volume), w, volumeBottom - vy(b.volume));
      cairo_fill(cr);
    }
    for (int l = 0; l < 10; ++l) {
      SetColour(cr, 0x0BFFFF);
      cairo_move_to(cr, plotLeft + w / 2 + 0.5, lines[l][0]);
      for (int j = 1; j < n; ++j) cairo_line_to(cr, plotLeft + j * step + w / 2 + 0.5, lines[l][j]);
      cairo_stroke(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
  }
  cairo_surface_destroy(surface);
}

void BM_CrosshairMove(benchmark::State& state) {
  ChartScene& s = Scene();
  s.Show(20480, 6, true);
  s.chart->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  int x = 200;
  for (auto _ : state) {
    x = x >= kWidth - 100 ? 200 : x + 7;
    s.chart->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, kHeight / 3));
    s.chart->UpdateWindow();
  }
}
BENCHMARK(BM_CrosshairMove)->Unit(benchmark::kMillisecond);

// Benchmarks are registered one per size, so that each has a name of its
// own for the ratios.
std::string SizeName(const char* what, int bars, int zoom) {
  return std::string(what) + "_bars" + std::to_string(bars) + "_zoom" + std::to_string(zoom);
}

}  // namespace

int main(int argc, char** argv) {
  const int kBars[3] = {1000, 5000, 20480}, kZooms[3] = {0, 6, 9};
  for (int bars : kBars) {
    for (int zoom : kZooms) {
      for (int marks = 0; marks < 2; ++marks) {
        benchmark::RegisterBenchmark((SizeName("BM_DrawChart", bars, zoom) + (marks ? "_marks" : "")).c_str(),
                                     DrawChartAt, bars, zoom, marks != 0)
            ->Unit(benchmark::kMillisecond);
      }
      benchmark::RegisterBenchmark(SizeName("BM_PrimitivesStraightCairo", bars, zoom).c_str(),
                                   PrimitivesStraightCairo, bars, zoom)
          ->Unit(benchmark::kMillisecond);
    }
  }
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    for (int bars : kBars) {
      for (int zoom : kZooms) {
        const std::string what = "ratio DrawChart + overlay, " + std::to_string(bars) + " bars, zoom " +
                                 std::to_string(zoom) + " (chart / straight primitives)";
        reporter.PrintRatio(what.c_str(), SizeName("BM_DrawChart", bars, zoom),
                            SizeName("BM_PrimitivesStraightCairo", bars, zoom));
      }
    }
    for (int zoom : kZooms) {
      for (int marks = 0; marks < 2; ++marks) {
        const std::string what = "DrawChart + overlay, 20480 bars, zoom " + std::to_string(zoom) + (marks ? ", marks" : "");
        reporter.PrintBudget(what.c_str(), SizeName("BM_DrawChart", 20480, zoom) + (marks ? "_marks" : ""));
      }
    }
    const double all = reporter.Seconds(SizeName("BM_DrawChart", 20480, 9));
    const double none = reporter.Seconds("BM_DrawChartNoLines");
    if (all > 0 && none > 0) std::printf("share of the lines in DrawChart, 20480 bars, zoom 9: %.2f\n", 1 - none / all);
    reporter.PrintBudget("crosshair move and repaint, 1366 x 700 chart", "BM_CrosshairMove");
  });
}
