// What the indicator pane's paints cost on a 1366 x 250 pane showing KDJ
// over the newest bars of a series of 1,000, 5,000 and 20,480 bars.
//
//   Crosshair: a crosshair move as the pane sees it: the crosshair point
//              moves, the host asks for a crosshair repaint, and the paint
//              copies the kept drawing and draws the title line, the value
//              box and the crosshair on it.
//   Full:      the same paint after a zoom or a new series: the indicator
//              drawn anew (frame, grid, labels, lines) before that copy:
//              the anchor, which shows the same picture.
//
// After the runs, the crosshair paint's time over the full paint's is
// printed for each size, and each over a 16 ms frame budget.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/ChartBenchScreen.h"
#include "bench/RatioReporter.h"
#include "chart/engine/ChartIds.h"
#include "chart/engine/KLineViewState.h"
#include "chart/indicators/IndicatorIds.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "data/KLineSeries.h"
#include "net/DataTypes.h"
#include "platform/backend/HeadlessDisplay.h"
#include "platform/core/MessageLoop.h"

namespace {

constexpr int kPaneBenchWidth = 1366;
constexpr int kPaneBenchHeight = 250;

// A random walk about 10 yuan, the same for the same count.
std::unique_ptr<CKLineSeries> PaneBenchSeries(int count) {
  auto series = std::make_unique<CKLineSeries>();
  series->SetDataType(DT_KLINE_DAY);
  uint32_t state = 12345u;
  auto next = [&state]() {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>((state >> 8) & 0xFFFF) / 65535.0f;
  };
  float close = 10.0f;
  for (int i = 0; i < count; ++i) {
    KLineBar bar{};
    bar.time = 946684800 + static_cast<int64_t>(i) * 86400;
    bar.open = close + (next() - 0.5f) * 0.1f;
    close = std::max(1.0f, bar.open + (next() - 0.48f) * 0.4f);
    bar.close = close;
    bar.high = std::max(bar.open, close) + next() * 0.15f + 0.01f;
    bar.low = std::min(bar.open, close) - next() * 0.15f - 0.01f;
    bar.volume = 10000.0f + next() * 50000.0f;
    bar.amount = bar.volume * close;
    series->AddBar(bar, 0, 0.0f, 0.0f, 1);
  }
  return series;
}

// A fresh headless screen with a pane of KDJ over the newest bars, the
// crosshair shown, painted once.
struct PaneScene {
  ChartBenchScreen screen;
  explicit PaneScene(int bars) {
    kiv::g_data.leftMargin = 50;
    kiv::g_data.zoomLevel = kiv::kInitialZoomLevel;
    series = PaneBenchSeries(bars);
    const int plotWidth = kPaneBenchWidth - 50 - 10 - 1;
    kiv::g_data.m_StartIndex = kiv::g_data.RightAlignedStart(bars, plotWidth);
    host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, CRect(0, 0, kPaneBenchWidth, kPaneBenchHeight), nullptr,
                  0);
    pane = std::make_unique<CKivDesk_Wnd_Index>("KDJ", kiv::kIdbIndexTabFace, kiv::kIdbIndexTabSeparator);
    ok = pane->Create(nullptr, kiv::kIndexPaneWindowName, WS_CHILD | WS_VISIBLE,
                      CRect(0, 0, kPaneBenchWidth, kPaneBenchHeight), &host, kiv::kIdcIndexPane) != FALSE;
    if (!ok) return;
    pane->SendMessage(kiv::WM_KIV_SERIES_READY, reinterpret_cast<WPARAM>(series.get()), 0);
    pane->SendMessage(kiv::WM_KIV_CROSSHAIR_SHOW, 1, 0);
    kiv::PumpPendingMessages();
  }
  ~PaneScene() {
    if (pane) pane->SendMessage(kiv::WM_KIV_SERIES_READY, 0, 0);
    if (pane) pane->DestroyWindow();
    pane.reset();
    host.DestroyWindow();
  }
  // The crosshair point somewhere over the plot, a different one each step.
  void MoveCrosshair(int step) {
    CPoint p(100 + (step * 37) % 1200, 40 + (step * 13) % 150);
    pane->ClientToScreen(&p);
    kiv::g_data.crosshairX = p.x;
    kiv::g_data.crosshairY = p.y;
  }

  std::unique_ptr<CKLineSeries> series;
  CWnd host;
  std::unique_ptr<CKivDesk_Wnd_Index> pane;
  bool ok = false;
};

void IndexPaneCrosshairPaint(benchmark::State& state, int bars) {
  PaneScene scene(bars);
  if (!scene.ok) {
    state.SkipWithError("the pane could not be created");
    return;
  }
  int step = 0;
  for (auto _ : state) {
    scene.MoveCrosshair(++step);
    scene.pane->SendMessage(kiv::WM_KIV_CROSSHAIR_REPAINT, 0, 0);
    scene.pane->UpdateWindow();
  }
}

void IndexPaneFullPaint(benchmark::State& state, int bars) {
  PaneScene scene(bars);
  if (!scene.ok) {
    state.SkipWithError("the pane could not be created");
    return;
  }
  int step = 0;
  for (auto _ : state) {
    scene.MoveCrosshair(++step);
    scene.pane->m_bRedraw = TRUE;
    scene.pane->Invalidate();
    scene.pane->UpdateWindow();
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Registered by name with the bar count in it, so that the reporter keeps
  // each size apart.
  const int sizes[] = {1000, 5000, 20480};
  for (int bars : sizes) {
    benchmark::RegisterBenchmark(("IndexPaneCrosshairPaint/" + std::to_string(bars)).c_str(), IndexPaneCrosshairPaint,
                                 bars)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("IndexPaneFullPaint/" + std::to_string(bars)).c_str(), IndexPaneFullPaint, bars)
        ->Unit(benchmark::kMicrosecond);
  }
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    for (int size : sizes) {
      const std::string bars = std::to_string(size);
      const std::string crosshair = "IndexPaneCrosshairPaint/" + bars;
      const std::string full = "IndexPaneFullPaint/" + bars;
      const std::string what = "ratio indicator pane crosshair paint / full paint, " + bars + " bars";
      reporter.PrintRatio(what.c_str(), crosshair, full);
      reporter.PrintBudget(("indicator pane crosshair paint, " + bars + " bars").c_str(), crosshair);
      reporter.PrintBudget(("indicator pane full paint, " + bars + " bars").c_str(), full);
    }
  });
}
