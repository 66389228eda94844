// The chart and the indicator pane beneath it stay aligned bar for bar
// through the view's zoom keys, drag zooms and scrolling crosshair steps:
// each window's geometry puts every visible bar at the same screen x, the
// crosshair's vertical line runs down the same screen column in both, and
// neither is left showing a picture of other bars.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/chart/ChartPaneTestSupport.h"

namespace kiv::test {
namespace {

class ChartPaneAlignmentTest : public ChartPaneTest {
 protected:
  static constexpr int kBars = 900;  // more than the plot holds at the narrowest level

  void SetUp() override {
    ChartPaneTest::SetUp();
    OpenPair();
    Show(Zigzag(kBars));
    ASSERT_EQ(pane_->Series(), chart_->Model().Series());
    // The crosshair on, by a click on the chart, which the view passes on.
    Screen().Click(ToScreen(300, 100));
    Pump();
    ASSERT_TRUE(chart_->IsCrosshair());
    ASSERT_TRUE(pane_->IsCrosshairShown());
  }

  // Checks the alignment at the first, middle and last visible bars, the
  // crosshair on a middle bar moved there in the chart and on another
  // moved there in the pane, and the KDJ vertices under the chart's bars.
  void ExpectAligned() {
    ASSERT_GT(chart_->VisibleCount(), 1);
    EXPECT_EQ(PaneVisibleBars(), chart_->VisibleCount());
    const int start = g_data.m_StartIndex;
    const int visible = chart_->VisibleCount();
    for (int bar : {start, start + 1, start + visible / 2, start + visible - 2, start + visible - 1}) {
      EXPECT_EQ(PaneBarX(bar), ChartBarX(bar)) << "bar " << bar;
    }
    EXPECT_TRUE(BothShowTheirFullDrawing());

    const CPoint chartOrigin = ToScreen(0, 0);
    const int inChart = start + visible / 3;
    Screen().MoveMouse(CPoint(ChartBarX(inChart), chartOrigin.y + 120));
    Pump();
    EXPECT_TRUE(ShowsCrosshairColumn(ScreenReader(), ChartColumnRows(), PaneColumnRows(), ChartBarX(inChart)))
        << "crosshair moved in the chart to bar " << inChart;
    const int inPane = start + (2 * visible) / 3;
    CPoint panePoint(0, 80);
    pane_->ClientToScreen(&panePoint);
    Screen().MoveMouse(CPoint(ChartBarX(inPane), panePoint.y));
    Pump();
    EXPECT_TRUE(ShowsCrosshairColumn(ScreenReader(), ChartColumnRows(), PaneColumnRows(), ChartBarX(inPane)))
        << "crosshair moved in the pane to bar " << inPane;

    // The J line (drawn last) passes through its value at each bar's x of
    // the chart; the last bar ends a segment, which leaves its own pixel.
    const std::function<COLORREF(int, int)> pixel = ScreenReader();
    const float* j = pane_->CurrentIndicator()->m_pData3;
    ASSERT_NE(j, nullptr);
    for (int bar : {start + 2, start + visible / 4, start + visible / 2, start + visible - 3}) {
      CPoint vertex(0, PaneValueY(j[bar]));
      pane_->ClientToScreen(&vertex);
      bool seen = false;
      for (int dy = -1; dy <= 1; ++dy) seen = seen || pixel(ChartBarX(bar), vertex.y + dy) == kIndexLineColors[2];
      EXPECT_TRUE(seen) << "J at bar " << bar;
    }
  }

  void Drag(int fromX, int toX) {
    clock_.Advance(1000);
    Screen().Drag(ToScreen(fromX, 150), ToScreen(toX, 150));
    Pump();
  }
};

struct ViewStep {
  const char* name;
  enum Kind { kZoomIn, kZoomOut, kDrag } kind;
  int a;  // zoom steps, or the drag's start x in the chart
  int b;  // the drag's end x
  int level;  // the zoom level after the step
};

TEST_F(ChartPaneAlignmentTest, StayAlignedThroughZoomKeysAndDragZooms) {
  const int plotLeft = chart_->Plots().price.left;
  // The drag levels follow from the plot's width: checked here, so the
  // table below says what each drag does.
  const int width = chart_->Plots().price.Width();
  ASSERT_EQ(width, kWidth - 1 - plotLeft);
  const std::vector<ViewStep> steps = {
      {"up to level 5", ViewStep::kZoomIn, 1, 0, 5},
      {"up by two to level 3", ViewStep::kZoomIn, 2, 0, 3},
      {"up by three to level 0", ViewStep::kZoomIn, 3, 0, 0},
      {"up at level 0", ViewStep::kZoomIn, 1, 0, 0},
      {"down to level 1", ViewStep::kZoomOut, 1, 0, 1},
      {"down by five to level 6", ViewStep::kZoomOut, 5, 0, 6},
      {"down to level 7", ViewStep::kZoomOut, 1, 0, 7},
      {"down by two to level 9", ViewStep::kZoomOut, 2, 0, 9},
      {"down at level 9", ViewStep::kZoomOut, 1, 0, 9},
      {"drag over 40 bars at level 9", ViewStep::kDrag, plotLeft + 100, plotLeft + 140,
       DragZoomLevel(width, 0, 40)},
      {"drag right to left", ViewStep::kDrag, plotLeft + 400, plotLeft + 100, -1},
      {"drag to the chart's right edge", ViewStep::kDrag, plotLeft + 20, kWidth - 1, -1},
      {"up by two after the drags", ViewStep::kZoomIn, 2, 0, -1},
      {"drag over 100 pixels", ViewStep::kDrag, plotLeft + 30, plotLeft + 130, -1},
  };
  ASSERT_EQ(g_data.zoomLevel, kInitialZoomLevel);
  ASSERT_NO_FATAL_FAILURE(ExpectAligned());
  for (const ViewStep& step : steps) {
    SCOPED_TRACE(step.name);
    switch (step.kind) {
      case ViewStep::kZoomIn: ViewZoomIn(step.a); break;
      case ViewStep::kZoomOut: ViewZoomOut(step.a); break;
      case ViewStep::kDrag: {
        Drag(step.a, step.b);
        EXPECT_FALSE(chart_->IsDragging());
        if (step.level >= 0) {
          EXPECT_EQ(g_data.zoomLevel, step.level);
        }
        break;
      }
    }
    if (step.kind != ViewStep::kDrag && step.level >= 0) {
      EXPECT_EQ(g_data.zoomLevel, step.level);
    }
    ASSERT_NO_FATAL_FAILURE(ExpectAligned());
  }
}

// A crosshair step by the keys past either edge of the view scrolls it:
// the pane beneath must show the scrolled bars too, not the ones it drew
// before.
TEST_F(ChartPaneAlignmentTest, StayAlignedWhenACrosshairKeyStepScrollsTheView) {
  struct KeyStep {
    const char* name;
    UINT key;
    WPARAM wParam;
    int pointerX;  // chart client x of the pointer before the step
    int scroll;    // bars the first visible one moves
  };
  const int plotLeft = chart_->Plots().price.left;
  const int right = chart_->Plots().price.right - 2;
  // Scrolled back first, so that both edges have bars beyond them.
  ViewZoomIn(1);
  g_data.m_StartIndex = 300;
  chart_->Model().RequestRedraw();
  chart_->Invalidate();
  relay_.RepaintPane();
  Pump();
  const KeyStep steps[] = {
      {"left of the first bar", WM_KIV_KLINE_KEY_LEFT, 0, plotLeft + 1, -1},
      {"five left of the first bar", WM_KIV_KLINE_KEY_LEFT, kCrosshairFastLeft, plotLeft + 1, -5},
      {"right of the last bar", WM_KIV_KLINE_KEY_RIGHT, 0, right, 1},
      {"five right of the last bar", WM_KIV_KLINE_KEY_RIGHT, kCrosshairFastRight, right, 5},
  };
  for (const KeyStep& step : steps) {
    SCOPED_TRACE(step.name);
    Screen().MoveMouse(ToScreen(step.pointerX, 120));
    Pump();
    const int before = g_data.m_StartIndex;
    host_->PostMessage(step.key, step.wParam, 0);  // as the main dialog passes the key to the view
    Pump();
    EXPECT_EQ(g_data.m_StartIndex, before + step.scroll);
    ASSERT_NO_FATAL_FAILURE(ExpectAligned());
  }
}

// The view state is shared with the side dialog's chart, which may leave
// the first visible bar beyond this series: the chart holds it to its last
// bar, and the pane beneath shows that same bar under it.
TEST_F(ChartPaneAlignmentTest, StayAlignedWhenTheSharedStartLiesBeyondTheSeries) {
  g_data.m_StartIndex = kBars + 500;
  chart_->Model().RequestRedraw();
  chart_->Invalidate();
  relay_.RepaintPane();
  Pump();
  EXPECT_EQ(chart_->VisibleCount(), 1);
  EXPECT_EQ(PaneVisibleBars(), 1);
  EXPECT_EQ(PaneBarX(kBars - 1), ChartBarX(kBars - 1));
  Screen().MoveMouse(CPoint(ChartBarX(kBars - 1), ToScreen(0, 120).y));
  Pump();
  EXPECT_TRUE(ShowsCrosshairColumn(ScreenReader(), ChartColumnRows(), PaneColumnRows(), ChartBarX(kBars - 1)));
  EXPECT_TRUE(BothShowTheirFullDrawing());
}

}  // namespace
}  // namespace kiv::test
