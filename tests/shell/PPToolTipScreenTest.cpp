// The rich tooltip on the real SDL display under Xvfb: the host registers
// its two buttons as the K-line view does, the real pointer (xdotool) rests
// on a button, and the screenshot shows the balloon over the button with
// its pattern background and anchor, and the host again once the pointer
// has left every tool.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/shell/PPToolTipTestFixture.h"
#include "tests/support/XvfbScreen.h"

namespace kiv::test {
namespace {

class ToolTipScreenTest : public ToolTipFixture {
 protected:
  void TearDown() override {
    host_.reset();
    ResetWindowSystemForTesting();  // every window goes before the display
    screen_.Close();
    ToolTipFixture::TearDown();
  }
  static bool MovePointer(CPoint p) {
    const std::string command =
        "xdotool mousemove --sync " + std::to_string(p.x) + " " + std::to_string(p.y) + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }
  // The colour the pattern background gives a pixel of the window (the
  // pattern is drawn from the window's origin): its palette entry.
  COLORREF PatternColour(int x, int y) {
    const CCeXDib& pattern = Tip().Pattern();
    const BYTE index = pattern.GetBits()[static_cast<size_t>(pattern.GetHeight() - 1 - y) * pattern.GetLineWidth() +
                                         static_cast<size_t>(x)];
    const BYTE* entry = pattern.GetBits() - pattern.GetPaletteSize() + index * 4u;
    return RGB(entry[2], entry[1], entry[0]);
  }
  XvfbScreen screen_;
};

TEST_F(ToolTipScreenTest, TheBalloonAppearsOverTheButtonUnderTheRealPointerAndGoesAway) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  if (!ProgramInPath("xdotool")) GTEST_SKIP() << "xdotool is not installed";
  ASSERT_TRUE(screen_.Open(800, 600));
  ToolTipHost& host = OpenHost();
  ASSERT_TRUE(host.SetUpTooltipLikeTheKLineView());
  const CPoint blank = On(host, 300, 200);
  Screenshot shot;
  ASSERT_TRUE(screen_.ShootUntil([&](const Screenshot& s) { return s.Pixel(blank.x, blank.y) == kHostPaper; },
                                 &shot, "tooltip-host"));

  const CPoint p = On(host.enlargeButton, 30, 12);
  ASSERT_TRUE(MovePointer(p));
  // The wait runs on the virtual clock: a little of it between two looks.
  ASSERT_TRUE(screen_.ShootUntil(
      [&](const Screenshot&) {
        clock_.Advance(100);
        return TipShown();
      },
      &shot, "tooltip-wait"));
  const CRect r = TipRect();
  EXPECT_EQ(r.TopLeft(), CPoint(p.x - 16, p.y));
  EXPECT_EQ(Tip().ShownTool().text, kEnlargeTip);
  // In the body's lower margin, left and right: the pattern's colours.
  const int marginRow = r.Height() - 2 - 4 - 6;  // above the shadow strip and the border
  const CPoint left(20, marginRow);
  const CPoint right(r.Width() - 30, marginRow);
  const COLORREF leftColour = PatternColour(left.x, left.y);
  const COLORREF rightColour = PatternColour(right.x, right.y);
  ASSERT_NE(leftColour, rightColour) << "a gradient, not a flat fill";
  auto balloonShows = [&](const Screenshot& s) {
    return s.Pixel(r.left + left.x, r.top + left.y) == leftColour &&
           s.Pixel(r.left + right.x, r.top + right.y) == rightColour;
  };
  EXPECT_TRUE(screen_.ShootUntil(balloonShows, &shot, "tooltip-shown"));
  // The anchor over the button: its border at the tip's side, the pattern
  // inside it further down.
  EXPECT_EQ(shot.Pixel(r.left + 16, r.top + 2), Tip().GetColor(kPPToolTipColorBorder));
  EXPECT_EQ(shot.Pixel(r.left + 17, r.top + 6), PatternColour(17, 6));

  // Beside the anchor, above the body: outside the balloon's window region,
  // so the screen shows the host there, and a host repainted in another
  // colour shows through while the balloon stays.
  // (Host x 90 lies between its two buttons: the host's own paper.)
  const CPoint outside(On(host, 90, 0).x, r.top + 1);
  ASSERT_TRUE(r.PtInRect(outside));
  CRgn shape;
  shape.CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(Tip().m_hWnd, static_cast<HRGN>(shape.GetSafeHandle())), ERROR);
  ASSERT_FALSE(shape.PtInRegion(outside.x - r.left, outside.y - r.top));
  ASSERT_TRUE(shape.PtInRegion(left.x, left.y));
  constexpr COLORREF kRepainted = RGB(0xC0, 0x30, 0x60);
  host.paper = kRepainted;
  host.Invalidate();
  host.UpdateWindow();
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) { return s.Pixel(outside.x, outside.y) == kRepainted && balloonShows(s); }, &shot,
      "tooltip-region"));
  host.paper = kHostPaper;
  host.Invalidate();

  // Off every tool: the balloon goes, and the host's paper is back.
  ASSERT_TRUE(MovePointer(blank));
  EXPECT_TRUE(screen_.ShootUntil(
      [&](const Screenshot& s) {
        return !TipShown() && s.Pixel(r.left + left.x, r.top + left.y) == kHostPaper &&
               s.Pixel(r.left + right.x, r.top + right.y) == kHostPaper;
      },
      &shot, "tooltip-gone"));
}

}  // namespace
}  // namespace kiv::test
