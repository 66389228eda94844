// The stock view at message level, with fake panes: what it makes, the
// order in which a new stock reaches its children, the click dispatch of
// its tabs and buttons, the mark buttons against the chart's display bits,
// F10, the relays and who frees what was posted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/view/IndustryRowCells.h"
#include "net/DataTypes.h"
#include "shell/ChromeIds.h"
#include "shell/StandInCallLog.h"
#include "tests/chart/view/StockViewHostTestSupport.h"

namespace kiv::test {
namespace {

using Kind = StockViewPaneKind;

TEST_F(StockViewHostTest, MakesItsChildrenAndStartsWithTheMarksOn) {
  CKivDesk_Wnd_KLine& view = OpenView();
  ASSERT_NE(view.PeriodTab(), nullptr);
  EXPECT_EQ(view.PeriodTab()->GetItemCount(), kViewPeriodTabItems);
  EXPECT_EQ(view.SectorTab()->GetItemCount(), kViewSectorTabItems);
  EXPECT_EQ(view.TabHeight(), 24);  // the first tab bitmap's height
  ASSERT_NE(view.Chart(), nullptr);
  ASSERT_NE(view.IndexPane(), nullptr);
  EXPECT_EQ(view.IndexPane()->CurrentItem(), CKivDesk_Wnd_Index::IndicatorItem("KDJ"));
  EXPECT_EQ(view.Chart()->GetDlgCtrlID(), static_cast<int>(kIdcViewChart));
  for (UINT id : {kIdcViewShortStocks, kIdcViewShortIndices, kIdcViewExRights, kIdcViewAddWatch, kIdcViewMidTerm,
                  kIdcViewAdvice, kIdcViewEnlarge, kIdcViewRestore, kIdcViewHoldingToggle}) {
    SCOPED_TRACE(id);
    ASSERT_NE(view.Button(id), nullptr);
    EXPECT_EQ(view.Button(id)->GetDlgCtrlID(), static_cast<int>(id));
  }
  EXPECT_FALSE(view.Button(kIdcViewHoldingToggle)->IsWindowVisible());
  // Every pane kind was asked for, with the view's bitmaps, and made as
  // the view names it.
  EXPECT_EQ(maker_.bitmapsGiven, kViewBitmaps);
  struct Expected {
    Kind kind;
    const char* name;
    UINT id;
  };
  for (const Expected& e : {Expected{Kind::kQuoteStrip, "StockInfo", 510}, Expected{Kind::kIndexQuote, "BlockMarketInfo", 511},
                            Expected{Kind::kOrderBook, "BlockBS5", 508}, Expected{Kind::kTradeList, "BlockBS20", 509},
                            Expected{Kind::kShortAlerts, "BlockShort", 507}, Expected{Kind::kCommentary, "BlockJiePan", 512},
                            Expected{Kind::kMoneyFlow, "BlockNetFlow", 513}, Expected{Kind::kFinance, "BlockFinaAnly", 514},
                            Expected{Kind::kTickPane, "BlockTick", 517}, Expected{Kind::kF10Viewer, "", 70003}}) {
    SCOPED_TRACE(PaneKindName(e.kind));
    ASSERT_NE(PaneOf(e.kind), nullptr);
    EXPECT_EQ(PaneOf(e.kind)->name, e.name);
    EXPECT_EQ(PaneOf(e.kind)->id, e.id);
  }
  EXPECT_EQ(PaneOf(Kind::kF10Viewer)->style, kViewButtonStyle);
  EXPECT_FALSE(PaneOf(Kind::kF10Viewer)->IsWindowVisible());
  // The contribution pane is made by the index layout on first use.
  EXPECT_EQ(PaneOf(Kind::kIndexContribution), nullptr);
  // The member grid, set up as the view's.
  ASSERT_NE(maker_.list, nullptr);
  EXPECT_EQ(maker_.list->name, "KIV_LIST_Idus");
  EXPECT_EQ(maker_.list->id, kIdcViewIndustryList);
  EXPECT_EQ(maker_.list->columns, 4);
  EXPECT_EQ(maker_.list->frozen, 3);
  EXPECT_TRUE(maker_.list->autoFit);
  EXPECT_STREQ(maker_.list->header[1].value, "名称");
  EXPECT_EQ(maker_.list->header[3].colour, kIndustryHeaderColour);
  EXPECT_FALSE(maker_.list->IsWindowVisible());
  // The chart starts on day bars with ex-rights prices, short-term marks
  // (with the mid-term bit that comes with them on day bars) and index marks.
  EXPECT_EQ(Bits(), kExRightsBit | kShortMarksBit | kMidTermBit | kIndexMarksBit);
  EXPECT_TRUE(Active(kIdcViewExRights));
  EXPECT_TRUE(Active(kIdcViewShortStocks));
  EXPECT_TRUE(Active(kIdcViewShortIndices));
  // With a tick pane the view opens on the time-share page.
  EXPECT_EQ(view.PeriodTab()->GetCurSel(), kViewTabTick);
}

TEST_F(StockViewHostTest, WithoutATickPaneItOpensOnTheDayChart) {
  maker_.missing[Kind::kTickPane] = true;
  CKivDesk_Wnd_KLine& view = OpenView();
  EXPECT_EQ(view.PeriodTab()->GetCurSel(), kViewTabDay);
  Open(kShare600000);
  EXPECT_TRUE(view.Chart()->IsWindowVisible());
  EXPECT_TRUE(view.IndexPane()->IsWindowVisible());
  EXPECT_EQ(view.Chart()->Model().GetStockId(), kShare600000);
}

struct FanOutCase {
  const char* name;
  StockId stock;
  int tab;
  std::vector<std::string> order;
  bool chartGetsIt;
};

class StockViewFanOutTest : public StockViewHostTest, public ::testing::WithParamInterface<FanOutCase> {};

TEST_P(StockViewFanOutTest, HandsANewStockToEachChildInOrder) {
  const FanOutCase& c = GetParam();
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, c.tab);
  maker_.calls.clear();
  const StockId before = view.Chart()->Model().GetStockId();
  Open(c.stock);
  EXPECT_EQ(maker_.calls, c.order);
  EXPECT_EQ(view.Chart()->Model().GetStockId(), c.chartGetsIt ? c.stock : before);
  EXPECT_EQ(view.GetStock(), c.stock);
  EXPECT_TRUE(view.HasStock());
}

INSTANTIATE_TEST_SUITE_P(
    Stocks, StockViewFanOutTest,
    ::testing::Values(
        FanOutCase{"ShareOnTheDayChart", kShare600000, kViewTabDay,
                   {"F10", "Finance", "IndexQuote", "OrderBook", "TradeList", "ShortAlerts", "Commentary", "MoneyFlow",
                    "QuoteStrip"},
                   true},
        // The chart is hidden on the time-share page: it is not reloaded
        // now; the next period click does it. The shown tick pane gets it.
        FanOutCase{"ShareOnTheTimeSharePage", kShare600000, kViewTabTick,
                   {"F10", "Finance", "IndexQuote", "OrderBook", "TradeList", "ShortAlerts", "Commentary", "MoneyFlow",
                    "QuoteStrip", "Tick"},
                   false},
        FanOutCase{"IndexOnTheDayChart", kIndex000001, kViewTabDay,
                   {"F10", "Finance", "IndexQuote", "OrderBook", "TradeList", "ShortAlerts", "Commentary", "MoneyFlow",
                    "Contribution", "QuoteStrip"},
                   true}),
    [](const ::testing::TestParamInfo<FanOutCase>& info) { return std::string(info.param.name); });

TEST_F(StockViewHostTest, ThePeriodClickAfterATimeSharePageLoadsTheChart) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabTick);
  Open(kShare600000);
  EXPECT_NE(view.Chart()->Model().GetStockId(), kShare600000);
  EXPECT_TRUE(PaneOf(Kind::kTickPane)->IsWindowVisible());
  Select(kIdcViewPeriodTab, 7);  // 周K
  EXPECT_EQ(view.Chart()->Model().GetStockId(), kShare600000);
  EXPECT_EQ(view.Chart()->Model().GetDataType(), 20000022u);
  EXPECT_EQ(view.Chart()->Model().PeriodSlot(), 7);
  EXPECT_TRUE(view.Chart()->IsWindowVisible());
  EXPECT_FALSE(PaneOf(Kind::kTickPane)->IsWindowVisible());
}

TEST_F(StockViewHostTest, PeriodTabsSwitchTheChartAndMoneyFlowFollowsOffDay) {
  struct Step {
    int item;
    DataType period;
    bool flowAskedAgain;
  };
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabDay);
  Open(kShare600000);
  for (const Step& s : {Step{2, 20000111, true}, Step{3, 20000018, true}, Step{4, 20000019, true},
                        Step{5, 20000020, true}, Step{6, 20000021, true}, Step{7, 20000022, true},
                        Step{8, 20000023, true}, Step{1, 20000017, false}}) {
    SCOPED_TRACE(s.item);
    const size_t flowCalls = PaneOf(Kind::kMoneyFlow)->stocks.size();
    Select(kIdcViewPeriodTab, s.item);
    EXPECT_EQ(view.Chart()->Model().GetDataType(), s.period);
    EXPECT_EQ(PaneOf(Kind::kMoneyFlow)->stocks.size(), flowCalls + (s.flowAskedAgain ? 1 : 0));
  }
}

// The chart tells the view which period a series has; the view selects
// the tab without asking anything.
TEST_F(StockViewHostTest, TheChartsPeriodNoticeSelectsTheTab) {
  struct Case {
    DataType period;
    LPARAM market4;
    int periodTab;
    int sectorTab;
  };
  CKivDesk_Wnd_KLine& view = OpenView();
  for (const Case& c : {Case{20000017, 0, 1, 0}, Case{20000111, 0, 2, 0}, Case{20000021, 0, 6, 0},
                        Case{20000023, 0, 8, 0}, Case{20000022, 4, 8, 1}, Case{20000023, 4, 8, 2},
                        Case{20000018, 4, 8, 2}, Case{20000017, 4, 8, 0}}) {
    SCOPED_TRACE(c.period);
    view.SendMessage(WM_KIV_KLINE_PERIOD, c.period, c.market4);
    EXPECT_EQ(view.PeriodTab()->GetCurSel(), c.periodTab);
    EXPECT_EQ(view.SectorTab()->GetCurSel(), c.sectorTab);
  }
}

// ---- the mark buttons --------------------------------------------------------

struct MarkCase {
  const char* name;
  int tab;        // period tab item before the click
  UINT button;
  uint8_t bits;   // the chart's display bits after the click
  bool shortStocks, shortIndices, exRights, midTerm;  // buttons after
  int markKind;
};

class StockViewMarkTest : public StockViewHostTest, public ::testing::WithParamInterface<MarkCase> {};

// From the initial state (ex-rights, short-term and index marks on, the
// mid-term bit with the short-term marks on day bars) on 600000.
TEST_P(StockViewMarkTest, AButtonTogglesTheChartsMarksAndShowsTheBits) {
  const MarkCase& c = GetParam();
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, c.tab);
  Open(kShare600000);
  Select(c.button);
  EXPECT_EQ(Bits(), c.bits);
  EXPECT_EQ(Active(kIdcViewShortStocks), c.shortStocks);
  EXPECT_EQ(Active(kIdcViewShortIndices), c.shortIndices);
  EXPECT_EQ(Active(kIdcViewExRights), c.exRights);
  EXPECT_EQ(Active(kIdcViewMidTerm), c.midTerm);
  EXPECT_EQ(view.Chart()->MidTermMarks() != 0, c.midTerm);
  EXPECT_EQ(view.MarkKind(), c.markKind);
}

// A stock's chart drops the index-marks bit: 600000 starts from these.
constexpr uint8_t kStart = kExRightsBit | kShortMarksBit | kMidTermBit;

INSTANTIATE_TEST_SUITE_P(
    Buttons, StockViewMarkTest,
    ::testing::Values(
        // Short-term marks off: the day's mid-term bit goes with them.
        MarkCase{"ShortStocksOnDay", 1, kIdcViewShortStocks, kExRightsBit, false, false, true, false, 0},
        // Not on week bars: nothing changes.
        MarkCase{"ShortStocksOnWeek", 7, kIdcViewShortStocks, kStart, true, true, true, false, 0},
        // Index marks are exclusive: turning them on clears every other bit.
        MarkCase{"ShortIndicesOnDay", 1, kIdcViewShortIndices, kIndexMarksBit, false, true, true, false, 0},
        MarkCase{"ExRightsOnDay", 1, kIdcViewExRights, kShortMarksBit | kMidTermBit, true, false, false, false, 0},
        MarkCase{"ExRightsOnHour", 6, kIdcViewExRights, kStart, true, true, true, false, 0},
        // 中线机会 on: short-term marks off first, the day's mid-term bit
        // flipped, index marks off.
        MarkCase{"MidTermOnDay", 1, kIdcViewMidTerm, kExRightsBit, false, false, true, true, 1},
        // On week bars only the mark kind changes.
        MarkCase{"MidTermOnWeek", 7, kIdcViewMidTerm, kStart, true, true, true, false, 1}),
    [](const ::testing::TestParamInfo<MarkCase>& info) { return std::string(info.param.name); });

TEST_F(StockViewHostTest, EnterTogglesTheShortMarksOfAStockAndTheIndexMarksOfAnIndex) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabDay);
  Open(kShare600000);
  view.SendMessage(WM_KIV_KLINE_KEY_MARKS, 0, 0);
  EXPECT_EQ(Bits() & kShortMarksBit, 0);
  EXPECT_FALSE(Active(kIdcViewShortStocks));
  view.SendMessage(WM_KIV_KLINE_KEY_MARKS, 0, 0);
  EXPECT_NE(Bits() & kShortMarksBit, 0);
  Open(kIndex000001);
  ASSERT_TRUE(view.IsIndexLayout());
  const uint8_t before = Bits();
  view.SendMessage(WM_KIV_KLINE_KEY_MARKS, 0, 0);
  EXPECT_EQ(Bits(), (before & kIndexMarksBit) ? 0 : kIndexMarksBit);
}

TEST_F(StockViewHostTest, TheHoldingToggleFlipsTheChartsHoldingView) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewHoldingToggle);
  EXPECT_NE(view.Chart()->MenuOptions() & kHoldingViewBit, 0);
  Select(kIdcViewHoldingToggle);
  EXPECT_EQ(view.Chart()->MenuOptions() & kHoldingViewBit, 0);
}

TEST_F(StockViewHostTest, AddToWatchListAsksTheMainDialogWithInsert) {
  OpenView();
  log_.clear();
  Select(kIdcViewAddWatch);
  const std::vector<Received> keys = Of("desk", WM_KEYDOWN);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>(VK_INSERT));
}

// 投顾 shows the mask over the view and runs the market plan for an index
// (market 2's 399 thousand included) and the proposal for a stock, each
// with the stock on view; the mask goes afterwards.
TEST_F(StockViewHostTest, AdviceRunsThePlanForAnIndexAndTheProposalForAStock) {
  struct Case {
    StockId stock;
    const char* kind;
  };
  CKivDesk_Wnd_KLine& view = OpenView();
  for (const Case& c : {Case{kShare600000, "person"}, Case{kIndex000001, "all"},
                        Case{MakeStockId(399000, kMarketShenzhen), "all"}, Case{MakeStockId(1, kMarketShenzhen), "person"}}) {
    SCOPED_TRACE(c.stock);
    Open(c.stock);
    StandInCallLog::Clear();
    Screen().PressKey(VK_ESCAPE);  // the stand-in dialog ends as a user ends it
    Select(kIdcViewAdvice);
    const std::string run = std::string("AdviceDialog(") + c.kind + ")::DoModal";
    ASSERT_EQ(StandInCallLog::Count(run), 1u);
    EXPECT_EQ(StandInCallLog::Calls().back().value, static_cast<int64_t>(c.stock));
    EXPECT_EQ(view.Mask().GetStock(), c.stock);
    EXPECT_FALSE(view.Mask().IsWindowVisible());
    EXPECT_FALSE(view.HasOpenPopup());
  }
}

// ---- enlarge and restore ---------------------------------------------------------

TEST_F(StockViewHostTest, EnlargeZoomsInOnceAndRestoreZoomsBack) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabDay);
  Open(kShare600000);
  ArriveBars(300);
  const int level = g_data.zoomLevel;
  const CRect normal = RectOf(view.Chart());
  ASSERT_EQ(g_data.m_StartIndex + ZoomVisibleBars(view.Chart()->Plots().price.Width(), level), 300);
  Select(kIdcViewEnlarge);
  EXPECT_EQ(view.StockMode(), 2);
  EXPECT_EQ(g_data.zoomLevel, std::max(level - 2, 0));
  EXPECT_EQ(g_data.m_StartIndex + ZoomVisibleBars(view.Chart()->Plots().price.Width(), g_data.zoomLevel), 300);
  EXPECT_EQ(RectOf(view.Chart()).Width(), kWidth);
  EXPECT_TRUE(view.Button(kIdcViewRestore)->IsWindowVisible());
  EXPECT_FALSE(view.Button(kIdcViewEnlarge)->IsWindowVisible());
  // Laying out again in the enlarged mode (a resize, another stock) keeps
  // the zoom.
  view.MoveWindow(0, 0, kWidth, kHeight - 10);
  Open(MakeStockId(600004, kMarketShanghai));
  ArriveBars(300);
  EXPECT_EQ(g_data.zoomLevel, std::max(level - 2, 0));
  view.MoveWindow(0, 0, kWidth, kHeight);
  Pump();
  Select(kIdcViewRestore);
  EXPECT_EQ(view.StockMode(), 1);
  EXPECT_EQ(g_data.zoomLevel, level);
  EXPECT_EQ(RectOf(view.Chart()), normal);
  // Through both, the newest bar stays at the right edge.
  EXPECT_EQ(g_data.m_StartIndex + ZoomVisibleBars(view.Chart()->Plots().price.Width(), level), 300);
}

TEST_F(StockViewHostTest, AnIndexEnlargesWithoutZooming) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabDay);
  Open(kIndex000001);
  const int level = g_data.zoomLevel;
  Select(kIdcViewEnlarge);
  EXPECT_EQ(view.IndexMode(), 2);
  EXPECT_EQ(RectOf(view.Chart()).Width(), kWidth);
  EXPECT_EQ(g_data.zoomLevel, level);
  Select(kIdcViewRestore);
  EXPECT_EQ(view.IndexMode(), 1);
  EXPECT_LT(RectOf(view.Chart()).Width(), kWidth);
}

// ---- F10 ---------------------------------------------------------------------

TEST_F(StockViewHostTest, F10ShowsTheViewerAndTheSecondPressGoesBack) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, 7);  // 周K
  Open(kShare600000);
  FakePane* f10 = PaneOf(Kind::kF10Viewer);
  view.PostMessage(WM_KIV_KLINE_KEY_F10, 0, 0);
  Pump();
  EXPECT_TRUE(view.IsF10Shown());
  EXPECT_TRUE(f10->IsWindowVisible());
  EXPECT_EQ(view.PeriodTab()->GetCurSel(), kViewTabF10);
  EXPECT_FALSE(view.Chart()->IsWindowVisible());
  EXPECT_FALSE(view.IndexPane()->IsWindowVisible());
  EXPECT_EQ(f10->stocks.back(), kShare600000);
  ASSERT_FALSE(f10->messages.empty());
  EXPECT_EQ(f10->messages.back().msg, WM_KIV_F10_LOAD);
  // Left area below the quote strip and the tab row, four fifths down.
  const int top = 66 + 24;
  EXPECT_EQ(RectOf(f10), CRect(0, top, kWidth - kWidth / 5 - 21, top + 4 * (kHeight - top) / 5));

  view.PostMessage(WM_KIV_KLINE_KEY_F10, 0, 0);
  Pump();
  EXPECT_FALSE(view.IsF10Shown());
  EXPECT_FALSE(f10->IsWindowVisible());
  EXPECT_EQ(view.PeriodTab()->GetCurSel(), 7);
  EXPECT_TRUE(view.Chart()->IsWindowVisible());
}

TEST_F(StockViewHostTest, LeavingOnF10AndComingBackLandsOnTheTimeSharePage) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabDay);
  Open(kShare600000);
  Select(kIdcViewPeriodTab, kViewTabF10);
  ASSERT_TRUE(view.IsF10Shown());
  view.ShowWindow(SW_HIDE);
  Pump();
  EXPECT_FALSE(view.IsF10Shown());
  view.ShowWindow(SW_SHOW);
  Pump();
  EXPECT_EQ(view.PeriodTab()->GetCurSel(), kViewTabTick);
  EXPECT_TRUE(PaneOf(Kind::kTickPane)->IsWindowVisible());
  EXPECT_FALSE(view.Chart()->IsWindowVisible());
}

TEST_F(StockViewHostTest, AResizeWhileF10ShowsGoesBackToItsPage) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabDay);
  Open(kShare600000);
  Select(kIdcViewPeriodTab, kViewTabF10);
  ASSERT_TRUE(view.IsF10Shown());
  view.MoveWindow(0, 0, kWidth - 100, kHeight);
  Pump();
  EXPECT_FALSE(view.IsF10Shown());
  EXPECT_EQ(view.PeriodTab()->GetCurSel(), kViewTabDay);
  EXPECT_TRUE(view.Chart()->IsWindowVisible());
}

TEST_F(StockViewHostTest, WithoutAnF10ViewerTheKeyChangesNothing) {
  maker_.missing[Kind::kF10Viewer] = true;
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabDay);
  Open(kShare600000);
  view.PostMessage(WM_KIV_KLINE_KEY_F10, 0, 0);
  Pump();
  EXPECT_FALSE(view.IsF10Shown());
  EXPECT_EQ(view.PeriodTab()->GetCurSel(), kViewTabDay);
  EXPECT_TRUE(view.Chart()->IsWindowVisible());
}

TEST_F(StockViewHostTest, F5SwitchesBetweenTheTimeSharePageAndTheDayChart) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, 7);
  Open(kShare600000);
  view.PostMessage(WM_KIV_KLINE_KEY_TYPE, 0, 0);
  Pump();
  EXPECT_EQ(view.PeriodTab()->GetCurSel(), kViewTabTick);
  EXPECT_TRUE(PaneOf(Kind::kTickPane)->IsWindowVisible());
  view.PostMessage(WM_KIV_KLINE_KEY_TYPE, 0, 0);
  Pump();
  EXPECT_EQ(view.PeriodTab()->GetCurSel(), kViewTabDay);
  EXPECT_EQ(view.Chart()->Model().GetDataType(), 20000017u);
  EXPECT_TRUE(view.Chart()->IsWindowVisible());
}

// ---- relays and ownership -----------------------------------------------------

struct MouseCase {
  const char* name;
  bool flowShown;
  bool financeShown;
  bool record;
  LPARAM time;
  size_t flowSummaries;    // what the money-flow pane adopted
  size_t financeNotices;   // WM_KIV_CROSSHAIR_INFO the finance pane got
};

class StockViewMouseTest : public StockViewHostTest, public ::testing::WithParamInterface<MouseCase> {};

// Every summary the chart hands over is freed exactly once: by the
// money-flow pane that takes it, or by the view (LeakSanitizer checks).
TEST_P(StockViewMouseTest, RoutesTheChartsSummaryAndFreesItOnce) {
  const MouseCase& c = GetParam();
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabDay);
  Open(kShare600000);
  PaneOf(Kind::kMoneyFlow)->ShowWindow(c.flowShown ? SW_SHOW : SW_HIDE);
  PaneOf(Kind::kFinance)->ShowWindow(c.financeShown ? SW_SHOW : SW_HIDE);
  auto summary = std::make_unique<CrosshairBarSummary>();
  StoreLe32(summary->bytes + CrosshairBarSummary::kStockOffset, kShare600000);
  ASSERT_TRUE(PostOwned(view.m_hWnd, WM_KIV_CHART_MOUSE, c.record ? std::move(summary) : nullptr, c.time));
  Pump();
  EXPECT_EQ(PaneOf(Kind::kMoneyFlow)->summaries.size(), c.flowSummaries);
  size_t notices = 0;
  for (const PaneMessage& m : PaneOf(Kind::kFinance)->messages) {
    if (m.msg != WM_KIV_CROSSHAIR_INFO) continue;
    ++notices;
    EXPECT_EQ(m.wParam, c.record ? static_cast<WPARAM>(kShare600000) : 0u);
    EXPECT_EQ(m.lParam, c.time);
  }
  EXPECT_EQ(notices, c.financeNotices);
}

INSTANTIATE_TEST_SUITE_P(
    Summaries, StockViewMouseTest,
    ::testing::Values(MouseCase{"BothShown", true, true, true, 1700000000, 1, 1},
                      MouseCase{"FlowHidden", false, true, true, 1700000000, 0, 1},
                      MouseCase{"NoBarTime", true, true, true, 0, 1, 0},
                      MouseCase{"NoRecord", true, true, false, 1700000000, 0, 1},
                      MouseCase{"NothingShown", false, false, true, 1700000000, 0, 0}),
    [](const ::testing::TestParamInfo<MouseCase>& info) { return std::string(info.param.name); });

TEST_F(StockViewHostTest, ASummaryWithoutAMoneyFlowPaneIsFreedByTheView) {
  maker_.missing[Kind::kMoneyFlow] = true;
  CKivDesk_Wnd_KLine& view = OpenView();
  ASSERT_TRUE(PostOwned(view.m_hWnd, WM_KIV_CHART_MOUSE, std::make_unique<CrosshairBarSummary>(), 1700000000));
  Pump();  // LeakSanitizer: nothing left behind
  EXPECT_EQ(PaneOf(Kind::kMoneyFlow), nullptr);
}

TEST_F(StockViewHostTest, OrderBookSnapshotsReachTheQuoteStripOrAreFreed) {
  CKivDesk_Wnd_KLine& view = OpenView();
  ASSERT_TRUE(PostOwned(view.m_hWnd, WM_KIV_QUOTE_SNAPSHOT, std::make_unique<BS5Record>(), 0));
  ASSERT_TRUE(PostOwned(view.m_hWnd, WM_KIV_BS5_UPDATED, std::make_unique<BS5Record>(), 0));
  Pump();
  EXPECT_EQ(PaneOf(Kind::kQuoteStrip)->snapshots, 1);
  CloseView();
  maker_ = FakePaneMaker();
  maker_.missing[Kind::kQuoteStrip] = true;
  CKivDesk_Wnd_KLine& bare = OpenView();
  ASSERT_TRUE(PostOwned(bare.m_hWnd, WM_KIV_QUOTE_SNAPSHOT, std::make_unique<BS5Record>(), 0));
  Pump();  // freed by the view: LeakSanitizer checks
}

TEST_F(StockViewHostTest, RelaysBetweenTheChartAndThePane) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabDay);
  Open(kShare600000);
  view.IndexPane()->m_bRedraw = FALSE;
  view.SendMessage(WM_KIV_INDEX_REPAINT, 0, 0);
  EXPECT_TRUE(view.IndexPane()->m_bRedraw);
  view.IndexPane()->m_bRedraw = FALSE;
  view.SendMessage(WM_KIV_KLINE_KEY_REPAINT, 0, 0);
  EXPECT_TRUE(view.IndexPane()->m_bRedraw);
  view.IndexPane()->m_bRedraw = FALSE;
  view.ZoomIn();
  EXPECT_TRUE(view.IndexPane()->m_bRedraw);
  // Crosshair toggles from the pane reach the chart.
  view.SendMessage(WM_KIV_CROSSHAIR_TOGGLED, 1, 0);
  Pump();
  EXPECT_TRUE(view.Chart()->IsCrosshair());
  view.SendMessage(WM_KIV_CROSSHAIR_SHOW, 1, 0);
  Pump();
  EXPECT_TRUE(view.IndexPane()->IsCrosshairShown());
}

TEST_F(StockViewHostTest, StepKeysReachTheChartAndTheTickPaneOnlyWhileShown) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Select(kIdcViewPeriodTab, kViewTabTick);
  Open(kShare600000);
  FakePane* tick = PaneOf(Kind::kTickPane);
  view.SendMessage(WM_KIV_KLINE_KEY_LEFT, 12, 0);
  Pump();
  ASSERT_FALSE(tick->messages.empty());
  EXPECT_EQ(tick->messages.back().msg, WM_KIV_KLINE_KEY_LEFT);
  EXPECT_EQ(tick->messages.back().wParam, 0u);  // the tick pane steps one minute
  const size_t before = tick->messages.size();
  view.ShowWindow(SW_HIDE);
  Pump();
  view.SendMessage(WM_KIV_KLINE_KEY_RIGHT, 11, 0);
  Pump();
  EXPECT_EQ(tick->messages.size(), before);
}

TEST_F(StockViewHostTest, AStockOpenedFromAListInsideIsPassedToTheMainDialog) {
  CKivDesk_Wnd_KLine& view = OpenView();
  StockId* forwarded = nullptr;
  desk_->hook = [&](UINT msg, WPARAM wParam, LPARAM, LRESULT*) {
    if (msg != WM_KIV_OPEN_STOCK) return false;
    std::unique_ptr<StockId> stock = AdoptPosted<StockId>(wParam);
    static StockId kept;
    kept = stock ? *stock : 0;
    forwarded = &kept;
    return true;
  };
  ASSERT_TRUE(PostOwned(view.m_hWnd, WM_KIV_OPEN_STOCK, std::make_unique<StockId>(kShare600000), 77));
  Pump();
  ASSERT_NE(forwarded, nullptr);
  EXPECT_EQ(*forwarded, kShare600000);
  EXPECT_EQ(Of("desk", WM_KIV_OPEN_STOCK).back().lParam, 77);
}

// ---- the sector's member list ---------------------------------------------------

TEST(IndustryRowCellsTest, MapsAMemberToItsFourCells) {
  struct Case {
    const char* name;
    IndustryMember member;
    const char* priceText;  // empty: a float cell
    float price;
    const char* changeText;
    float change;
    COLORREF colour;
  };
  const IndustryCellColours colours{0x0000E2, 0x2BA631, 0xCCCCCC};
  const Case cases[] = {
      {"rising", {MakeStockId(600000, 1), 123400, 23500}, "", 12.34f, "", 2.35f, 0x0000E2},
      {"falling", {MakeStockId(1, 2), 98700, -51200}, "", 9.87f, "", -5.12f, 0x2BA631},
      {"flat", {MakeStockId(300001, 2), 100000, 0}, "", 10.0f, "", 0.0f, 0xCCCCCC},
      // A price below a tenth of a yuan is no quote.
      {"suspended", {MakeStockId(600004, 1), 999, 0}, "- -", 0, "", 0.0f, 0xCCCCCC},
      // The change as sent over the whole int range: beyond -10000 % it is
      // not shown.
      {"change beyond range", {MakeStockId(600005, 1), 100000, -100010000}, "", 10.0f, "- -", 0, 0x2BA631},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::array<KivListCell, 4> cells = IndustryRowCells(6, c.member, "浦发银行", colours);
    EXPECT_EQ(cells[0].kind, KivListCell::kInteger);
    EXPECT_EQ(cells[0].Integer(), 7);
    EXPECT_STREQ(cells[0].format, "%d");
    EXPECT_EQ(cells[0].colour, kIndustryNumberColour);
    EXPECT_EQ(cells[0].stock, StockCode(c.member.stock));  // market byte 0
    EXPECT_STREQ(cells[1].value, "浦发银行");
    EXPECT_STREQ(cells[1].format, "%s");
    if (*c.priceText) {
      EXPECT_EQ(cells[2].kind, KivListCell::kText);
      EXPECT_STREQ(cells[2].value, c.priceText);
    } else {
      EXPECT_EQ(cells[2].kind, KivListCell::kFloat);
      EXPECT_FLOAT_EQ(cells[2].Float(), c.price);
      EXPECT_STREQ(cells[2].format, "%.2f");
    }
    if (*c.changeText) {
      EXPECT_STREQ(cells[3].value, c.changeText);
    } else {
      EXPECT_FLOAT_EQ(cells[3].Float(), c.change);
      EXPECT_STREQ(cells[3].format, "%.2f%%");
    }
    EXPECT_EQ(cells[2].colour, c.colour);
    EXPECT_EQ(cells[3].colour, c.colour);
  }
}

TEST_F(StockViewHostTest, FillsTheMemberGridFromAReplyForTheShownSector) {
  ChartDataFolder data;
  CKivDesk_Wnd_KLine& view = OpenView();
  Open(kSector880001);
  EXPECT_TRUE(view.SectorTab()->IsWindowVisible());
  EXPECT_FALSE(view.PeriodTab()->IsWindowVisible());
  EXPECT_TRUE(maker_.list->IsWindowVisible());
  KivNetPack reply = IndustryReply({{MakeStockId(600000, 1), 123400, 23500}, {MakeStockId(600004, 1), 56700, -100}});
  PacketHandler handler = view.ReplyHandler();
  uint32_t type = DT_STOCK_INDUSTRY, extra = 0;
  handler(reply, type, extra);
  ASSERT_EQ(maker_.list->RowCount(), 2u);
  EXPECT_EQ(maker_.list->rows[1][0].Integer(), 2);
  EXPECT_FLOAT_EQ(maker_.list->rows[1][2].Float(), 5.67f);
  EXPECT_EQ(maker_.list->resorts, 1);
  EXPECT_EQ(maker_.list->dirtyMarks, 1);
  EXPECT_EQ(view.IndustryRowCount(), 2);
  // The list's first reply for the sector went to the cache: the header
  // word, then the member pack.
  const std::string file = ReadFileBytes(data.Scratch().File("Data") + "/IDUS.data");
  ASSERT_GT(file.size(), 4u);
  EXPECT_EQ(LoadLe32(file.data()), kIndustryCacheHeader);
  KivNetPack cached;
  ASSERT_TRUE(cached.LoadFromString(file.substr(4)));
  EXPECT_EQ(cached.GetRecordCount(), 2u);

  // Other types, and a reply without the member pack, leave the list.
  type = DT_MARKET_OVERVIEW;
  handler(reply, type, extra);
  type = DT_STOCK_INDUSTRY;
  KivNetPack empty;
  handler(empty, type, extra);
  EXPECT_EQ(maker_.list->RowCount(), 2u);
  EXPECT_EQ(maker_.list->clears, 1);
}

TEST_F(StockViewHostTest, DropsAMemberListForTheSectorShownBefore) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Open(kSector880001);
  PacketHandler late = view.ReplyHandler();  // asked for 880001
  Open(MakeStockId(880002, kMarketFourthBoard));
  KivNetPack reply = IndustryReply({{MakeStockId(600000, 1), 123400, 23500}});
  uint32_t type = DT_STOCK_INDUSTRY, extra = 0;
  late(reply, type, extra);
  EXPECT_EQ(maker_.list->RowCount(), 0u);
  EXPECT_EQ(view.IndustryRowCount(), 0);
  view.ReplyHandler()(reply, type, extra);
  EXPECT_EQ(maker_.list->RowCount(), 1u);
}

TEST_F(StockViewHostTest, AReplyAfterTheViewIsGoneRunsNothing) {
  CKivDesk_Wnd_KLine& view = OpenView();
  Open(kSector880001);
  PacketHandler handler = view.ReplyHandler();
  CloseView();
  KivNetPack reply = IndustryReply({{MakeStockId(600000, 1), 123400, 23500}});
  uint32_t type = DT_STOCK_INDUSTRY, extra = 0;
  EXPECT_TRUE(handler(reply, type, extra));
}

TEST_F(StockViewHostTest, ASectorWithoutAMemberGridStillShowsItsChart) {
  maker_.noList = true;
  CKivDesk_Wnd_KLine& view = OpenView();
  Open(kSector880001);
  EXPECT_TRUE(view.Chart()->IsWindowVisible());
  EXPECT_TRUE(view.SectorTab()->IsWindowVisible());
  KivNetPack reply = IndustryReply({{MakeStockId(600000, 1), 123400, 23500}});
  uint32_t type = DT_STOCK_INDUSTRY, extra = 0;
  view.ReplyHandler()(reply, type, extra);
  EXPECT_EQ(view.IndustryRowCount(), 1);
}

TEST_F(StockViewHostTest, AViewWithNoPanesAtAllWorks) {
  maker_.missing = {{Kind::kQuoteStrip, true},  {Kind::kIndexQuote, true}, {Kind::kOrderBook, true},
                    {Kind::kTradeList, true},   {Kind::kShortAlerts, true}, {Kind::kCommentary, true},
                    {Kind::kMoneyFlow, true},   {Kind::kFinance, true},    {Kind::kIndexContribution, true},
                    {Kind::kTickPane, true},    {Kind::kF10Viewer, true}};
  maker_.noList = true;
  CKivDesk_Wnd_KLine& view = OpenView();
  for (StockId stock : {kShare600000, kIndex000001, kSector880001, MakeStockId(1, 50)}) {
    SCOPED_TRACE(stock);
    Open(stock);
    EXPECT_TRUE(view.Chart()->IsWindowVisible());
    Select(kIdcViewPeriodTab, kViewTabTick);
    Select(kIdcViewPeriodTab, kViewTabF10);
    Select(kIdcViewPeriodTab, kViewTabDay);
    Select(kIdcViewEnlarge);
    Select(kIdcViewRestore);
    ASSERT_TRUE(PostOwned(view.m_hWnd, WM_KIV_CHART_MOUSE, std::make_unique<CrosshairBarSummary>(), 1));
    Pump();
  }
}

}  // namespace
}  // namespace kiv::test
