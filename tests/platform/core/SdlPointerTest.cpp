// GetCursorPos on the SDL display when the pointer is warped onto one of our
// windows (as xdotool moves it, and as a program's SetCursorPos does): the
// window's own pointer events tell where it is, though no raw input event
// came with the move. Skipped where Xvfb or xdotool is missing.
#include <cstdlib>
#include <string>

#include "tests/platform/core/WindowTestSupport.h"
#include "tests/support/XvfbScreen.h"

namespace kiv {
namespace test {
namespace {

class SdlPointerTest : public WindowTest {
 protected:
  void TearDown() override {
    ResetWindowSystemForTesting();
    screen_.Close();
    WindowTest::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(SdlPointerTest, GetCursorPosFollowsAPointerWarpedOntoOurWindow) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  if (!ProgramInPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  ASSERT_TRUE(screen_.Open(800, 600));
  TestWnd* w = Top("w", CRect(100, 80, 400, 160));
  w->fill = RGB(0x1A, 0x1A, 0x1A);
  PumpPendingMessages();
  for (CPoint target : {CPoint(150, 100), CPoint(320, 140)}) {
    const std::string move =
        "xdotool mousemove --sync " + std::to_string(target.x) + " " + std::to_string(target.y) + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(move.c_str()), 0);
    EXPECT_TRUE(PumpUntil([&] {
      POINT p;
      return GetCursorPos(&p) && CPoint(p) == target;
    })) << target.x << "," << target.y;
    // The window's mouse message carries the same point.
    ASSERT_TRUE(PumpUntil([&] { return !Of("w", WM_MOUSEMOVE).empty(); }));
    const Received last = Of("w", WM_MOUSEMOVE).back();
    EXPECT_EQ(CPoint(GET_X_LPARAM(last.lParam), GET_Y_LPARAM(last.lParam)), target - CPoint(100, 80));
  }
}

}  // namespace
}  // namespace test
}  // namespace kiv
