// The shell's look on the real SDL display under Xvfb: a page button turns
// active under the real pointer and normal again once the pointer leaves
// for the root window; the tab strips and the busy bar show, and a click on
// a tab item reaches the parent as WM_KIV_SELECT. The pointer is moved by
// xdotool, as a user's mouse would move it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "shell/KivDesk_Button.h"
#include "shell/KivDesk_Wnd_Tab.h"
#include "shell/KivDesk_Wnd_Tab2.h"
#include "shell/NDProgressCtrl.h"
#include "shell/ShellIds.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/XvfbScreen.h"

namespace kiv::test {
namespace {

constexpr UINT kScreenPageNormal = 136;
constexpr UINT kScreenPageActive = 144;
constexpr int kScreenButtonId = 154;
constexpr int kScreenTabId = 540;
constexpr int kScreenTab2Id = 542;
constexpr int kScreenBusyId = 607;

class ShellLookScreenTest : public ShellWindowTest {
 protected:
  void TearDown() override {
    button_.reset();
    tab_.reset();
    tab2_.reset();
    busy_.reset();
    parent_ = nullptr;
    ResetWindowSystemForTesting();  // every window goes before the display
    screen_.Close();
    ShellWindowTest::TearDown();
  }

  // Moves (and clicks) the X pointer as a user would; false when xdotool
  // failed.
  bool Xdotool(const std::string& args) {
    std::string command = "xdotool " + args + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }
  bool MovePointer(int x, int y) { return Xdotool("mousemove --sync " + std::to_string(x) + " " + std::to_string(y)); }

  // A dark window with a hover page button, the main window's two strips
  // set up as it sets them, and a running busy bar.
  void OpenLookWindow() {
    parent_ = Top("parent", CRect(100, 100, 700, 400));
    parent_->fill = 0x1A1A1A;
    button_ = std::make_unique<ScopedWindow<CKivDesk_Button>>(kScreenPageNormal, kScreenPageActive, nullptr);
    CSize size = SkinSize(kScreenPageNormal);
    ASSERT_TRUE(button_->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(CPoint(10, 10), size), parent_,
                                kScreenButtonId));
    button_->EnableHover(TRUE);

    tab_ = std::make_unique<ScopedWindow<CKivDesk_Wnd_Tab>>(kIdbTabNormal, kIdbTabSelected, kIdbTabSeparator,
                                                            UiTheme().clrText, TRUE, FALSE);
    int height = SkinSize(kIdbTabNormal).cy;
    ASSERT_TRUE(tab_->Create(nullptr, "CKivDesk_Tab_Small", WS_CHILD | WS_VISIBLE,
                             CRect(140, 10, 540, 10 + height), parent_, kScreenTabId));
    tab_->SetItemCount(4);
    tab_->SetItemText(0, "我的股票");
    tab_->SetItemText(1, "选股");
    tab2_ = std::make_unique<ScopedWindow<CKivDesk_Wnd_Tab2>>();
    ASSERT_TRUE(tab2_->Create(nullptr, "CKivDesk_Wnd_PoolFull", WS_CHILD | WS_VISIBLE,
                              CRect(140, 60, 590, 84), parent_, kScreenTab2Id));
    const char* pools[] = {"推荐", "排行榜", "盯盘", "价值排行", "热点板块", "主力动向"};
    tab2_->SetItemCount(6);
    for (int i = 0; i < 6; ++i) tab2_->SetItemText(i, pools[i]);
    tab_->Invalidate();
    tab2_->Invalidate();

    busy_ = std::make_unique<ScopedWindow<CNDProgressCtrl>>();
    ASSERT_TRUE(busy_->Create(WS_CHILD, CRect(140, 110, 440, 118), parent_, kScreenBusyId));
    busy_->SetRangeMax(1000);
    busy_->StartBusy();
  }

  XvfbScreen screen_;
  TestWnd* parent_ = nullptr;
  std::unique_ptr<ScopedWindow<CKivDesk_Button>> button_;
  std::unique_ptr<ScopedWindow<CKivDesk_Wnd_Tab>> tab_;
  std::unique_ptr<ScopedWindow<CKivDesk_Wnd_Tab2>> tab2_;
  std::unique_ptr<ScopedWindow<CNDProgressCtrl>> busy_;
};

TEST_F(ShellLookScreenTest, AButtonLightsUnderTheRealPointerAndGoesOutWhenItLeaves) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  if (!ProgramInPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  ASSERT_TRUE(screen_.Open(800, 600));
  ASSERT_NO_FATAL_FAILURE(OpenLookWindow());
  CSize size = SkinSize(kScreenPageNormal);
  // A spot of the face where the two skins differ, on the screen.
  CPoint spot(size.cx / 2, 4);
  ASSERT_NE(SkinPixel(kScreenPageNormal, spot.x, spot.y), SkinPixel(kScreenPageActive, spot.x, spot.y));
  CPoint onScreen = spot;
  button_->ClientToScreen(&onScreen);
  auto shows = [&](UINT skin) {
    COLORREF want = SkinPixel(skin, spot.x, spot.y);
    return [this, want, onScreen](const Screenshot& shot) {
      clock_.Advance(kButtonHoverMs);  // the hover check's timer, between two looks
      return shot.Pixel(onScreen.x, onScreen.y) == want;
    };
  };
  // The busy bar's block, somewhere along its row once it has moved.
  CPoint barRow(0, 4);
  busy_->ClientToScreen(&barRow);
  auto barShows = [barRow](const Screenshot& shot) {
    int lit = 0;
    for (int x = barRow.x; x < barRow.x + 300; ++x) lit += shot.Pixel(x, barRow.y) == RGB(0x1E, 0x90, 0xFF);
    return lit > 0;
  };
  Screenshot shot;
  auto normal = shows(kScreenPageNormal);
  ASSERT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return normal(s) && barShows(s); }, &shot,
                                 "shell-look-normal"));

  ASSERT_TRUE(MovePointer(onScreen.x, onScreen.y + 10));
  EXPECT_TRUE(screen_.ShootUntil(shows(kScreenPageActive), &shot, "shell-look-hover"));
  EXPECT_TRUE(button_->IsActive());

  // Off every window of ours: the button hears no more moves and finds out
  // from where the real pointer is.
  ASSERT_TRUE(MovePointer(750, 550));
  EXPECT_TRUE(screen_.ShootUntil(shows(kScreenPageNormal), &shot, "shell-look-left"));
  EXPECT_FALSE(button_->IsActive());
}

TEST_F(ShellLookScreenTest, AClickOnATabItemReachesTheParentAsItsSelection) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  if (!ProgramInPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  ASSERT_TRUE(screen_.Open(800, 600));
  ASSERT_NO_FATAL_FAILURE(OpenLookWindow());
  int height = SkinSize(kIdbTabNormal).cy;
  // Item rectangles exist once the strips have painted.
  CRect second, third;
  ASSERT_TRUE(PumpUntil([&] { return tab_->GetItemRect(1, &second) && !second.IsRectEmpty(); }));
  ASSERT_TRUE(PumpUntil([&] { return tab2_->GetItemRect(2, &third) && !third.IsRectEmpty(); }));
  CPoint onSecond = second.CenterPoint();
  tab_->ClientToScreen(&onSecond);
  CPoint onThird = third.CenterPoint();
  tab2_->ClientToScreen(&onThird);
  CPoint face(second.left + 2, second.top + height / 2);
  tab_->ClientToScreen(&face);
  const COLORREF selectedFace = SkinPixel(kIdbTabSelected, 0, height / 2);
  ASSERT_NE(selectedFace, SkinPixel(kIdbTabNormal, 0, height / 2));

  ASSERT_TRUE(MovePointer(onSecond.x, onSecond.y));
  ASSERT_TRUE(Xdotool("click 1"));
  ASSERT_TRUE(PumpUntil([&] { return !Of("parent", WM_KIV_SELECT).empty(); }));
  Received chosen = Of("parent", WM_KIV_SELECT)[0];
  EXPECT_EQ(chosen.wParam, static_cast<WPARAM>(kScreenTabId));
  EXPECT_EQ(chosen.lParam, 1);
  EXPECT_EQ(tab_->GetCurSel(), 1);
  Screenshot shot;
  EXPECT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return s.Pixel(face.x, face.y) == selectedFace; },
                                 &shot, "shell-look-tab"));

  ASSERT_TRUE(MovePointer(onThird.x, onThird.y));
  ASSERT_TRUE(Xdotool("click 1"));
  ASSERT_TRUE(PumpUntil([&] { return Of("parent", WM_KIV_SELECT).size() == 2; }));
  chosen = Of("parent", WM_KIV_SELECT)[1];
  EXPECT_EQ(chosen.wParam, static_cast<WPARAM>(kScreenTab2Id));
  EXPECT_EQ(chosen.lParam, 2);
}

}  // namespace
}  // namespace kiv::test
