// The indicator pane on the real SDL display under Xvfb: KDJ drawn from a
// series under the frame, the crosshair the chart shows across the plot,
// and the strip with the selected indicator's caption in its colour.
#include <gtest/gtest.h>

#include "tests/chart/IndexPaneTestSupport.h"
#include "tests/support/XvfbScreen.h"

namespace kiv {
namespace test {
namespace {

class IndexPaneScreenTest : public IndexPaneTest {
 protected:
  void TearDown() override {
    ClosePane();
    ResetWindowSystemForTesting();  // every window goes before the display
    screen_.Close();
    IndexPaneTest::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(IndexPaneScreenTest, ShowsTheIndicatorItsCrosshairAndItsStrip) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  CountedIndexPane& pane = Open("KDJ");
  ChartSends(series_.get());
  const CPoint cross = OnScreen(pane, CPoint(kPlotLeft, 120));
  g_data.crosshairX = cross.x;
  g_data.crosshairY = cross.y;
  host_->PostMessage(WM_KIV_CROSSHAIR_SHOW, 1, 0);
  Pump();

  const CPoint frame = OnScreen(pane, CPoint(kPlotRight, 60));
  CRect caption = TabItemRect(5);
  pane.TabStrip()->ClientToScreen(&caption);
  const CPoint plotTopLeft = OnScreen(pane, CPoint(kPlotLeft + 1, 20));
  const CPoint plotBottomRight = OnScreen(pane, CPoint(kPlotRight, kPlotBottom));
  const CRect plot(plotTopLeft.x, plotTopLeft.y, plotBottomRight.x, plotBottomRight.y);
  auto count = [](const Screenshot& s, const CRect& r, COLORREF colour) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) n += s.Pixel(x, y) == colour ? 1 : 0;
    }
    return n;
  };
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return s.Pixel(frame.x, frame.y) == kFrame && count(s, caption, kIndexTabSelectedText) > 0 &&
               count(s, plot, kIndexLineColors[0]) > 100 &&
               count(s, CRect(plot.left, cross.y, plot.right, cross.y + 1), kFrame) > 400;
      },
      &shot, "index-pane"));
  ChartSends(nullptr);
}

}  // namespace
}  // namespace test
}  // namespace kiv
