// The main window's chrome on the real SDL display under Xvfb: the title bar,
// the ticker with the values the stand-in served, the About box and an alert
// pop-up, each checked by pixels of the X screen.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "shell/ChromeIds.h"
#include "shell/KivDesk_Dlg_Msg.h"
#include "shell/KivDesk_Title.h"
#include "shell/KivUiTheme.h"
#include "shell/Kiv_Dlg_About.h"
#include "tests/shell/TickerTestSupport.h"
#include "tests/support/XvfbScreen.h"

namespace kiv::test {
namespace {

// Whether a pixel of exactly `colour` lies in the screen rectangle.
bool ShotHas(const Screenshot& shot, const CRect& area, COLORREF colour) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (shot.Pixel(x, y) == colour) return true;
    }
  }
  return false;
}

CPoint OnScreen(CWnd& wnd, int x, int y) {
  CPoint p(x, y);
  wnd.ClientToScreen(&p);
  return p;
}

class ChromeScreenTest : public ChromeWindowTest {
 protected:
  void TearDown() override {
    ResetWindowSystemForTesting();  // every window goes before the display
    screen_.Close();
    ChromeWindowTest::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(ChromeScreenTest, ShowsTheTitleBarWithItsLogoButtonsAndSlogans) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(1100, 600));
  TestWnd* main = Top("main", CRect(20, 20, 1070, 300));
  main->fill = 0x1A1A1A;
  ScopedWindow<CKivDesk_Title> title(kIdbTitleBackground, kIdbTitleLogo, kIdbTitleMeasure, kIdbTitleExit,
                                     kIdbTitleExitActive, kIdbTitleMaximize, kIdbTitleMaximizeActive, kIdbTitleRestore,
                                     kIdbTitleRestoreActive, kIdbTitleToTray, kIdbTitleToTrayActive);
  ASSERT_TRUE(title.Create(nullptr, "CKivDesk_Title", WS_CHILD | WS_VISIBLE,
                           CRect(0, 0, 1050, SkinSize(kIdbTitleHeight).cy), main, kIdcTitleBar));
  title.SetMaximized(TRUE);
  Pump();
  CRect exit;
  title.Button(CKivDesk_Title::kExit)->GetWindowRect(&exit);
  const CPoint logo = OnScreen(title, 4, 4);
  const CPoint column = OnScreen(title, SkinSize(kIdbTitleLogo).cx + 5, 12);
  const int sloganLeft = title.SloganLeft();
  const CRect slogans(OnScreen(title, sloganLeft, 2), CSize(120, 24));
  auto shows = [&](const Screenshot& s) {
    return s.Pixel(logo.x, logo.y) == SkinPixel(kIdbTitleLogo, 4, 4) &&
           s.Pixel(column.x, column.y) == SkinPixel(kIdbTitleBackground, 0, 12) &&
           s.Pixel(exit.left + 3, exit.top + 3) == SkinPixel(kIdbTitleExit, 3, 3) &&
           ShotHas(s, slogans, CKivDesk_Title::kSloganColour);
  };
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(shows, &shot, "chrome-title-bar"));
}

TEST_F(ChromeScreenTest, ShowsTheAboutBoxWithItsPictureAndVersion) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  ScopedWindow<CKiv_Dlg_About> about;
  ASSERT_TRUE(about.Create(kIddAbout));
  Pump();
  const int top = about.StripHeight() + CKiv_Dlg_About::kPictureBelowStrip;
  const CSize picture = SkinSize(kIdbProductPicture);
  const CPoint inPicture = OnScreen(about, CKiv_Dlg_About::kPictureLeft + picture.cx / 2, top + picture.cy / 2);
  const CPoint strip = OnScreen(about, 150, 4);
  const CPoint frame = OnScreen(about, 0, about.StripHeight() + 10);
  CRect version = about.VersionRect();
  about.ClientToScreen(&version);
  auto shows = [&](const Screenshot& s) {
    return s.Pixel(inPicture.x, inPicture.y) == SkinPixel(kIdbProductPicture, picture.cx / 2, picture.cy / 2) &&
           s.Pixel(strip.x, strip.y) == SkinPixel(kIdbDialogStrip, 0, 4) &&
           s.Pixel(frame.x, frame.y) == CKiv_Dlg_About::kFrame && ShotHas(s, version, UiTheme().clrText);
  };
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(shows, &shot, "chrome-about"));
}

TEST_F(ChromeScreenTest, ShowsAnAlertPopUpInTheCornerAboveTheMainWindow) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(900, 700));
  TestWnd* main = Top("main", CRect(0, 0, 900, 700));
  main->fill = 0x1A1A1A;
  main->SetActiveWindow();
  Pump();
  WatchAlert alert;
  alert.stock = MakeStockId(600519, kMarketShanghai);
  std::strncpy(alert.name, "贵州茅台", sizeof alert.name - 1);
  ScopedWindow<CKivDesk_Dlg_Msg> popup(0, &alert, 0x1 | 0x2 | 0x1000, main);
  ASSERT_TRUE(popup.Create());
  popup.ShowWindow(SW_SHOWNOACTIVATE);
  Pump();
  EXPECT_EQ(CWnd::GetActiveWindow(), main);
  CRect body;
  popup.GetWindowRect(&body);
  body = CRect(body.left + 1, body.top + 23, body.right - 1, body.bottom - 1);
  const CPoint strip = OnScreen(popup, 110, 6);
  const CPoint border = OnScreen(popup, 0, 60);
  auto shows = [&](const Screenshot& s) {
    return s.Pixel(strip.x, strip.y) == SkinPixel(kIdbDialogStrip, 0, 5) &&
           s.Pixel(border.x, border.y) == CKivDesk_Dlg_Msg::kBorder &&
           ShotHas(s, body, CKivDesk_Dlg_Msg::kNameColour) && ShotHas(s, body, UiTheme().clrRise) &&
           ShotHas(s, body, UiTheme().clrFall);
  };
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(shows, &shot, "chrome-alert"));
}

// The ticker on the real display, fed by the stand-in.
class TickerScreenTest : public TickerFixture {
 protected:
  void TearDown() override {
    CloseTicker();
    ResetWindowSystemForTesting();
    screen_.Close();
    TickerFixture::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(TickerScreenTest, ShowsTheServedIndicesInTheColourOfTheirChange) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(1400, 300));
  CKivDesk_Wnd_Toolbar& ticker = Open(1322, TRUE);
  ASSERT_TRUE(WaitForServedQuotes());
  Pump();
  auto figures = [&](int i) {
    CRect cell = ticker.CellRect(i);
    cell.left += 45;
    ticker.ClientToScreen(&cell);
    return cell;
  };
  auto shows = [&](const Screenshot& s) {
    for (int i = 0; i < CKivDesk_Wnd_Toolbar::kIndexCount; ++i) {
      const standin::IndexQuote q = Served(i);
      const COLORREF want = q.last > q.previousClose ? UiTheme().clrRise : UiTheme().clrFall;
      if (!ShotHas(s, figures(i), want)) return false;
    }
    return true;
  };
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil(shows, &shot, "chrome-ticker"));
  const CPoint border = OnScreen(ticker, 0, 10);
  EXPECT_EQ(shot.Pixel(border.x, border.y), CKivDesk_Wnd_Toolbar::kBorder);
}

}  // namespace
}  // namespace kiv::test
