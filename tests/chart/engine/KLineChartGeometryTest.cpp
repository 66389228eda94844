// The chart's geometry as tables: plots from the client size, bar edges and
// slots at zoom 0, 6 and 9, the price and volume scales, the projected day
// volume by the clock, zoom anchoring, drag zoom levels and crosshair steps.
#include <gtest/gtest.h>

#include "chart/engine/KLineChartGeometry.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace {

TEST(KLinePlotLayoutTest, PricePlotTakesSevenNinthsRightOfTheLabelsAndVolumeTheRest) {
  const KLinePlots plots = LayoutKLinePlots(CRect(0, 0, 600, 450), 60);
  EXPECT_EQ(plots.price, CRect(70, 0, 599, 350));
  EXPECT_EQ(plots.volume, CRect(70, 352, 599, 448));
  const KLinePlots odd = LayoutKLinePlots(CRect(5, 10, 305, 110), 40);
  EXPECT_EQ(odd.price, CRect(55, 10, 304, 10 + 700 / 9));
  EXPECT_EQ(odd.volume, CRect(55, 10 + 700 / 9 + 2, 304, 108));
}

struct EdgeCase {
  const char* name;
  int level;
  int slot;
  int x0, xc, x1;
};

class BarEdgesTest : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(BarEdgesTest, EdgesCentreAndSlotAgree) {
  const EdgeCase& c = GetParam();
  const KLineBarEdges e = BarEdgesAt(70, c.slot, c.level);
  EXPECT_EQ(e.x0, c.x0);
  EXPECT_EQ(e.xc, c.xc);
  EXPECT_EQ(e.x1, c.x1);
  // Every pixel of the bar and of the gap after it maps back to its slot.
  for (int x = e.x0; x < e.x0 + ZoomStep(c.level); ++x) EXPECT_EQ(BarSlotAtX(x, 70, c.level), c.slot) << x;
}

INSTANTIATE_TEST_SUITE_P(Zooms, BarEdgesTest,
                         ::testing::Values(EdgeCase{"level0_first", 0, 0, 70, 89, 108},
                                           EdgeCase{"level0_fourth", 0, 3, 193, 212, 231},
                                           EdgeCase{"level6_fourth", 6, 3, 91, 93, 95},
                                           EdgeCase{"level9_onePixel", 9, 3, 73, 73, 73},
                                           EdgeCase{"level9_last", 9, 528, 598, 598, 598}),
                         test::CaseName());

TEST(BarSlotTest, LeftOfThePlotIsNoSlotAndVisibleBarsDivideTheWidth) {
  EXPECT_EQ(BarSlotAtX(69, 70, 6), -1);
  EXPECT_EQ(BarSlotAtX(70, 70, 6), 0);
  EXPECT_EQ(ZoomVisibleBars(529, 0), 12);
  EXPECT_EQ(ZoomVisibleBars(529, 6), 75);
  EXPECT_EQ(ZoomVisibleBars(529, 9), 529);
  EXPECT_EQ(ZoomVisibleBars(0, 6), 0);
}

TEST(ClampBarIndexTest, HoldsASharedStartInsideThisSeries) {
  EXPECT_EQ(ClampBarIndex(5000, 200), 199);
  EXPECT_EQ(ClampBarIndex(-1, 200), 0);
  EXPECT_EQ(ClampBarIndex(17, 200), 17);
  EXPECT_EQ(ClampBarIndex(3, 0), 0);
}

KLineScale TestScale() {
  KLineScale s = MakeKLineScale(LayoutKLinePlots(CRect(0, 0, 600, 450), 60), 13, 17);
  s.highest = 20;
  s.lowest = 10;
  s.range = 10;
  s.maxVolume = 1000;
  return s;
}

TEST(KLineScaleTest, PriceAndVolumeMapToTheirBands) {
  const KLineScale s = TestScale();
  EXPECT_EQ(s.priceHeight, 320);
  EXPECT_EQ(s.volumeHeight, 79);
  EXPECT_EQ(s.PriceToY(20), 17);   // price top + label height
  EXPECT_EQ(s.PriceToY(10), 337);  // price bottom - text height
  EXPECT_EQ(s.PriceToY(15), 177);
  EXPECT_EQ(s.VolumeToY(1000), 368);
  EXPECT_EQ(s.VolumeToY(500), 408);
  EXPECT_EQ(s.VolumeToY(0), 447);
  EXPECT_NEAR(s.PriceAtY(177), 15.0, 0.05);
  EXPECT_NEAR(s.VolumeAtY(408), 493.7, 1.0);
}

TEST(KLineScaleTest, AZeroRangeDrawsEveryPriceAtMidHeight) {
  KLineScale s = TestScale();
  s.highest = s.lowest = 12;
  s.range = 0;
  EXPECT_EQ(s.PriceToY(12), 177);
  EXPECT_EQ(s.PriceToY(1000), 177);
  s.maxVolume = 0;
  EXPECT_EQ(s.VolumeToY(5), 447);
}

struct ProjectionCase {
  const char* name;
  float volume;
  int hour, minute;
  float projected;
};

class VolumeProjectionTest : public ::testing::TestWithParam<ProjectionCase> {};

TEST_P(VolumeProjectionTest, ProjectsTheDayByTheClock) {
  const ProjectionCase& c = GetParam();
  EXPECT_FLOAT_EQ(ProjectedDayVolume(c.volume, c.hour, c.minute), c.projected);
}

INSTANTIATE_TEST_SUITE_P(
    Clock, VolumeProjectionTest,
    ::testing::Values(ProjectionCase{"at0931_none", 1000, 9, 31, 0}, ProjectionCase{"at0932", 1000, 9, 32, 120000},
                      ProjectionCase{"at1000", 1000, 10, 0, 8000}, ProjectionCase{"at1130", 1000, 11, 30, 2000},
                      ProjectionCase{"at1200_doubled", 1000, 12, 0, 2000},
                      ProjectionCase{"at1330", 1000, 13, 30, 1600}, ProjectionCase{"at1500", 1000, 15, 0, 1000},
                      ProjectionCase{"at1501_none", 1000, 15, 1, 0},
                      ProjectionCase{"tinyVolume_none", 0.00001f, 10, 0, 0}),
    test::CaseName());

TEST(ZoomAnchorTest, KeepsTheLastVisibleBar) {
  EXPECT_EQ(ZoomAnchoredStart(1000, 900, 75, 12), 963);   // wider bars: the last bar stays at 974
  EXPECT_EQ(ZoomAnchoredStart(1000, 990, 75, 529), 471);  // narrower: the series end stays right
  EXPECT_EQ(ZoomAnchoredStart(100, 0, 75, 529), 0);
  EXPECT_EQ(ZoomAnchoredStart(1000, 900, 12, 12), 900);   // the same level only re-anchors
}

struct DragCase {
  const char* name;
  int from, to;
  int level;
};

class DragZoomTest : public ::testing::TestWithParam<DragCase> {};

TEST_P(DragZoomTest, PicksTheWidestLevelThatFits) {
  EXPECT_EQ(DragZoomLevel(529, GetParam().from, GetParam().to), GetParam().level);
}

INSTANTIATE_TEST_SUITE_P(Drags, DragZoomTest,
                         ::testing::Values(DragCase{"tenBars", 0, 10, 0}, DragCase{"twentyBars", 0, 20, 3},
                                           DragCase{"backwards", 20, 0, 3}, DragCase{"onePixelEach", 0, 529, 9},
                                           DragCase{"moreBarsThanPixels", 0, 600, 0},
                                           DragCase{"oneBar", 5, 5, 0}),
                         test::CaseName());

TEST(DragZoomTest, EndsTheViewAtTheDraggedBar) {
  EXPECT_EQ(DragZoomStart(1000, 500, 75), 426);
  EXPECT_EQ(DragZoomStart(1000, 10, 75), 0);
  EXPECT_EQ(DragZoomStart(5, 900, 2), 4);
}

struct StepCase {
  const char* name;
  int count, start, visible, slot, step;
  bool left, on;
  int wantStart, wantSlot;
  bool redraw, turnedOn;
};

class CrosshairStepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(CrosshairStepTest, StepsAndScrollsAtTheEdges) {
  const StepCase& c = GetParam();
  const CrosshairStepResult r = StepCrosshair(c.count, c.start, c.visible, c.slot, c.step, c.left, c.on);
  EXPECT_EQ(r.start, c.wantStart);
  EXPECT_EQ(r.slot, c.wantSlot);
  EXPECT_EQ(r.redraw, c.redraw);
  EXPECT_EQ(r.turnedOn, c.turnedOn);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, CrosshairStepTest,
    ::testing::Values(StepCase{"leftInside", 100, 50, 10, 3, 1, true, true, 50, 2, false, false},
                      StepCase{"leftEdgeScrollsOne", 100, 50, 10, 0, 1, true, true, 49, 0, true, false},
                      StepCase{"leftEdgeScrollsFive", 100, 50, 10, 2, 5, true, true, 45, 0, true, false},
                      StepCase{"leftNeverBelowBarZero", 100, 2, 10, 0, 5, true, true, 0, 0, true, false},
                      StepCase{"rightInside", 100, 50, 10, 3, 1, false, true, 50, 4, false, false},
                      StepCase{"rightEdgeScrollsOne", 100, 50, 10, 9, 1, false, true, 51, 9, true, false},
                      StepCase{"rightEdgeScrollsFive", 100, 50, 10, 9, 5, false, true, 55, 9, true, false},
                      StepCase{"rightAtTheLastBar", 100, 90, 10, 9, 1, false, true, 90, 9, false, false},
                      StepCase{"offTurnsOnAtTheEnd", 100, 20, 10, 3, 1, false, false, 90, 9, true, true},
                      StepCase{"offWithFewBars", 5, 0, 10, 0, 1, true, false, 0, 4, true, true}),
    test::CaseName());

}  // namespace
}  // namespace kiv
