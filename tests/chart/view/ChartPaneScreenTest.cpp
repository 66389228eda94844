// The chart with the indicator pane beneath it on the SDL display under
// Xvfb, with the stand-in's data: 600000's day chart with its averages and
// KDJ beneath, read back from the X server (candles in their colours at
// their computed x, the KDJ line through its values at the chart's bar x);
// the crosshair and the chart's panel follow the real pointer in both
// windows; and after the zoom keys and a drag zoom by the real pointer both
// windows still put every bar at the same x. Skipped where Xvfb is missing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "data/IpConfigTable.h"
#include "net/NetService.h"
#include "platform/gdi/DrawingLog.h"
#include "tests/chart/ChartPaneTestSupport.h"
#include "tests/support/FakeXInput.h"
#include "tests/support/StandinLink.h"
#include "tests/support/XvfbScreen.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {
namespace {

class ChartPaneScreenTest : public ChartPaneTest {
 protected:
  void TearDown() override {
    relay_.SetWindows(nullptr, nullptr);
    if (pane_) pane_->DestroyWindow();
    pane_.reset();
    if (chart_) chart_->DestroyWindow();
    chart_.reset();
    ResetWindowSystemForTesting();  // every window goes before the display
    screen_.Close();
    if (connected_) DisconnectFromStandin(server_, service_);
    ChartPaneTest::TearDown();
  }

  static std::function<COLORREF(int, int)> Reader(const Screenshot& s) {
    return [&s](int x, int y) { return s.Pixel(x, y); };
  }
  // The J line (drawn last) through its value at the chart's x of a few
  // visible bars.
  bool ShowsKdjUnderTheBars(const std::function<COLORREF(int, int)>& pixel) const {
    const float* j = pane_->CurrentIndicator()->m_pData3;
    const int start = g_data.m_StartIndex, visible = chart_->VisibleCount();
    if (!j || visible < 8) return false;
    // Bars clear of the crosshair's column and of the value box at the
    // plot's right end, which are drawn over the lines.
    const int crossed = BarUnderCrosshair();
    for (int bar : {start + 2, start + visible / 4, start + visible / 2, start + (3 * visible) / 4}) {
      if (std::abs(bar - crossed) < 2) continue;
      CPoint vertex(0, PaneValueY(j[bar]));
      pane_->ClientToScreen(&vertex);
      bool seen = false;
      for (int dy = -1; dy <= 1; ++dy) seen = seen || pixel(ChartBarX(bar), vertex.y + dy) == kIndexLineColors[2];
      if (!seen) return false;
    }
    return true;
  }
  // Pixels of the first price average's colour in the price plot.
  int AveragePixels(const std::function<COLORREF(int, int)>& pixel) const {
    CRect plot = chart_->Plots().price;
    chart_->ClientToScreen(&plot);
    const COLORREF colour = chart_->Model().Lines().m_PriceMA[0].GetColor();
    int n = 0;
    for (int y = plot.top; y < plot.bottom; ++y)
      for (int x = plot.left; x < plot.right; ++x) n += pixel(x, y) == colour ? 1 : 0;
    return n;
  }
  // Both windows put the first, middle and last visible bars at one x.
  void ExpectSameBarX() const {
    const int start = g_data.m_StartIndex, visible = chart_->VisibleCount();
    EXPECT_EQ(PaneVisibleBars(), visible);
    for (int bar : {start, start + visible / 2, start + visible - 1}) {
      EXPECT_EQ(PaneBarX(bar), ChartBarX(bar)) << "bar " << bar;
    }
  }
  // The bar under the shared crosshair point, as both windows find it.
  int BarUnderCrosshair() const {
    const int count = chart_->Model().Series()->GetCount();
    const int slot = ClampBarIndex(chart_->BarIndexAtPoint(POINT{g_data.crosshairX, g_data.crosshairY}), count);
    return ClampBarIndex(g_data.m_StartIndex + slot, count);
  }
  // The chart panel's date text of a bar.
  std::string DateText(int bar) const {
    const time_t t = static_cast<time_t>(chart_->Model().Series()->Bar(bar).time);
    struct tm local {};
    localtime_r(&t, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%d/%02d/%02d(%d)", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_wday);
    return text;
  }
  std::string KText(int bar) const {
    char text[32];
    std::snprintf(text, sizeof text, "K %.3f", pane_->CurrentIndicator()->m_pData1[bar]);
    return text;
  }
  // What a picture showed of the KDJ line and the crosshair's column.
  std::string Explain(const Screenshot& s) const {
    const int x = ChartBarX(BarUnderCrosshair());
    std::string text = "KDJ under the bars " + std::to_string(ShowsKdjUnderTheBars(Reader(s))) + "; column at x " +
                       std::to_string(x) + ":";
    for (const CRect& rows : {ChartColumnRows(), PaneColumnRows()}) {
      for (int dx = -1; dx <= 1; ++dx) {
        text += " " + std::to_string(ColumnShare(Reader(s), rows, x + dx, kCrosshairPen));
      }
      text += ";";
    }
    return text;
  }
  bool Logged(const std::string& text) const { return HasText(gdi::DrawingLog::Texts(), text); }

  XvfbScreen screen_;
  standin::StandinServer server_{StandinAt(standin::BeijingTime(2026, 3, 16, 10, 32, 0))};  // a Monday morning
  CNetService service_{NetTimings::Fast()};
  CIpConfigTable hosts_;
  bool connected_ = false;
};

TEST_F(ChartPaneScreenTest, ShowsTheDayChartWithKdjBeneathAndKeepsThemAlignedUnderThePointer) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  clock_.SetUnixTimeMs(standin::BeijingTime(2026, 3, 16, 10, 32, 0) * 1000);
  ASSERT_TRUE(screen_.Open(900, 750));
  ASSERT_NO_FATAL_FAILURE(ConnectToStandin(server_, service_));
  connected_ = true;
  ASSERT_NO_FATAL_FAILURE(OpenPair(ChartServices{&service_, nullptr, &hosts_}));
  g_data.zoomLevel = 0;  // bodies wide enough that the averages never cover one
  StockId stock = kShare;
  chart_->SetStock(&stock, kDataTypeDay);
  ASSERT_TRUE(PumpUntil(
      [&] { return chart_->Model().Series() && !chart_->Model().IsReplaceMode() && pane_->Series() != nullptr; },
      20000));
  chart_->Model().RequestRedraw();
  chart_->Invalidate();
  Pump();

  // What the two windows show, read back from the X server.
  const std::vector<CandleProbe> probes = ClearCandleProbes();
  ASSERT_GT(probes.size(), 5u);
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return ShowsCandles(probes, Reader(s)) && AveragePixels(Reader(s)) > 30 && ShowsKdjUnderTheBars(Reader(s));
      },
      &shot, "chart-pane"))
      << "candles in their colours, an average, and KDJ under the chart's bars";
  ExpectSameBarX();

  FakeXInput input;
  if (!input.Open(screen_.Display())) GTEST_SKIP() << "the X server offers no XTEST: the pointer part is left out";
  gdi::ScopedDrawingLog log;
  // A click on the chart turns the crosshair on in both windows.
  const int visible = chart_->VisibleCount();
  const int inChart = g_data.m_StartIndex + visible / 3;
  input.Move(ChartBarX(inChart), ToScreen(0, 120).y);
  input.Click(1);
  ASSERT_TRUE(PumpUntil([&] { return chart_->IsCrosshair() && pane_->IsCrosshairShown(); }));
  // The hand moves on over the chart, as it does after a click (until then
  // the press may still become a drag), staying on the bar.
  input.Move(ChartBarX(inChart) + 1, ToScreen(0, 125).y);
  ASSERT_TRUE(PumpUntil([&] { return !chart_->IsDragging(); }));
  // The pointer over the chart: the panel shows the bar's date, the pane's
  // title its K, and both crosshairs run down the bar's column.
  EXPECT_TRUE(PumpUntil([&] { return Logged(DateText(inChart)) && Logged(KText(inChart)); }));
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return ShowsCrosshairColumn(Reader(s), ChartColumnRows(), PaneColumnRows(), ChartBarX(inChart));
      },
      &shot, "chart-pane-crosshair-chart"));
  // The pointer over the pane, on another bar: the chart follows.
  const int inPane = g_data.m_StartIndex + (2 * visible) / 3;
  CPoint panePoint(0, 90);
  pane_->ClientToScreen(&panePoint);
  gdi::DrawingLog::Clear();
  input.Move(ChartBarX(inPane), panePoint.y);
  EXPECT_TRUE(PumpUntil([&] { return Logged(DateText(inPane)) && Logged(KText(inPane)); }));
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return ShowsCrosshairColumn(Reader(s), ChartColumnRows(), PaneColumnRows(), ChartBarX(inPane));
      },
      &shot, "chart-pane-crosshair-pane"));

  // The view's Down key, six levels: narrower bars, the pointer warped back
  // onto the crosshair point.
  const CPoint back(ChartBarX(inChart), ToScreen(0, 120).y);
  input.Move(back.x, back.y);
  ASSERT_TRUE(PumpUntil([&] { return CPoint(g_data.crosshairX, g_data.crosshairY) == back; }));
  ViewZoomOut(6);
  EXPECT_EQ(g_data.zoomLevel, 6);
  ExpectSameBarX();
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return ShowsKdjUnderTheBars(Reader(s)) &&
               ShowsCrosshairColumn(Reader(s), ChartColumnRows(), PaneColumnRows(), ChartBarX(BarUnderCrosshair()));
      },
      &shot, "chart-pane-zoom-keys"))
      << Explain(shot);

  // A drag zoom by the real pointer across the chart.
  const int plotLeft = chart_->Plots().price.left;
  const CPoint from = ToScreen(plotLeft + 60, 150), to = ToScreen(plotLeft + 260, 150);
  const int level = DragZoomLevel(chart_->Plots().price.Width(), 60 / ZoomStep(6), 260 / ZoomStep(6));
  input.Move(from.x, from.y);
  ASSERT_TRUE(PumpUntil([&] {
    POINT p;
    return GetCursorPos(&p) && CPoint(p) == from;
  }));
  input.Press(1);
  for (int k = 1; k <= 4; ++k) {
    input.Move(from.x + (to.x - from.x) * k / 4, from.y);
    PumpPendingMessages();
  }
  input.Release(1);
  ASSERT_TRUE(PumpUntil([&] { return g_data.zoomLevel == level && !chart_->IsDragging(); }))
      << "level " << g_data.zoomLevel << ", wanted " << level;
  Pump();
  ExpectSameBarX();
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return ShowsKdjUnderTheBars(Reader(s)) &&
               ShowsCrosshairColumn(Reader(s), ChartColumnRows(), PaneColumnRows(), ChartBarX(BarUnderCrosshair()));
      },
      &shot, "chart-pane-drag-zoom"))
      << Explain(shot);
}

}  // namespace
}  // namespace kiv::test
