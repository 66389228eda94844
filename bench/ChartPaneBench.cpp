// What a crosshair move costs the stock view's chart and the indicator
// pane beneath it together: a 1366 x 500 chart over a 1366 x 250 pane with
// KDJ, in a host that relays between them as the view does, over series of
// 1,000, 5,000 and 20,480 day bars at zoom 6, the crosshair on.
//
//   CrosshairMove: the mouse moves over the chart; the chart repaints its
//                  overlay on the kept chart layer and tells the host,
//                  which asks the pane to repaint its crosshair layer on
//                  its kept drawing; both paint.
//   FullRepaint:   the anchor: both windows show the same pictures drawn
//                  anew (the chart layer with candles, volume and averages,
//                  the indicator with its lines), as after a zoom.
//
// After the runs: the move's time over the full repaint's for each size,
// and the move's share of a 16 ms frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "bench/BenchDataFolder.h"
#include "bench/ChartBenchScreen.h"
#include "bench/RatioReporter.h"
#include "bench/WaveDayBars.h"
#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/ChartIds.h"
#include "chart/engine/KLineViewState.h"
#include "chart/engine/window/KIVKLineBlock.h"
#include "chart/indicators/IndicatorIds.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "data/CachePath.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WinUser.h"
#include "tests/chart/StockViewRelay.h"

namespace {

constexpr int kPairWidth = 1366;
constexpr int kPairChartHeight = 500;
constexpr int kPairPaneHeight = 250;
const StockId kPairStock = MakeStockId(600000, 1);

std::unique_ptr<CKLineSeries> PairBars(int count) {
  auto series = std::make_unique<CKLineSeries>();
  series->SetStock(kPairStock);
  series->SetDataType(kiv::kDataTypeDay);
  kiv::SetSeriesName(series.get(), "浦发银行");
  const int64_t first = 1735801200 - static_cast<int64_t>(count) * 86400;
  for (int i = 0; i < count; ++i) {
    series->AddBar(WaveDayBar(i, first + static_cast<int64_t>(i) * 86400), 0, 0, 0, 0);
  }
  return series;
}

// The view's part: relays between its two children.
class RelayHost : public CWnd {
 public:
  kiv::test::StockViewRelay relay;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    LRESULT result = 0;
    if (relay.Relay(msg, wParam, lParam, &result)) return result;
    return CWnd::OnMessage(msg, wParam, lParam);
  }
};

// The pane, counting its paints, so that a run which repaints only the
// chart is caught.
class CountedPairPane : public CKivDesk_Wnd_Index {
 public:
  using CKivDesk_Wnd_Index::CKivDesk_Wnd_Index;
  int paints = 0;

 protected:
  void OnPaint() override {
    ++paints;
    CKivDesk_Wnd_Index::OnPaint();
  }
};

// A fresh headless screen with the host, the chart and the pane, a series
// of `bars` shown in both and the crosshair on.
struct PairScene {
  BenchDataFolder folder{"chartpane"};
  ChartBenchScreen screen;
  explicit PairScene(int bars) {
    kiv::g_bFirstKLineLoad = false;
    host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE,
                  CRect(0, 0, kPairWidth, kPairChartHeight + kPairPaneHeight), nullptr, 0);
    chart = std::make_unique<kiv::CKIVKLineBlock>(kiv::ChartServices{});
    pane = std::make_unique<CountedPairPane>("KDJ", kiv::kIdbIndexTabFace, kiv::kIdbIndexTabSeparator);
    ok = chart->Create(nullptr, "StockBlock", WS_CHILD | WS_VISIBLE, CRect(0, 0, kPairWidth, kPairChartHeight),
                       &host, 501) &&
         pane->Create(nullptr, kiv::kIndexPaneWindowName, WS_CHILD | WS_VISIBLE,
                      CRect(0, kPairChartHeight, kPairWidth, kPairChartHeight + kPairPaneHeight), &host,
                      kiv::kIdcIndexPane);
    if (!ok) return;
    host.relay.SetWindows(chart.get(), pane.get());
    for (CWnd* w : {static_cast<CWnd*>(chart.get()), static_cast<CWnd*>(pane.get())}) {
      w->ShowWindow(SW_HIDE);
      w->ShowWindow(SW_SHOW);
    }
    kiv::g_data.zoomLevel = kiv::kInitialZoomLevel;
    StockId id = kPairStock;
    chart->SetStock(&id, kiv::kDataTypeDay);
    kiv::PostOwned(chart->GetSafeHwnd(), kiv::WM_KIV_SERIES_READY, PairBars(bars), 1);
    kiv::PumpPendingMessages();  // shown right-aligned
    chart->SendMessage(kiv::WM_KIV_CROSSHAIR_TOGGLED, 1, 0);
    pane->SendMessage(kiv::WM_KIV_CROSSHAIR_SHOW, 1, 0);
    ok = pane->Series() == chart->Model().Series();
    FullRepaint(0);
  }
  ~PairScene() {
    host.relay.SetWindows(nullptr, nullptr);
    if (pane) pane->DestroyWindow();
    pane.reset();
    if (chart) chart->DestroyWindow();
    chart.reset();
    host.DestroyWindow();
  }
  // A client point over the chart's price plot, a different one each step.
  CPoint ChartPoint(int step) const { return CPoint(200 + (step * 37) % 1100, 60 + (step * 13) % 300); }
  void Paint() {
    chart->UpdateWindow();
    pane->UpdateWindow();
  }
  void CrosshairMove(int step) {
    const CPoint p = ChartPoint(step);
    chart->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    kiv::PumpPendingMessages();  // the chart's notice to the host, the host's to the pane
    Paint();
    host.relay.summaries.clear();
  }
  void FullRepaint(int step) {
    CPoint p = ChartPoint(step);
    chart->ClientToScreen(&p);
    kiv::g_data.crosshairX = p.x;
    kiv::g_data.crosshairY = p.y;
    chart->Model().RequestRedraw();
    chart->Invalidate();
    host.relay.RepaintPane();
    Paint();
  }

  RelayHost host;
  std::unique_ptr<kiv::CKIVKLineBlock> chart;
  std::unique_ptr<CountedPairPane> pane;
  bool ok = false;
};

void ChartPaneCrosshairMove(benchmark::State& state, int bars) {
  PairScene scene(bars);
  const int before = scene.pane->paints;
  scene.CrosshairMove(1);
  if (!scene.ok || scene.pane->paints == before) {
    state.SkipWithError("the chart and pane could not be set up, or the pane was not repainted");
    return;
  }
  int step = 1;
  for (auto _ : state) scene.CrosshairMove(++step);
}

void ChartPaneFullRepaint(benchmark::State& state, int bars) {
  PairScene scene(bars);
  if (!scene.ok) {
    state.SkipWithError("the chart and pane could not be set up");
    return;
  }
  int step = 0;
  for (auto _ : state) scene.FullRepaint(++step);
}

}  // namespace

int main(int argc, char** argv) {
  // Registered by name with the bar count in it, so that the reporter keeps
  // each size apart.
  const int sizes[] = {1000, 5000, 20480};
  for (int bars : sizes) {
    benchmark::RegisterBenchmark(("ChartPaneCrosshairMove/" + std::to_string(bars)).c_str(), ChartPaneCrosshairMove,
                                 bars)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("ChartPaneFullRepaint/" + std::to_string(bars)).c_str(), ChartPaneFullRepaint, bars)
        ->Unit(benchmark::kMillisecond);
  }
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    for (int size : sizes) {
      const std::string bars = std::to_string(size);
      const std::string move = "ChartPaneCrosshairMove/" + bars;
      const std::string full = "ChartPaneFullRepaint/" + bars;
      reporter.PrintRatio(("ratio chart + pane crosshair move / full repaint of both, " + bars + " bars").c_str(), move,
                          full);
      reporter.PrintBudget(("chart + pane crosshair move, both repainted, " + bars + " bars").c_str(), move);
    }
  });
}
