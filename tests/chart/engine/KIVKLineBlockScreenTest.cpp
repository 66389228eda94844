// The chart window once on the SDL display under Xvfb with the stand-in's
// data: 600000's day chart read back from the X server, every clear candle
// in its colour at its computed x, and a crosshair key step warping the
// real pointer onto the last bar's close. Skipped where Xvfb is missing.
#include <gtest/gtest.h>

#include "data/IpConfigTable.h"
#include "net/NetService.h"
#include "tests/chart/engine/KLineBlockTestSupport.h"
#include "tests/support/StandinLink.h"
#include "tests/support/XvfbScreen.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {
namespace {

class KLineBlockScreenTest : public KLineBlockTest {
 protected:
  void TearDown() override {
    if (chart_) chart_->DestroyWindow();
    chart_.reset();
    ResetWindowSystemForTesting();
    screen_.Close();
    if (connected_) DisconnectFromStandin(server_, service_);
    KLineBlockTest::TearDown();
  }

  XvfbScreen screen_;
  standin::StandinServer server_{StandinAt(standin::BeijingTime(2026, 3, 16, 10, 32, 0))};  // a Monday morning
  CNetService service_{NetTimings::Fast()};
  CIpConfigTable hosts_;
  bool connected_ = false;
};

TEST_F(KLineBlockScreenTest, ShowsTheServedDayChartOnTheSdlDisplay) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  clock_.SetUnixTimeMs(standin::BeijingTime(2026, 3, 16, 10, 32, 0) * 1000);
  ASSERT_TRUE(screen_.Open(900, 600));
  ASSERT_NO_FATAL_FAILURE(ConnectToStandin(server_, service_));
  connected_ = true;
  OpenHost(700, 450);
  chart_ = std::make_unique<CKIVKLineBlock>(ChartServices{&service_, nullptr, &hosts_}, nullptr, &dialogs_);
  ASSERT_TRUE(chart_->Create(nullptr, "StockBlock", WS_CHILD | WS_VISIBLE, CRect(0, 0, 700, 450), host_, 501));
  chart_->ShowWindow(SW_HIDE);
  chart_->ShowWindow(SW_SHOW);
  g_data.zoomLevel = 0;  // bodies wide enough that the averages never cover one
  StockId stock = kShare;
  chart_->SetStock(&stock, kDataTypeDay);
  ASSERT_TRUE(PumpUntil([&] { return chart_->Model().Series() && !chart_->Model().IsReplaceMode(); }, 20000));
  chart_->Model().RequestRedraw();
  chart_->Invalidate();

  const CKLineSeries* series = chart_->Model().Series();
  const std::vector<CandleProbe> probes = ClearCandleProbes();
  ASSERT_GT(probes.size(), 5u);
  Screenshot shot;
  const bool shown = screen_.ShootUntil(
      [&](const Screenshot& s) { return ShowsCandles(probes, [&](int x, int y) { return s.Pixel(x, y); }); }, &shot);
  EXPECT_TRUE(shown) << "every clear candle in its colour";

  // A crosshair step puts the real pointer on the last bar's close.
  chart_->SendMessage(WM_KIV_KLINE_KEY_LEFT, 0, 0);
  const int last = series->GetCount() - 1;
  const CPoint target(kLeft + chart_->BarCenterX(last - g_data.m_StartIndex),
                      kTop + chart_->PriceToY(series->Bar(last).close));
  EXPECT_TRUE(PumpUntil([&] {
    POINT p;
    return GetCursorPos(&p) && CPoint(p) == target;
  }));
}

}  // namespace
}  // namespace kiv::test
