// The chart window against the stand-in on loopback at a fixed clock:
// 600000's day bars arrive over the market-data link and are drawn, each
// candle in its colour at its computed x, with the title and averages; the
// crosshair hands the host the served bar's summary.
#include <gtest/gtest.h>

#include "data/IpConfigTable.h"
#include "net/NetService.h"
#include "tests/chart/engine/KLineBlockTestSupport.h"
#include "tests/support/StandinLink.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {
namespace {

// Monday 2026-03-16, 10:32 Beijing.
const int64_t kStandinNow = standin::BeijingTime(2026, 3, 16, 10, 32, 0);

class KLineBlockStandinTest : public KLineBlockTest {
 protected:
  void SetUp() override {
    KLineBlockTest::SetUp();
    clock_.SetUnixTimeMs(kStandinNow * 1000);
    ASSERT_NO_FATAL_FAILURE(ConnectToStandin(server_, service_));
    const std::string http = "127.0.0.1:" + std::to_string(server_.HttpPort()) + "&x";
    hosts_.LoadText("HourBSIp," + http + "\nMinute1BSIp," + http + "\nOptionIp," + http + "\nDJGIp," + http + "\n");
  }
  void TearDown() override {
    if (chart_) chart_->DestroyWindow();
    chart_.reset();
    DisconnectFromStandin(server_, service_);
    KLineBlockTest::TearDown();
  }
  CKIVKLineBlock& OpenServed() {
    OpenHost(800, 500);
    chart_ = std::make_unique<CKIVKLineBlock>(ChartServices{&service_, nullptr, &hosts_}, nullptr, &dialogs_);
    EXPECT_TRUE(chart_->Create(nullptr, "StockBlock", WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 500), host_, 501));
    chart_->ShowWindow(SW_HIDE);
    chart_->ShowWindow(SW_SHOW);
    return *chart_;
  }

  standin::StandinServer server_{StandinAt(kStandinNow)};
  CNetService service_{NetTimings::Fast()};
  CIpConfigTable hosts_;
};

TEST_F(KLineBlockStandinTest, ServedDayBarsAreDrawnInTheirColoursAtTheirPlaces) {
  CKIVKLineBlock& chart = OpenServed();
  StockId stock = kShare;
  chart.SetStock(&stock, kDataTypeDay);
  ASSERT_TRUE(PumpUntil([&] { return chart.Model().Series() && !chart.Model().IsReplaceMode(); }, 20000));
  chart.Model().RequestRedraw();
  chart.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Pump();
  const CKLineSeries* series = chart.Model().Series();
  ASSERT_GT(series->GetCount(), 100);
  const int start = g_data.m_StartIndex;
  EXPECT_EQ(start + chart.VisibleCount(), series->GetCount()) << "the newest bar at the right edge";

  std::unique_ptr<gdi::Surface> shot = Screen().ComposeScreen();
  int checked = 0;
  for (int slot = 1; slot < chart.VisibleCount(); ++slot) {
    const KLineBar& bar = series->Bar(start + slot);
    const int yO = chart.PriceToY(bar.open), yC = chart.PriceToY(bar.close);
    if (std::abs(yO - yC) < 3 || std::abs(bar.close - bar.open) <= 0.0001f) continue;
    const COLORREF want = bar.close > bar.open ? 0x0000E2 : 0x2BA631;
    const KLineBarEdges e = BarEdgesAt(chart.Plots().price.left, slot, g_data.zoomLevel);
    const int y = (yO + yC) / 2;
    // An average may cross the body at one edge; not at both.
    const bool shown = shot->PixelAt(kLeft + e.x0, kTop + y) == want || shot->PixelAt(kLeft + e.x1, kTop + y) == want;
    EXPECT_TRUE(shown) << "bar " << start + slot;
    ++checked;
  }
  EXPECT_GT(checked, 20);

  gdi::ScopedDrawingLog log;
  chart.Model().RequestRedraw();
  chart.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const std::vector<gdi::LoggedText> texts = gdi::DrawingLog::Texts();
  bool title = false, average = false;
  for (const gdi::LoggedText& t : texts) {
    title = title || t.text.rfind("600000 ", 0) == 0;
    average = average || t.text.rfind("MA5: ", 0) == 0;
  }
  EXPECT_TRUE(title);
  EXPECT_TRUE(average);
}

TEST_F(KLineBlockStandinTest, TheCrosshairHandsTheHostTheServedBarsSummary) {
  CKIVKLineBlock& chart = OpenServed();
  StockId stock = kShare;
  chart.SetStock(&stock, kDataTypeDay);
  ASSERT_TRUE(PumpUntil([&] { return chart.Model().Series() && !chart.Model().IsReplaceMode(); }, 20000));
  Pump();
  chart.SendMessage(WM_KIV_KLINE_KEY_LEFT, 0, 0);  // crosshair on at the last bar
  Pump();
  ASSERT_TRUE(chart.IsCrosshair());
  const CKLineSeries* series = chart.Model().Series();
  const int last = series->GetCount() - 1;
  ASSERT_FALSE(summaries_.empty());
  CrosshairBarSummary want;
  ASSERT_TRUE(FillCrosshairSummary(*series, last, &want));
  EXPECT_EQ(std::memcmp(summaries_.back().bytes, want.bytes, CrosshairBarSummary::kBytes), 0);
  EXPECT_EQ(static_cast<uint32_t>(Of("host", WM_KIV_CHART_MOUSE).back().lParam),
            static_cast<uint32_t>(series->Bar(last).time));
}

}  // namespace
}  // namespace kiv::test
