// The interval statistics dialog once on the SDL display under Xvfb, read
// back from the X server: the title band's skin across its top, the close
// skin at its right end, the value boxes and the painted counts in the text
// colour on the dark background. Skipped where Xvfb is missing.
#include <gtest/gtest.h>

#include <vector>

#include "tests/chart/dialogs/IntervalDialogTestSupport.h"
#include "tests/support/XvfbScreen.h"

namespace kiv::test {
namespace {

class IntervalDialogScreenTest : public IntervalDialogTest {
 protected:
  void TearDown() override {
    if (dialog_ && dialog_->m_hWnd) dialog_->DestroyWindow();
    ResetWindowSystemForTesting();
    screen_.Close();  // the SDL display goes before its X server
    IntervalDialogTest::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(IntervalDialogScreenTest, ShowsTheStatisticsOnTheSdlDisplay) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(900, 700));
  ServeCapital({{kShare, {{20241231, 10000000}}}});
  CKiv_Dlg_Interval& dialog = MakeWithRange();
  // Modeless here, to look at it from the test's own loop.
  ASSERT_TRUE(dialog.Create(kIddInterval));
  dialog.ShowWindow(SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] {
    std::string text;
    dialog.GetDlgItemText(static_cast<int>(kIdcIntervalFirstValue) + kIntervalTurnover, text);
    return text == "4.00%";
  }));
  CRect window;
  dialog.GetWindowRect(&window);
  const CRect close = dialog.CloseRect();
  const CSize closeSize = SkinSize(kIdbDialogClose);
  const CSize tile = SkinSize(kIdbDialogTitleTile);
  const COLORREF bandPixel = SkinPixel(kIdbDialogTitleTile, 0, tile.cy / 2);
  const COLORREF closePixel = SkinPixel(kIdbDialogClose, closeSize.cx / 2, closeSize.cy / 2);
  CRect amount;
  dialog.GetDlgItem(static_cast<int>(kIdcIntervalFirstValue) + kIntervalAmount)->GetWindowRect(&amount);
  auto inked = [&](const Screenshot& s, const CRect& area) {
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (s.Pixel(x, y) == UiTheme().clrText) return true;
      }
    }
    return false;
  };
  const CRect counts(window.left + 170, window.top + 30, window.left + 200, window.top + 45);
  Screenshot shot;
  const bool shown = screen_.ShootUntil(
      [&](const Screenshot& s) {
        return s.Pixel(window.left + 210, window.top + tile.cy / 2) == bandPixel &&
               s.Pixel(window.left + close.left + closeSize.cx / 2, window.top + close.top + closeSize.cy / 2) ==
                   closePixel &&
               s.Pixel(window.left + 250, window.top + 300) == UiTheme().clrBack && inked(s, amount) &&
               inked(s, counts);
      },
      &shot);
  EXPECT_TRUE(shown) << "the band, the close skin, a value box and the counts";
}

}  // namespace
}  // namespace kiv::test
