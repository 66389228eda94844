// The indicator pane in its host: the first indicator and the strip, a
// series announced and dropped, switching indicators, the shared crosshair
// (mouse moves over the plot and the axis band, clicks, the chart's
// crosshair shows), and resizing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/indicators/IndicatorStyle.h"
#include "tests/chart/IndexPaneTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv {
namespace test {
namespace {

TEST_F(IndexPaneTest, OpensWithTheFirstIndicatorAndTheTwelveNamesOnItsStrip) {
  CountedIndexPane& pane = Open("KDJ");
  ASSERT_NE(pane.CurrentIndicator(), nullptr);
  EXPECT_NE(dynamic_cast<CKIVIndex_KDJ*>(pane.CurrentIndicator()), nullptr);
  EXPECT_EQ(pane.CurrentItem(), 5);
  CKivDesk_Wnd_Tab* strip = pane.TabStrip();
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->GetDlgCtrlID(), static_cast<int>(kIdcIndexTab));
  EXPECT_EQ(strip->GetItemCount(), kIndexTabItems);
  EXPECT_EQ(strip->GetCurSel(), 5);
  const std::vector<std::string> names = {"ARBR", "BIAS", "BOLL", "CCI", "DMI", "KDJ",
                                          "MACD", "NFI",  "OBV",  "PSY", "RSI", "W&R"};
  for (int i = 0; i < kIndexCount; ++i) EXPECT_EQ(CKivDesk_Wnd_Index::IndicatorName(i), names[static_cast<size_t>(i)]);
  EXPECT_EQ(CKivDesk_Wnd_Index::IndicatorName(12), nullptr);
  // Along the bottom, right of the axis band.
  CRect placed;
  strip->GetWindowRect(&placed);
  pane.ScreenToClient(&placed);
  EXPECT_EQ(placed, CRect(kPlotLeft, kPaneHeight - kIndexTabHeight, kPaneWidth, kPaneHeight));
  // Item 5's caption in the selected colour, ARBR's in the text colour.
  Pump();
  EXPECT_TRUE(TabItemRect(5).Width() > 0);
  CRect kdj = TabItemRect(5);
  kdj.OffsetRect(kPlotLeft, kPaneHeight - kIndexTabHeight);
  EXPECT_GT(CountInRect(kdj, kIndexTabSelectedText), 0);
  CRect arbr = TabItemRect(0);
  arbr.OffsetRect(kPlotLeft, kPaneHeight - kIndexTabHeight);
  EXPECT_EQ(CountInRect(arbr, kIndexTabSelectedText), 0);
}

TEST_F(IndexPaneTest, ANewSeriesIsComputedAndDrawnADroppedOneClearsTheResultsWithoutARepaint) {
  CountedIndexPane& pane = Open();
  EXPECT_EQ(LinePixels(), 0) << "nothing to draw before a series";
  ChartSends(series_.get());
  Pump();
  EXPECT_EQ(pane.Series(), series_.get());
  EXPECT_EQ(pane.CurrentIndicator()->m_nCount, 120);
  const int drawn = LinePixels();
  EXPECT_GT(drawn, 100);

  pane.paints = 0;
  ChartSends(nullptr);
  Pump();
  EXPECT_EQ(pane.Series(), nullptr);
  EXPECT_EQ(pane.CurrentIndicator()->m_nCount, 0);
  EXPECT_EQ(pane.CurrentIndicator()->m_pData1, nullptr);
  EXPECT_EQ(pane.paints, 0) << "the drop notice does not repaint";

  // A crosshair repaint shows the kept drawing; a full redraw the frame
  // alone.
  pane.PostMessage(WM_KIV_CROSSHAIR_REPAINT, 0, 0);
  Pump();
  EXPECT_EQ(pane.paints, 1);
  EXPECT_EQ(LinePixels(), drawn);
  host_->PostMessage(WM_KIV_INDEX_REPAINT, 0, 0);
  Pump();
  EXPECT_EQ(LinePixels(), 0);
  EXPECT_EQ(PanePixel(kPlotRight, 100), kFrame);
}

TEST_F(IndexPaneTest, AHiddenPaneIsGivenNoNewSeriesButAlwaysTheDropNotice) {
  CountedIndexPane& pane = Open();
  ChartSends(series_.get());
  pane.ShowWindow(SW_HIDE);
  Pump();
  EXPECT_FALSE(pane.m_bShown);
  auto other = SeriesOf(WalkBars(80, 7));
  ChartSends(nullptr);
  ChartSends(other.get());
  EXPECT_EQ(pane.Series(), nullptr) << "the freed series is forgotten, the new one not taken";
  pane.ShowWindow(SW_SHOW);
  ChartSends(other.get());
  EXPECT_EQ(pane.Series(), other.get());
  EXPECT_EQ(pane.CurrentIndicator()->m_nCount, 80);
  ChartSends(nullptr);
}

TEST_F(IndexPaneTest, ATabSwitchMakesTheNewIndicatorFromTheKeptSeriesWithTheCrosshairKept) {
  CountedIndexPane& pane = Open();
  ChartSends(series_.get());
  Pump();
  ClickPane(CPoint(200, 100));  // crosshair on
  ASSERT_TRUE(pane.IsCrosshairShown());
  ASSERT_EQ(pane.CurrentIndicator()->m_bCrosshair, 1);

  ClickTab(TabItemRect(6).CenterPoint());  // MACD
  EXPECT_EQ(pane.CurrentItem(), 6);
  EXPECT_EQ(pane.TabStrip()->GetCurSel(), 6);
  auto* macd = dynamic_cast<CKIVIndex_MACD*>(pane.CurrentIndicator());
  ASSERT_NE(macd, nullptr);
  EXPECT_EQ(macd->m_bCrosshair, 1);
  EXPECT_EQ(macd->m_nCount, 120);
  EXPECT_EQ(macd->m_pSeries, series_.get());
  EXPECT_TRUE(pane.IsCrosshairShown());
  // The crosshair's horizontal line is drawn over the new indicator.
  EXPECT_GT(CountInRow(100, kFrame), 400);
  ChartSends(nullptr);
}

struct RefusedSelectCase {
  std::string name;
  UINT controlId;
  int item;
};

class IndexPaneRefusedSelect : public IndexPaneTest, public ::testing::WithParamInterface<RefusedSelectCase> {};

TEST_P(IndexPaneRefusedSelect, ChangesNeitherTheIndicatorNorThePicture) {
  CountedIndexPane& pane = Open();
  ChartSends(series_.get());
  Pump();
  const CKIVIndex_Base* before = pane.CurrentIndicator();
  pane.paints = 0;
  pane.SendMessage(WM_KIV_SELECT, GetParam().controlId, GetParam().item);
  Pump();
  EXPECT_EQ(pane.CurrentIndicator(), before);
  EXPECT_EQ(pane.CurrentItem(), 5);
  EXPECT_EQ(pane.TabStrip()->GetCurSel(), 5);
  EXPECT_EQ(pane.paints, 0);
  ChartSends(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Selections, IndexPaneRefusedSelect,
                         ::testing::Values(RefusedSelectCase{"the_selected_item_again", kIdcIndexTab, 5},
                                           RefusedSelectCase{"the_empty_item_12", kIdcIndexTab, 12},
                                           RefusedSelectCase{"beyond_the_items", kIdcIndexTab, 13},
                                           RefusedSelectCase{"negative", kIdcIndexTab, -1},
                                           RefusedSelectCase{"another_strip", 540, 6}),
                         CaseName());

TEST_F(IndexPaneTest, ClicksOnTheSelectedItemOrWhereTheEmptyItemWouldBeChangeNothing) {
  CountedIndexPane& pane = Open();
  Pump();
  const CKIVIndex_Base* before = pane.CurrentIndicator();
  ClickTab(TabItemRect(5).CenterPoint());
  // Item 12 has no caption and takes no room: its place is what lies right
  // of W&R.
  EXPECT_TRUE(TabItemRect(12).IsRectEmpty());
  CRect strip;
  pane.TabStrip()->GetClientRect(&strip);
  ClickTab(CPoint((TabItemRect(11).right + strip.right) / 2, 10));
  ClickTab(CPoint(strip.right - 2, 10));
  EXPECT_EQ(pane.CurrentIndicator(), before);
  EXPECT_EQ(pane.CurrentItem(), 5);
  EXPECT_EQ(pane.TabStrip()->GetCurSel(), 5);
  EXPECT_TRUE(Of("host", WM_KIV_SELECT).empty());
}

TEST_F(IndexPaneTest, MovesOverThePlotMoveTheSharedPointAndRepaintBothWindowsOverTheAxisBandNothing) {
  CountedIndexPane& pane = Open();
  ChartSends(series_.get());
  Pump();
  ClickPane(CPoint(30, 150));  // crosshair on, from the axis band
  ASSERT_TRUE(pane.IsCrosshairShown());
  const size_t mouseBefore = Count("host", WM_KIV_INDEX_MOUSE);
  const int xBefore = g_data.crosshairX, yBefore = g_data.crosshairY;

  // The axis band: left of the plot's left edge.
  for (int x : {0, 25, kPlotLeft - 1}) MoveMouseInPane(CPoint(x, 80));
  EXPECT_EQ(Count("host", WM_KIV_INDEX_MOUSE), mouseBefore);
  EXPECT_EQ(g_data.crosshairX, xBefore);
  EXPECT_EQ(g_data.crosshairY, yBefore);

  // Over the plot: the point moves, the host hears once, the chart is
  // asked to repaint, and its answer repaints the pane with the crosshair
  // at the new height.
  const size_t chartRepaints = Count("chart", WM_KIV_CROSSHAIR_REPAINT);
  pane.paints = 0;
  MoveMouseInPane(CPoint(250, 120));
  const CPoint expected = OnScreen(pane, CPoint(250, 120));
  EXPECT_EQ(g_data.crosshairX, expected.x);
  EXPECT_EQ(g_data.crosshairY, expected.y);
  EXPECT_EQ(Count("host", WM_KIV_INDEX_MOUSE), mouseBefore + 1);
  EXPECT_EQ(Count("chart", WM_KIV_CROSSHAIR_REPAINT), chartRepaints + 1);
  EXPECT_GE(pane.paints, 1);
  EXPECT_GT(CountInRow(120, kFrame), 400);
  EXPECT_LT(CountInRow(60, kFrame), 10);
  // The vertical line through the bar under the point: offset (250 - 60) / 7.
  const int barX = kPlotLeft + 5 / 2 + 7 * ((250 - kPlotLeft) / 7);
  EXPECT_GT(CountInRect(CRect(barX, 1, barX + 1, kPlotBottom), kFrame), 150);

  // The same point again posts nothing more.
  MoveMouseInPane(CPoint(250, 120));
  EXPECT_EQ(Count("host", WM_KIV_INDEX_MOUSE), mouseBefore + 1);
  ChartSends(nullptr);
}

TEST_F(IndexPaneTest, AClickAnywhereTogglesTheCrosshairAndTheChartFollows) {
  CountedIndexPane& pane = Open();
  ChartSends(series_.get());
  Pump();
  struct Step {
    CPoint at;
    BOOL shown;
  };
  for (const Step& step : {Step{CPoint(300, 100), TRUE}, Step{CPoint(20, 50), FALSE}, Step{CPoint(20, 205), TRUE}}) {
    ClickPane(step.at);
    EXPECT_EQ(pane.IsCrosshairShown(), step.shown) << step.at.x << "," << step.at.y;
    EXPECT_EQ(pane.CurrentIndicator()->m_bCrosshair, step.shown);
    const std::vector<Received> toggles = Of("chart", WM_KIV_CROSSHAIR_TOGGLED);
    ASSERT_FALSE(toggles.empty());
    EXPECT_EQ(toggles.back().wParam, static_cast<WPARAM>(step.shown));
  }
  EXPECT_EQ(Of("chart", WM_KIV_CROSSHAIR_TOGGLED).size(), 3u);
  ChartSends(nullptr);
}

TEST_F(IndexPaneTest, TheChartsCrosshairShowReachesThePaneAndItsIndicator) {
  CountedIndexPane& pane = Open();
  ChartSends(series_.get());
  Pump();
  g_data.crosshairX = OnScreen(pane, CPoint(0, 90)).x;
  g_data.crosshairY = OnScreen(pane, CPoint(0, 90)).y;
  host_->PostMessage(WM_KIV_CROSSHAIR_SHOW, 1, 0);
  Pump();
  EXPECT_TRUE(pane.IsCrosshairShown());
  EXPECT_EQ(pane.CurrentIndicator()->m_bCrosshair, 1);
  EXPECT_GT(CountInRow(90, kFrame), 400);
  host_->PostMessage(WM_KIV_CROSSHAIR_SHOW, 0, 0);
  Pump();
  EXPECT_FALSE(pane.IsCrosshairShown());
  EXPECT_LT(CountInRow(90, kFrame), 10);
  ChartSends(nullptr);
}

TEST_F(IndexPaneTest, AResizeRebuildsBothPicturesAndRedrawsInFull) {
  CountedIndexPane& pane = Open();
  ChartSends(series_.get());
  Pump();
  ASSERT_EQ(PanePixel(kPlotRight, 100), kFrame);
  const int wide = LinePixels();

  pane.MoveWindow(0, kPaneTop, 450, 180);
  Pump();
  CRect client;
  pane.GetClientRect(&client);
  ASSERT_EQ(client, CRect(0, 0, 450, 180));
  // The plot's new right and bottom edges, the strip at the new bottom.
  EXPECT_EQ(PanePixel(449, 100), kFrame);
  EXPECT_EQ(PanePixel(300, 180 - kIndexPlotBottomGap), kFrame);
  CRect strip;
  pane.TabStrip()->GetWindowRect(&strip);
  pane.ScreenToClient(&strip);
  EXPECT_EQ(strip, CRect(kPlotLeft, 180 - kIndexTabHeight, 450, 180));
  // Fewer bars fit: fewer line pixels, all inside the new plot.
  const int narrow = CountInRect(CRect(kPlotLeft + 1, 0, 449, 180 - kIndexPlotBottomGap), kIndexLineColors[0]);
  EXPECT_GT(narrow, 50);
  EXPECT_LT(narrow, wide);

  // Growing again shows the whole width drawn afresh, nothing stale.
  pane.MoveWindow(0, kPaneTop, kPaneWidth, kPaneHeight);
  Pump();
  EXPECT_EQ(PanePixel(kPlotRight, 100), kFrame);
  EXPECT_EQ(LinePixels(), wide);
  ChartSends(nullptr);
}

TEST_F(IndexPaneTest, AnUnknownFirstNameShowsNoIndicatorAndLeavesEveryItemClickable) {
  CountedIndexPane& pane = Open("kdj");  // names compare case-sensitively
  EXPECT_EQ(pane.CurrentIndicator(), nullptr);
  EXPECT_EQ(pane.CurrentItem(), -1);
  ChartSends(series_.get());
  Pump();
  EXPECT_EQ(LinePixels(), 0);
  ClickPane(CPoint(200, 100));
  EXPECT_FALSE(pane.IsCrosshairShown()) << "no indicator, no crosshair toggle";
  ClickTab(TabItemRect(0).CenterPoint());
  ASSERT_NE(dynamic_cast<CKIVIndex_ARBR*>(pane.CurrentIndicator()), nullptr);
  EXPECT_EQ(pane.CurrentIndicator()->m_nCount, 120);
  EXPECT_GT(LinePixels(), 0);
  ChartSends(nullptr);
}

}  // namespace
}  // namespace test
}  // namespace kiv
