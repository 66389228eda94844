// A host for the chart window in the chart's tests: a headless top-level
// window standing in for the stock view (it records what the chart sends
// and posts, and keeps the crosshair summaries it is handed), the chart as
// its child with the terminal's resources and theme fonts, fixture series,
// fake dialogs behind the menu's seam, and a configuration store of the
// test's own.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/ChartIds.h"
#include "chart/engine/KLineViewState.h"
#include "chart/engine/window/KIVKLineBlock.h"
#include "data/CachePath.h"
#include "data/IpConfigTable.h"
#include "platform/gdi/DrawingLog.h"
#include "platform/gdi/Surface.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "res/ResourceTables.h"
#include "shell/KivUiTheme.h"
#include "tests/chart/ChartTestSupport.h"
#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/TestSupport.h"

namespace kiv::test {

class FakeIntervalDialog : public ChartIntervalDialog {
 public:
  struct Call {
    StockRecord stock;
    int count;
    int first;
    int last;
    DataType period;
    int flag;
    float firstClose;
  };
  BOOL SetData(const StockRecord& stock, const KLineBar* bars, int count, int first, int last, DataType period,
               int seriesFlag) override {
    calls.push_back({stock, count, first, last, period, seriesFlag, bars ? bars[0].close : 0});
    return accept && bars && first >= 0 && last >= 0;
  }
  INT_PTR RunModal(CWnd*) override {
    ++runs;
    return IDOK;
  }
  StockId OpenStock() const override { return openStock; }
  void Close() override {
    ++closes;
    openStock = 0;
  }

  std::vector<Call> calls;
  bool accept = true;
  int runs = 0;
  int closes = 0;
  StockId openStock = 0;
};

class FakeMASettingsDialog : public ChartMASettingsDialog {
 public:
  explicit FakeMASettingsDialog(std::vector<uint32_t>* given, const uint32_t* answer, INT_PTR result)
      : given_(given), answer_(answer), result_(result) {}
  void SetSettings(const uint32_t record[kMASettingsWords]) override {
    given_->assign(record, record + kMASettingsWords);
  }
  INT_PTR RunModal(CWnd*) override { return result_; }
  void GetSettings(uint32_t record[kMASettingsWords]) override {
    for (int i = 0; i < kMASettingsWords; ++i) record[i] = answer_[i];
  }

 private:
  std::vector<uint32_t>* given_;
  const uint32_t* answer_;
  INT_PTR result_;
};

class FakeDialogMaker : public ChartDialogMaker {
 public:
  std::unique_ptr<ChartIntervalDialog> MakeIntervalDialog() override {
    auto dialog = std::make_unique<FakeIntervalDialog>();
    interval = dialog.get();
    return dialog;
  }
  std::unique_ptr<ChartMASettingsDialog> MakeMASettingsDialog() override {
    ++settingsMade;
    given.emplace_back();
    return std::make_unique<FakeMASettingsDialog>(&given.back(), answer, result);
  }

  FakeIntervalDialog* interval = nullptr;  // owned by the chart
  int settingsMade = 0;
  std::deque<std::vector<uint32_t>> given;  // what each settings dialog was filled with
  uint32_t answer[kMASettingsWords] = {};
  INT_PTR result = IDOK;
};

// A day bar at 15:00 Beijing `day` days after 2025-01-02.
inline KLineBar DayBar(int day, float open, float high, float low, float close, float volume = 1000) {
  KLineBar bar{};
  bar.time = kFirstDayClose + day * kDaySeconds;
  bar.open = open;
  bar.high = high;
  bar.low = low;
  bar.close = close;
  bar.volume = volume;
  bar.amount = volume * close * 100;
  return bar;
}

class KLineBlockTest : public WindowTest {
 protected:
  static constexpr int kLeft = 100, kTop = 80;

  void SetUp() override {
    WindowTest::SetUp();
    res::UseDeskResources();
    InitUiFontsForScreen(UiTheme().Fonts(), 1366, 768);
    g_data = KLineViewState();
    g_bFirstKLineLoad = false;
    ui::SetMessageBoxAnswererForTesting([this](const ui::MessageBoxRequest& box) {
      boxes_.push_back(box.text);
      return IDOK;
    });
  }
  void TearDown() override {
    ui::SetMessageBoxAnswererForTesting(nullptr);
    ui::SetPopupMenuAnswererForTesting(nullptr);
    if (chart_) chart_->DestroyWindow();
    chart_.reset();
    WindowTest::TearDown();
    summaries_.clear();
  }

  // The host and the chart in it, the chart's client at screen (kLeft, kTop).
  // The host, which takes the summaries the chart hands it, as the stock
  // view does.
  TestWnd* OpenHost(int width, int height) {
    host_ = Top("host", CRect(kLeft, kTop, kLeft + width, kTop + height));
    host_->hook = [this](UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
      if (msg == WM_KIV_CHART_MOUSE) {
        std::unique_ptr<CrosshairBarSummary> summary = AdoptPosted<CrosshairBarSummary>(wParam);
        if (summary) summaries_.push_back(*summary);
      }
      return false;
    };
    return host_;
  }
  CKIVKLineBlock& Open(int width = 600, int height = 450, CCongfig* config = nullptr) {
    OpenHost(width, height);
    chart_ = std::make_unique<CKIVKLineBlock>(ChartServices{}, config, &dialogs_);
    EXPECT_TRUE(chart_->Create(nullptr, "StockBlock", WS_CHILD | WS_VISIBLE, CRect(0, 0, width, height), host_, 501));
    // Shown as its host shows it, so that its timers act.
    chart_->ShowWindow(SW_HIDE);
    chart_->ShowWindow(SW_SHOW);
    Pump();
    return *chart_;
  }

  // Shows `series` (day bars of kShare unless it says otherwise) as if it
  // had just arrived from the market-data link.
  void Show(std::unique_ptr<CKLineSeries> series) {
    StockId id = series->GetStock();
    chart_->SetStock(&id, series->GetDataType());
    ASSERT_TRUE(PostOwned(chart_->GetSafeHwnd(), WM_KIV_SERIES_READY, std::move(series), 1));
    Pump();
  }

  static std::unique_ptr<CKLineSeries> Series(const std::vector<KLineBar>& bars, StockId stock = kShare,
                                              DataType type = kDataTypeDay) {
    auto series = std::make_unique<CKLineSeries>();
    series->SetStock(stock);
    series->SetDataType(type);
    SetSeriesName(series.get(), "浦发银行");
    for (const KLineBar& bar : bars) series->AddBar(bar, 0, 0, 0, 0);
    return series;
  }

  // `count` day bars rising and falling by turns around 10.
  static std::unique_ptr<CKLineSeries> Zigzag(int count, StockId stock = kShare) {
    std::vector<KLineBar> bars;
    for (int i = 0; i < count; ++i) {
      const float base = 10.0f + static_cast<float>(i % 7) * 0.1f;
      const bool up = i % 2 == 0;
      bars.push_back(DayBar(i, up ? base : base + 0.05f, base + 0.2f, base - 0.2f, up ? base + 0.05f : base,
                            1000 + 10 * i));
    }
    return Series(bars, stock);
  }

  // Client point of the chart to screen.
  CPoint ToScreen(int x, int y) const { return CPoint(kLeft + x, kTop + y); }
  COLORREF At(int x, int y) { return Screen().ScreenPixel(kLeft + x, kTop + y); }
  // Pixels of `colour` in the chart's client rectangle, on one picture of
  // the screen.
  int CountColour(COLORREF colour, int left, int top, int right, int bottom) {
    std::unique_ptr<gdi::Surface> shot = Screen().ComposeScreen();
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += shot->PixelAt(kLeft + x, kTop + y) == colour ? 1 : 0;
    return n;
  }
  // Repaints the chart while the drawing log records, and returns its texts.
  std::vector<gdi::LoggedText> PaintTexts(std::vector<gdi::LoggedBlit>* blits = nullptr) {
    gdi::ScopedDrawingLog log;
    chart_->Model().RequestRedraw();
    chart_->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    if (blits) *blits = gdi::DrawingLog::Blits();
    return gdi::DrawingLog::Texts();
  }
  static bool HasText(const std::vector<gdi::LoggedText>& texts, const std::string& text,
                      const gdi::LoggedText** found = nullptr) {
    for (const gdi::LoggedText& t : texts) {
      if (t.text == text) {
        if (found) *found = &t;
        return true;
      }
    }
    return false;
  }
  int Posted(UINT msg) const { return static_cast<int>(Of("host", msg).size()); }

  // A clear candle of the chart's last drawing: a screen point at its left
  // edge and mid-body, and the colour its body shows (rising red, falling
  // green). Candles too flat to tell apart from their wick are left out.
  struct CandleProbe {
    CPoint at;
    COLORREF colour;
  };
  std::vector<CandleProbe> ClearCandleProbes() const {
    std::vector<CandleProbe> probes;
    const CKLineSeries* series = chart_->Model().Series();
    if (!series) return probes;
    const int start = ClampBarIndex(g_data.m_StartIndex, series->GetCount());
    for (int slot = 1; slot < chart_->VisibleCount() && start + slot < series->GetCount(); ++slot) {
      const KLineBar& bar = series->Bar(start + slot);
      const int yO = chart_->PriceToY(bar.open), yC = chart_->PriceToY(bar.close);
      if (std::abs(yO - yC) < 3 || std::abs(bar.close - bar.open) <= 0.0001f) continue;
      const KLineBarEdges e = BarEdgesAt(chart_->Plots().price.left, slot, g_data.zoomLevel);
      CPoint at(e.x0, (yO + yC) / 2);
      chart_->ClientToScreen(&at);
      probes.push_back({at, bar.close > bar.open ? 0x0000E2u : 0x2BA631u});
    }
    return probes;
  }
  // Whether the body of every probed candle shows its colour somewhere
  // across its width (the averages may cross part of it).
  template <class PixelOf>
  static bool ShowsCandles(const std::vector<CandleProbe>& probes, const PixelOf& pixel) {
    const int width = ZoomCandleWidth(g_data.zoomLevel);
    for (const CandleProbe& p : probes) {
      bool seen = false;
      for (int dx = 0; dx < width && !seen; ++dx) seen = pixel(p.at.x + dx, p.at.y) == p.colour;
      if (!seen) return false;
    }
    return true;
  }

  ChartDataFolder data_;
  FakeDialogMaker dialogs_;
  TestWnd* host_ = nullptr;
  std::unique_ptr<CKIVKLineBlock> chart_;
  std::vector<CrosshairBarSummary> summaries_;
  std::vector<std::string> boxes_;
};

}  // namespace kiv::test
