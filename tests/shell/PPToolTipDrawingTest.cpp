// The rich tooltip's window on the headless screen: its size from the text
// and icon, its placement with the flips at the screen's edges, its shape
// (body, anchor, shadow), its background and shadow pixels, and the pattern
// of effect 13.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/gdi/Region.h"
#include "platform/ui/UiTypes.h"
#include "tests/shell/PPToolTipTestFixture.h"
#include "tests/support/CaseName.h"

namespace kiv::test {
namespace {

// A text 100 pixels wide and 20 high in a font of 20-pixel lines.
constexpr const char* kHundredByTwenty = "<hr=100>";

class ToolTipDrawingTest : public ToolTipFixture {
 protected:
  // A bare tooltip with one tool (the text on the enlarge button) in the
  // 20-pixel font.
  CPPToolTip& OneTool(const std::string& text, UINT icon = 0, const CRect& host = CRect(100, 100, 600, 400),
                      const CRect& button = CRect(20, 20, 80, 44)) {
    CPPToolTip& tip = OpenBareTooltip(host, button, CRect(440, 20, 480, 44));
    tip.SetFont(FontOfHeight(20));
    tip.AddTool(&host_->enlargeButton, text, icon);
    return tip;
  }
};

TEST_F(ToolTipDrawingTest, AHundredByTwentyTextMakesA128By64BalloonInA130By66Window) {
  CPPToolTip& tip = OneTool(kHundredByTwenty);
  ASSERT_EQ(tip.MeasureText(kHundredByTwenty), CSize(100, 20));
  const CPoint p = On(host_->enlargeButton, 30, 10);
  RestOn(p);
  ASSERT_TRUE(TipShown());
  const CRect r = TipRect();
  EXPECT_EQ(r.Size(), CSize(130, 66));
  // Below the point and to the right, the anchor 16 pixels in from the left.
  EXPECT_EQ(r.TopLeft(), CPoint(p.x - 16, p.y));
  EXPECT_EQ(tip.ShownTool().direction, kPPToolTipBelowRight);
  // The body starts below the 16-pixel anchor: its border (slot 25), then
  // the background (slot 18) in the margin above the text.
  EXPECT_EQ(TipPixel(60, 16), tip.GetColor(kPPToolTipColorBorder));
  EXPECT_EQ(TipPixel(60, 18), tip.GetColor(kPPToolTipColorBegin));
  // The rule of the text, in the text's colour, 12 pixels in.
  EXPECT_EQ(TipPixel(12 + 50, 16 + 12 + 10), RGB(0, 0, 0));
}

TEST_F(ToolTipDrawingTest, AnIconWithAnEmptyTextTakesItsOwnWidthWithoutAMargin) {
  CPPToolTip& tip = OneTool("", kKLineTipIcon);
  RestOn(On(host_->enlargeButton, 30, 10));
  ASSERT_TRUE(TipShown());
  // Content 32 x 32: 32 + 24 + 4 by 32 + 24 + 16 + 4, and 2 more each way.
  EXPECT_EQ(TipRect().Size(), CSize(62, 78));
  // The icon stands 12 in, centred in the 33 rows below the anchor: its
  // dark face shows at its left middle.
  EXPECT_EQ(TipPixel(12 + 4, 28 + 16), RGB(0x20, 0x20, 0x20));
  EXPECT_EQ(tip.ShownTool().text, "");
}

TEST_F(ToolTipDrawingTest, ItsShapeIsTheRoundedBodyWithTheAnchorAndTheShadowBeside) {
  CPPToolTip& tip = OneTool(kHundredByTwenty);
  RestOn(On(host_->enlargeButton, 30, 10));
  ASSERT_TRUE(TipShown());
  CRgn shape;
  shape.CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(tip.m_hWnd, shape), ERROR);
  // The body's rounded top-left corner is cut away, and the host shows there.
  EXPECT_FALSE(shape.PtInRegion(0, 16));
  EXPECT_EQ(TipPixel(0, 16), kHostPaper);
  // Just below the anchor's tip (16, 0): inside; beside it: outside.
  EXPECT_TRUE(shape.PtInRegion(17, 3));
  EXPECT_FALSE(shape.PtInRegion(24, 3));
  EXPECT_NE(TipPixel(17, 3), kHostPaper);
  // The body is 124 x 44 below the anchor (one pixel more each way); the
  // shadow is the body moved by (4, 4).
  EXPECT_TRUE(tip.BodyRegion().PtInRegion(124, 40));
  EXPECT_FALSE(tip.BodyRegion().PtInRegion(126, 40));
  EXPECT_TRUE(tip.ShadowRegion().PtInRegion(126, 40));
  EXPECT_TRUE(shape.PtInRegion(126, 40));
  EXPECT_FALSE(shape.PtInRegion(129, 40));
}

TEST_F(ToolTipDrawingTest, TheShadowDarkensTheHostsWhiteUnderIt) {
  CPPToolTip& tip = OneTool(kHundredByTwenty);
  RestOn(On(host_->enlargeButton, 30, 10));
  ASSERT_TRUE(TipShown());
  ASSERT_TRUE(tip.ShadowRegion().PtInRegion(126, 40));
  // White under the window, masked with the shadow colour (slot 24, grey).
  const CRect r = TipRect();
  ASSERT_EQ(Screen().ScreenPixel(r.left + 126, r.top + 40 + 40), kHostPaper) << "white below it";
  EXPECT_EQ(TipPixel(126, 40), kHostPaper & tip.GetColor(kPPToolTipColorShadow));
  EXPECT_EQ(TipPixel(126, 40), RGB(0x80, 0x80, 0x80));
}

TEST_F(ToolTipDrawingTest, ThePlainSizesGiveAPlainRectangle) {
  CPPToolTip& tip = OneTool(kHundredByTwenty);
  tip.SetDefaultSizes(FALSE);
  RestOn(On(host_->enlargeButton, 30, 10));
  ASSERT_TRUE(TipShown());
  // 100 + 2 x 3 by 20 + 2 x 1; no anchor, no shadow, no corners.
  EXPECT_EQ(TipRect().Size(), CSize(108, 24));
  const gdi::Region rectangle(CRect(0, 0, 107, 23));
  EXPECT_EQ(tip.BodyRegion().GetRegion(), rectangle);
  CRgn shape;
  shape.CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(tip.m_hWnd, shape), ERROR);
  EXPECT_EQ(shape.GetRegion(), rectangle);
}

TEST_F(ToolTipDrawingTest, TheKLineBackgroundIsAnSCurveWithinTheGranularityBeforeNoise) {
  ToolTipHost& host = OpenHost();
  ASSERT_TRUE(host.SetUpTooltipLikeTheKLineView());
  struct Noise {
    int value;  // what the noise source always gives
    int lowest;
    int highest;
  };
  // k = 32767 / 20 = 1638: 16380 gives no noise, 0 gives -10 and 32767 +10.
  for (Noise n : {Noise{16380, 10, 245}, Noise{0, 0, 235}, Noise{32767, 20, 255}}) {
    SCOPED_TRACE("noise source " + std::to_string(n.value));
    Tip().SetNoiseSource([v = n.value] { return v; });
    MoveTo(On(host.restoreButton, 5, 5));  // another tool: the wait starts over
    RestOn(On(host.enlargeButton, 30, 10));
    ASSERT_TRUE(TipShown());
    const CCeXDib& pattern = Tip().Pattern();
    const CRect r = TipRect();
    ASSERT_EQ(pattern.GetWidth(), r.Width() - 2);
    ASSERT_EQ(pattern.GetHeight(), r.Height() - 2);
    int lowest = 255;
    int highest = 0;
    for (int y = 0; y < pattern.GetHeight(); ++y) {
      const BYTE* row = pattern.GetBits() + static_cast<size_t>(y) * pattern.GetLineWidth();
      for (int x = 0; x < pattern.GetWidth(); ++x) {
        lowest = std::min<int>(lowest, row[x]);
        highest = std::max<int>(highest, row[x]);
      }
    }
    EXPECT_EQ(lowest, n.lowest);
    EXPECT_EQ(highest, n.highest);
  }
}

TEST(ToolTipPatternTest, ANarrowPatternOfEffect14HasItsRampWithoutTheSideBand) {
  auto quiet = [] { return 16380; };  // no noise at granularity 10
  CCeXDib narrow;
  ASSERT_NE(narrow.Create(5, 12, 8), nullptr);
  PPToolTipPattern::FillPixels(narrow, 14, 10, quiet);
  for (int y = 0; y < 12; ++y) {
    const BYTE* row = narrow.GetBits() + static_cast<size_t>(y) * narrow.GetLineWidth();
    for (int x = 1; x < 5; ++x) EXPECT_EQ(row[x], row[0]) << "row " << y;
  }
  // Wide enough for the band: the middle row's edges differ from its centre.
  CCeXDib wide;
  ASSERT_NE(wide.Create(60, 12, 8), nullptr);
  PPToolTipPattern::FillPixels(wide, 14, 10, quiet);
  const BYTE* middle = wide.GetBits() + static_cast<size_t>(6) * wide.GetLineWidth();
  EXPECT_NE(middle[1], middle[30]);
  // A pattern too wide for the strokes' steps draws its ramp without them.
  CCeXDib huge;
  ASSERT_NE(huge.Create(CCeXDib::kMaxSide, 1, 8), nullptr);
  PPToolTipPattern::FillPixels(huge, 15, 10, quiet);
  PPToolTipPattern::FillPixels(huge, 14, 10, quiet);
}

TEST(ToolTipPatternTest, AGradientHasSixtyFourBandsFromOneColourToTheOther) {
  CBitmap paper;
  paper.CreateCompatibleBitmap(nullptr, 128, 4);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(&paper);
  PPToolTipPattern::FillGradient(dc, CRect(0, 0, 128, 4), RGB(0, 0, 0), RGB(64, 128, 255), true);
  EXPECT_EQ(dc.GetPixel(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(dc.GetPixel(1, 0), RGB(0, 0, 0));  // band 0 is two pixels wide
  EXPECT_EQ(dc.GetPixel(2, 0), RGB(1, 2, 3));  // band 1: 64/64, 128/64, 255/64
  EXPECT_EQ(dc.GetPixel(127, 3), RGB(63, 126, 251));
  // A rectangle narrower than 64 leaves the bands under one pixel out.
  dc.FillSolidRect(0, 0, 128, 4, RGB(9, 9, 9));
  PPToolTipPattern::FillGradient(dc, CRect(0, 0, 2, 4), RGB(0, 0, 0), RGB(64, 64, 64), true);
  EXPECT_EQ(dc.GetPixel(0, 0), RGB(31, 31, 31));
  EXPECT_EQ(dc.GetPixel(1, 0), RGB(63, 63, 63));
  EXPECT_EQ(dc.GetPixel(2, 0), RGB(9, 9, 9));
  dc.SelectObject(old);
}

// Where the window opens for a point and a direction, on the 1366 x 768
// headless screen, with a 128 x 64 balloon and its 4-pixel shadow.
struct PlacementCase {
  const char* name;
  CPoint point;
  UINT direction;
  CPoint topLeft;
  UINT finalDirection;
};

class ToolTipPlacementTest : public ToolTipDrawingTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(ToolTipPlacementTest, OpensOnTheSideThatFitsTheScreen) {
  const PlacementCase& c = GetParam();
  // One button over the whole screen: every point is on the tool.
  CPPToolTip& tip = OneTool(kHundredByTwenty, 0, CRect(0, 0, 1366, 768), CRect(0, 0, 1366, 768));
  tip.SetDirection(c.direction);
  RestOn(c.point);
  ASSERT_TRUE(TipShown());
  EXPECT_EQ(TipRect(), CRect(c.topLeft, CSize(130, 66)));
  EXPECT_EQ(tip.ShownTool().direction, c.finalDirection);
}

INSTANTIATE_TEST_SUITE_P(
    Flips, ToolTipPlacementTest,
    ::testing::Values(
        PlacementCase{"below_right_where_it_fits", CPoint(300, 300), 3, CPoint(284, 300), 3},
        PlacementCase{"left_of_a_point_ten_from_the_left_edge_it_opens_right_at_0", CPoint(10, 300), 0,
                      CPoint(0, 236), 1},
        PlacementCase{"thirty_above_the_bottom_it_opens_above", CPoint(200, 738), 3, CPoint(184, 674), 1},
        PlacementCase{"near_the_right_edge_it_opens_left_and_moves_by_the_shadow", CPoint(1350, 300), 3,
                      CPoint(1366 - 128 + 4, 304), 2},
        PlacementCase{"near_the_top_it_opens_below", CPoint(600, 20), 0, CPoint(616 - 128 + 4, 24), 2}),
    CaseName());

}  // namespace
}  // namespace kiv::test
