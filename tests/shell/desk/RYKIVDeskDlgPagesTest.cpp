// The main dialog's page switch and open-stock road: which page a command
// shows, what the empty pages are told, and where an opened stock goes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/KivDesk_Button.h"
#include "shell/KivDesk_Wnd_Tab.h"
#include "shell/KivDesk_Wnd_Tab2.h"
#include "tests/shell/desk/DeskTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv::test {
namespace {

struct Select {
  UINT id;
  int item;
};

struct PageCase {
  const char* name;
  bool maximised;
  std::vector<Select> selects;
  int page;                 // m_nPage afterwards
  std::vector<int> shown;   // page windows shown afterwards
  const char* label;        // a stand-in whose call is checked ("" none)
  const char* call;
  std::vector<int64_t> values;
};

class DeskPageSwitchTest : public DeskTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(DeskPageSwitchTest, ShowsThePageOfTheCommand) {
  const PageCase& c = GetParam();
  CRYKIVDeskDlg& dlg = Open();
  if (c.maximised) Maximise();
  StandInCallLog::Clear();
  for (const Select& select : c.selects) Post(WM_KIV_SELECT, select.id, select.item);
  EXPECT_EQ(dlg.Page(), c.page);
  EXPECT_EQ(ShownPages(), c.shown);
  if (*c.label) {
    EXPECT_EQ(Calls(c.label, c.call), c.values);
  }
  // The F10 window is made hidden by the first switch and stays hidden.
  ASSERT_NE(dlg.F10Window(), nullptr);
  EXPECT_FALSE(dlg.F10Window()->Window().IsWindowVisible());
  // The button of the last command's slot is the one lit.
  const Select& last = c.selects.back();
  int lit = static_cast<int>(last.id);
  if (last.id == 540) lit = last.item == 1 ? 1 : (last.item == 2 ? 7 : 0);
  if (last.id == 542) lit = last.item + 1;
  if (last.id > 9 && last.id != 540 && last.id != 542) lit = static_cast<int>(last.id) - 154;
  if (c.page == 0) lit = 0;  // the compact panel's fall-back chose the watch list
  for (int slot = 0; slot < kPageButtonSlots; ++slot) {
    if (CKivDesk_Button* button = dlg.PageButton(slot)) {
      EXPECT_EQ(button->IsActive(), slot == lit) << "slot " << slot;
    }
  }
}

const PageCase kPageCases[] = {
    {"button154GivesTheWatchList", true, {{154, 0}}, 0, {0}, "watchlist", "PlacePane", {2}},
    {"button155GivesThePoolPage", true, {{155, 0}}, 1, {1}, "page1", "PlacePane", {2}},
    {"button157GivesTheMonitoringPageWithTheLargeFont", true, {{157, 0}}, 3, {3}, "shortex", "SetListFont", {1}},
    {"button159TwiceShowsTheSectorListAgain", true, {{159, 0}, {154, 0}, {159, 0}}, 5, {5}, "genre", "ShowSectorList",
     {0}},
    {"button161GivesTheRiskPageMaximised", true, {{161, 0}}, 7, {7}, "page7", "PlacePane", {2}},
    {"button163GivesTheRobotOverview", true, {{163, 0}}, 12, {12}, "robot", "Message(0x9EB)", {0}},
    {"robotPanesLaidOutOnce", true, {{163, 0}, {154, 0}, {163, 0}}, 12, {12}, "robot", "InitPanes", {0}},
    {"robotOverviewOnEverySelection", true, {{163, 0}, {154, 0}, {163, 0}}, 12, {12}, "robot", "RefreshCurve", {0, 0}},
    {"button162DoesNothing", true, {{155, 0}, {162, 0}}, 1, {1}, "", "", {}},
    {"tab540Item1GivesThePoolPage", false, {{540, 1}}, 1, {1}, "page1", "PlacePane", {1}},
    {"tab540Item2GivesTheRiskPageMaximised", true, {{540, 2}}, 7, {7}, "page7", "PlacePane", {2}},
    {"tab540Item2InTheCompactPanelFallsBackToTheWatchList", false, {{540, 2}}, 0, {0}, "page7", "PlacePane", {}},
    {"tab542Item1GivesTheRisePage", false, {{542, 1}}, 2, {2}, "page2", "PlacePane", {1}},
    {"tab542Item5GivesTheMainForcePage", false, {{542, 5}}, 6, {6}, "page6", "PlacePane", {1}},
    {"aPageNumberSelectsItself", true, {{4, 0}}, 4, {4}, "page4", "PlacePane", {2}},
};

INSTANTIATE_TEST_SUITE_P(Commands, DeskPageSwitchTest, ::testing::ValuesIn(kPageCases), CaseName());

using DeskPagesTest = DeskTest;

TEST_F(DeskPagesTest, RestoringFromPagesWithoutACompactFormReturnsToTheWatchList) {
  for (UINT button : {161u, 163u}) {
    SCOPED_TRACE(button);
    CRYKIVDeskDlg& dlg = Open();
    Maximise();
    Post(WM_KIV_SELECT, button, 0);
    EXPECT_NE(dlg.Page(), 0);
    dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_EQ(dlg.Page(), 0);
    EXPECT_EQ(ShownPages(), std::vector<int>({0}));
    EXPECT_EQ(dlg.Tab()->GetCurSel(), 0);
    CloseDialog();
  }
}

TEST_F(DeskPagesTest, StripsFollowThePage) {
  CRYKIVDeskDlg& dlg = Open();
  Post(WM_KIV_SELECT, 542, 3);  // the value page
  EXPECT_EQ(dlg.Page(), 4);
  EXPECT_EQ(dlg.Tab()->GetCurSel(), 1);
  EXPECT_EQ(dlg.Tab2()->GetCurSel(), 3);
  EXPECT_TRUE(dlg.Tab2()->IsWindowVisible());
  // Below both strips in the compact panel.
  EXPECT_EQ(StandIn(4)->LastRect().top, dlg.TitleHeight() + dlg.TabHeight() + 24 - 1);
  Post(WM_KIV_SELECT, 540, 0);
  EXPECT_EQ(dlg.Page(), 0);
  EXPECT_FALSE(dlg.Tab2()->IsWindowVisible());
}

// --- Open-stock road ---------------------------------------------------------------

TEST_F(DeskPagesTest, TheCompactPanelFeedsOnlyTheSideDialog) {
  CRYKIVDeskDlg& dlg = Open();
  OpenStock(MakeStockId(2, kMarketNone));  // 000002: Shenzhen
  EXPECT_EQ(Calls("side", "OpenStock"), std::vector<int64_t>({MakeStockId(2, kMarketShenzhen)}));
  EXPECT_EQ(dlg.Page(), 0);
  EXPECT_EQ(dlg.KLineView(), nullptr);
}

TEST_F(DeskPagesTest, MaximisedTheViewShowsTheStockWithItsMarket) {
  struct Case {
    StockId sent;
    StockId shown;
  };
  const Case cases[] = {
      {MakeStockId(2, kMarketNone), MakeStockId(2, kMarketShenzhen)},
      {MakeStockId(600000, kMarketNone), MakeStockId(600000, kMarketShanghai)},
      {MakeStockId(1, kMarketShanghai), MakeStockId(1, kMarketShanghai)},
      {MakeStockId(300750, kMarketNone), MakeStockId(300750, kMarketShenzhen)},
  };
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  for (const Case& c : cases) {
    StandInCallLog::Clear();
    OpenStock(c.sent, KIV_ORIGIN_NONE);
    EXPECT_EQ(Calls("stockview", "SetStock"), std::vector<int64_t>({c.shown}));
    EXPECT_EQ(Calls("side", "OpenStock"), std::vector<int64_t>({c.shown}));
  }
  EXPECT_EQ(dlg.Page(), kPageStockView);
  EXPECT_EQ(ShownPages(), std::vector<int>({kPageStockView}));
  EXPECT_EQ(dlg.KLineView()->GetNavigationList(), nullptr);
}

TEST_F(DeskPagesTest, TheOriginSetsTheViewsNavigationList) {
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  StandIn(kPageWatchList)->SetRows({MakeStockId(600000, 1), MakeStockId(2, 2)});
  StandIn(kPageWatchList)->SetSelectedRow(1);
  OpenStock(MakeStockId(600000, 1), KIV_ORIGIN_WATCHLIST);
  EXPECT_EQ(dlg.KLineView()->GetNavigationList(), &dlg.WatchList()->Window());
  EXPECT_EQ(dlg.WatchList()->GetSelectedRow(), 0);  // the first row selected
  Post(WM_KIV_SELECT, 159, 0);                      // the sector page
  CWnd* sectorList = &dlg.PageWindow(kPageGenre)->Window();
  OpenStock(MakeStockId(880001, 4), reinterpret_cast<LPARAM>(sectorList->m_hWnd));
  EXPECT_EQ(dlg.KLineView()->GetNavigationList(), sectorList);
  OpenStock(MakeStockId(1, 1), 0);
  EXPECT_EQ(dlg.KLineView()->GetNavigationList(), nullptr);
}

TEST_F(DeskPagesTest, StockViewHiddenWhenTheCompactPanelComesBack) {
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  Post(WM_KIV_SELECT, 156, 0);  // the rise page, then a stock
  OpenStock(MakeStockId(1, 1));
  EXPECT_EQ(dlg.Page(), kPageStockView);
  dlg.SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  Pump();
  EXPECT_EQ(dlg.Page(), kPageRise);
  EXPECT_FALSE(dlg.KLineView()->Window().IsWindowVisible());
}

TEST_F(DeskPagesTest, MessagesOfTheListsReachTheirWindows) {
  CRYKIVDeskDlg& dlg = Open();
  // The own-stock list's hand-over goes back to the watch list unchanged.
  Post(WM_KIV_WATCH_FORWARD, 7, 0x5A5A);
  EXPECT_EQ(Calls("watchlist", "Message(0xBE2)"), std::vector<int64_t>({7}));
  EXPECT_EQ(Calls("watchlist", "Message(0xBE2).lParam"), std::vector<int64_t>({0x5A5A}));
  // The monitor window's list: names and rows with 100, rows otherwise.
  StandInCallLog::Clear();
  Post(WM_KIV_TIP_REFRESH, 100);
  Post(WM_KIV_TIP_REFRESH, 1);
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::RefreshNames"), 1u);
  EXPECT_EQ(StandInCallLog::Count("CompactWatchList::RefreshRows"), 2u);
  // A press on one page button reaches the others, which forget theirs.
  Maximise();
  Screen().PressButton([&] {
    CRect button;
    dlg.PageButton(1)->GetWindowRect(&button);
    return button.CenterPoint();
  }());
  Pump();
  EXPECT_TRUE(dlg.PageButton(1)->IsPressed());
  Post(WM_KIV_BUTTON_DOWN, 156, 0);
  EXPECT_FALSE(dlg.PageButton(1)->IsPressed());
}

TEST_F(DeskPagesTest, TheCompactPanelDragsWithItsSideDialog) {
  CRYKIVDeskDlg& dlg = Open();
  CRect before;
  dlg.GetWindowRect(&before);
  // Dragged by its title bar.
  const CPoint from(before.left + 100, before.top + 10);
  Screen().Drag(from, CPoint(from.x + 40, from.y + 30));
  Pump();
  CRect after;
  dlg.GetWindowRect(&after);
  EXPECT_EQ(after.TopLeft(), CPoint(before.left + 40, before.top + 30));
  EXPECT_EQ(dlg.NormalRect(), after);
  CRect side;
  dlg.StockDlg()->Window().GetWindowRect(&side);
  EXPECT_EQ(side.TopLeft(), CPoint(after.left, after.bottom + 1));
}

// --- WM_COPYDATA --------------------------------------------------------------------

struct CopyDataCase {
  const char* name;
  std::string text;
  bool opens;
};

class DeskCopyDataTest : public DeskTest, public ::testing::WithParamInterface<CopyDataCase> {};

TEST_P(DeskCopyDataTest, OnlyADecimalStockNumberOpensAStock) {
  const CopyDataCase& c = GetParam();
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  COPYDATASTRUCT data;
  std::string bytes = c.text;
  data.cbData = static_cast<DWORD>(bytes.size());
  data.lpData = bytes.empty() ? nullptr : &bytes[0];
  const LRESULT result = dlg.SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  if (!c.opens) {
    EXPECT_EQ(result, 0);
    // Nothing pending for the next ordinary open.
    EXPECT_FALSE(dlg.CopyDataTab());
  }
  Pump();
  if (c.opens) {
    EXPECT_EQ(Calls("stockview", "SetStock"), std::vector<int64_t>({0x01000001}));
    EXPECT_EQ(Calls("stockview", "SelectTab"), std::vector<int64_t>({1}));
    EXPECT_FALSE(dlg.CopyDataTab());
  } else {
    EXPECT_TRUE(Calls("stockview", "SetStock").empty());
  }
  // An ordinary open afterwards leaves the view's tab alone.
  StandInCallLog::Clear();
  OpenStock(MakeStockId(2, 2));
  EXPECT_TRUE(Calls("stockview", "SelectTab").empty());
}

const CopyDataCase kCopyDataCases[] = {
    {"shanghaiIndex", "16777217", true},
    {"empty", "", false},
    {"notANumber", "abc", false},
    {"codeZero", "0", false},
    {"marketWithoutCode", "16777216", false},
    {"beyond32Bits", "99999999999", false},
    {"trailingText", "16777217x", false},
};

INSTANTIATE_TEST_SUITE_P(Texts, DeskCopyDataTest, ::testing::ValuesIn(kCopyDataCases), CaseName());

}  // namespace
}  // namespace kiv::test
