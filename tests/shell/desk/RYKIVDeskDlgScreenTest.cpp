// The main dialog once on the SDL display under Xvfb: the compact panel
// with its title bar and empty dark page, then the maximised terminal with
// its page buttons.
#include <gtest/gtest.h>

#include "shell/ChromeIds.h"
#include "shell/KivDesk_Button.h"
#include "tests/shell/desk/DeskTestSupport.h"
#include "tests/support/SkinPixels.h"
#include "tests/support/XvfbScreen.h"

namespace kiv::test {
namespace {

class DeskScreenTest : public DeskTest {
 protected:
  void TearDown() override {
    // The network, then every window, then the display.
    if (globals_) globals_->Shutdown();
    CloseDialog();
    screen_.Close();
    DeskTest::TearDown();
  }
  XvfbScreen screen_;
};

CPoint OnScreen(CWnd& wnd, int x, int y) {
  CPoint p(x, y);
  wnd.ClientToScreen(&p);
  return p;
}

TEST_F(DeskScreenTest, ShowsTheCompactPanelThenTheMaximisedTerminal) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(1366, 768));
  CRYKIVDeskDlg& dlg = Open();
  const CRect compactPage = StandIn(kPageWatchList)->LastRect();
  const CPoint page = OnScreen(dlg, compactPage.CenterPoint().x, compactPage.CenterPoint().y);
  const CPoint logo = OnScreen(dlg, 4, 4);
  auto compact = [&](const Screenshot& s) {
    return s.Pixel(page.x, page.y) == UiTheme().clrBack && s.Pixel(logo.x, logo.y) == SkinPixel(kIdbTitleLogo, 4, 4);
  };
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(compact, &shot, "desk-compact"));

  Maximise();
  const CRect fullPage = StandIn(kPageWatchList)->LastRect();
  const CPoint pageCentre = OnScreen(dlg, fullPage.CenterPoint().x, fullPage.CenterPoint().y);
  CRect button;
  dlg.PageButton(0)->GetWindowRect(&button);
  auto maximised = [&](const Screenshot& s) {
    return s.Pixel(pageCentre.x, pageCentre.y) == UiTheme().clrBack &&
           s.Pixel(button.left + 2, button.top + 2) == SkinPixel(144, 2, 2);  // the lit first button
  };
  EXPECT_TRUE(screen_.ShootUntil(maximised, &shot, "desk-maximised"));
}

}  // namespace
}  // namespace kiv::test
