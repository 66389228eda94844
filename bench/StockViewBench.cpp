// What opening another stock in the stock view costs when its day bars are
// cached: the view (1366 x 700, the day chart over the KDJ pane, no network,
// so that the chart shows its cache only) switches between two stocks whose
// day cache files hold 20,480 bars each, until the chart and the indicator
// pane have painted.
//
//   StockViewSwitch:  view.SetStock(other), then the messages it leaves
//                     (the series to the pane, the paints) handled until
//                     none is pending: the cache file read, the lines
//                     computed, the chart and the KDJ drawn.
//   AnchorCacheLoad:  the anchor: the same cache files read alternately
//                     into one series, as the chart reads them.
//
// After the runs: the switch's time over the anchor's. The ratio says how
// many reads of the cache file one whole switch costs: 1 would mean the
// view, the chart and the pane add nothing to reading the bars; what lies
// above 1 is their own work (lines and indicator computed over every bar,
// both windows drawn). Then the switch's share of a 16 ms frame.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchDataFolder.h"
#include "bench/ChartBenchScreen.h"
#include "bench/RatioReporter.h"
#include "bench/WaveDayBars.h"
#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/ChartModel.h"
#include "chart/engine/KLineViewState.h"
#include "chart/engine/window/KIVKLineBlock.h"
#include "chart/indicators/KivDesk_Wnd_Index.h"
#include "chart/view/KivDesk_Wnd_KLine.h"
#include "data/CachePath.h"
#include "data/KLineSeries.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WinUser.h"

namespace {

constexpr int kBars = 20480;
constexpr int kViewWidth = 1366;
constexpr int kViewHeight = 700;
constexpr int64_t kFirstClose = 7 * 3600;  // 15:00 Beijing on the first day
const StockId kStocks[2] = {MakeStockId(600000, kMarketShanghai), MakeStockId(600004, kMarketShanghai)};
const char* const kNames[2] = {"浦发银行", "白云机场"};

// The short-term signal state of bar i, in cycles of 40 bars as the
// signals come: a buy (1), held (4), a sell (3), waiting (2); so one bar in
// twenty carries a mark.
uint32_t ShortSignal(int i) {
  const int phase = i % 40;
  if (phase == 0) return 1;
  if (phase < 20) return 4;
  return phase == 20 ? 3 : 2;
}

// Writes the day cache file of stock `which` as the chart writes it.
bool WriteDayCache(int which) {
  CKLineSeries series;
  series.SetStock(kStocks[which]);
  series.SetDataType(kiv::kDataTypeDay);
  kiv::SetSeriesName(&series, kNames[which]);
  const double level = which == 0 ? 10 : 16;
  for (int i = 0; i < kBars; ++i) {
    series.AddBar(WaveDayBar(i, kFirstClose + static_cast<int64_t>(i) * 86400, level, which), ShortSignal(i), 0, 0, 1);
  }
  return series.GetCount() == kBars && series.SaveToFile() == 1;
}

// Handles what is pending, again while handling it left more (a post
// answered by another post); bounded, so a window that keeps posting to
// itself cannot hang the run.
void PumpUntilIdle() {
  for (int round = 0; round < 100 && kiv::PumpPendingMessages() > 0; ++round) {
  }
}

// A fresh headless screen with the view in a host window, showing the
// first stock on the day chart.
struct ViewScene {
  ChartBenchScreen screen;
  ViewScene() {
    kiv::g_bFirstKLineLoad = false;
    host.CreateEx(0, nullptr, "desk", WS_POPUP | WS_VISIBLE, CRect(0, 0, kViewWidth, kViewHeight), nullptr, 0);
    StockViewServices services;  // no network, no stock table, no panes of the rooms beside
    view = std::make_unique<CKivDesk_Wnd_KLine>(std::vector<UINT>{165, 163, 164, 182, 181, 229, 228, 230, 215, 214},
                                                services);
    if (!view->CreatePage("CKivDesk_Wnd_KLine", WS_CHILD | WS_VISIBLE, CRect(0, 0, kViewWidth, kViewHeight), &host,
                          162)) {
      return;
    }
    view->ShowWindow(SW_HIDE);
    view->ShowWindow(SW_SHOW);
    PumpUntilIdle();
    Switch(0);
  }
  ~ViewScene() {
    if (view) view->DestroyWindow();
    view.reset();
    host.DestroyWindow();
  }
  void Switch(int which) {
    StockId id = kStocks[which];
    view->SetStock(&id);
    PumpUntilIdle();
    shown = which;
  }
  // The chart shows all the cached bars of the stock last opened, and both
  // it and the pane have painted them.
  bool ShowsAll() const {
    if (!view || !view->Chart() || !view->IndexPane()) return false;
    const kiv::ChartModel& model = view->Chart()->Model();
    const CKLineSeries* series = model.Series();
    return series && series->GetCount() == kBars && series->GetStock() == kStocks[shown] && !model.NeedsRedraw() &&
           view->IndexPane()->Series() == model.DrawnSeries() && !view->IndexPane()->m_bRedraw;
  }

  CWnd host;
  std::unique_ptr<CKivDesk_Wnd_KLine> view;
  int shown = 0;
};

void StockViewSwitch(benchmark::State& state) {
  ViewScene scene;
  if (!scene.ShowsAll()) {
    state.SkipWithError("the view did not show the cached bars of its first stock");
    return;
  }
  int next = 1;
  for (auto _ : state) {
    scene.Switch(next);
    next ^= 1;
  }
  if (!scene.ShowsAll()) {
    state.SkipWithError("after the switches the chart and pane do not show the cached bars of the stock opened");
    return;
  }
  state.SetItemsProcessed(state.iterations() * kBars);
  state.counters["bars"] = scene.view->Chart()->Model().Series()->GetCount();
}

void AnchorCacheLoad(benchmark::State& state) {
  CKLineSeries series;
  int next = 0;
  int loaded = 0;
  for (auto _ : state) {
    series.SetStock(kStocks[next]);
    series.SetDataType(kiv::kDataTypeDay);
    loaded += series.LoadFromFile();
    next ^= 1;
  }
  if (loaded != state.iterations() || series.GetCount() != kBars) {
    state.SkipWithError("the cache files did not load");
    return;
  }
  state.SetItemsProcessed(state.iterations() * kBars);
  state.counters["bars"] = series.GetCount();
}

}  // namespace

int main(int argc, char** argv) {
  BenchDataFolder folder("stockview");
  if (!folder.Made() || !WriteDayCache(0) || !WriteDayCache(1)) {
    std::fprintf(stderr, "could not write the day cache files under %s\n", folder.Path().c_str());
    return 1;
  }
  benchmark::RegisterBenchmark("StockViewSwitch", StockViewSwitch)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("AnchorCacheLoad", AnchorCacheLoad)->Unit(benchmark::kMillisecond);
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    reporter.PrintRatio("ratio stock view switch (cache of 20480 day bars, chart and pane painted) / cache file load",
                        "StockViewSwitch", "AnchorCacheLoad");
    reporter.PrintBudget("stock view switch, 20480 cached day bars", "StockViewSwitch");
  });
}
