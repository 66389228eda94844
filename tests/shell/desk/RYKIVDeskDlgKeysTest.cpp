// The main dialog's keys, wheel and stock search: what reaches the stock
// view and the pages, what text the search opens with, Esc back to the
// sector page, and Insert and Delete reaching the stand-in's watch list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "net/DataTypes.h"
#include "shell/KivDesk_InputDlg.h"
#include "tests/shell/ModalDriver.h"
#include "tests/shell/desk/DeskTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv::test {
namespace {

constexpr StockId kViewed = MakeStockId(600000, kMarketShanghai);

class DeskKeysTest : public DeskTest {
 protected:
  // Maximised with the view showing kViewed, opened from the watch list.
  CRYKIVDeskDlg& OpenWithStock() {
    CRYKIVDeskDlg& dlg = Open();
    Maximise();
    StandIn(kPageWatchList)
        ->SetRows({kViewed, MakeStockId(2, kMarketShenzhen), MakeStockId(600036, kMarketShanghai)});
    OpenStock(kViewed, KIV_ORIGIN_WATCHLIST);
    dlg.SetFocus();
    Pump();
    StandInCallLog::Clear();
    return dlg;
  }
  void Keys(const std::vector<UINT>& down, UINT key) {
    for (UINT vk : down) Screen().KeyDown(vk);
    Screen().PressKey(key);
    for (auto it = down.rbegin(); it != down.rend(); ++it) Screen().KeyUp(*it);
    Pump();
    Pump();
  }
  // The text the stock search opened with after `input`, or "<none>".
  std::string SearchText(const std::function<void()>& input) {
    std::string text = "<none>";
    ModalDriver driver;
    driver.Run(
        [&] {
          input();
          for (int i = 0; i < 4; ++i) Pump();
          clock_.Advance(kTypedMs);
          for (int i = 0; i < 4; ++i) Pump();
          return INT_PTR(0);
        },
        [&](ModalDriver& d) {
          if (!d.WaitOnUi([] { return Search() != nullptr; }, std::chrono::seconds(5))) return;
          d.OnUi([&] {
            text = Search()->GetText();
            ::EndDialog(Search()->m_hWnd, IDCANCEL);
          });
        },
        [] { return HWND(nullptr); });
    return text;
  }
  static CKivDesk_InputDlg* Search() { return dynamic_cast<CKivDesk_InputDlg*>(CWnd::GetActiveWindow()); }
};

struct KeyCase {
  const char* name;
  std::vector<UINT> held;
  UINT key;
  const char* call;
  std::vector<int64_t> values;
};

class DeskViewKeyTest : public DeskKeysTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(DeskViewKeyTest, ReachesTheStockView) {
  const KeyCase& c = GetParam();
  OpenWithStock();
  Keys(c.held, c.key);
  EXPECT_EQ(Calls("stockview", c.call), c.values);
}

const KeyCase kViewKeys[] = {
    {"left", {}, VK_LEFT, "Message(0x9E2)", {0}},
    {"ctrlLeft", {VK_CONTROL}, VK_LEFT, "Message(0x9E2)", {12}},
    {"right", {}, VK_RIGHT, "Message(0x9E3)", {0}},
    {"ctrlRight", {VK_CONTROL}, VK_RIGHT, "Message(0x9E3)", {11}},
    {"f5SwitchesTheChartType", {}, VK_F5, "Message(0x9DF)", {0}},
    {"f10AsASystemKey", {}, VK_F10, "Message(0x9EE)", {0}},
    {"enterTogglesTheMarks", {}, VK_RETURN, "Message(0x9E1)", {0}},
    {"upZoomsIn", {}, VK_UP, "ZoomIn", {0}},
    {"downZoomsOut", {}, VK_DOWN, "ZoomOut", {0}},
    {"f3OpensTheShanghaiIndex", {}, VK_F3, "SetStock", {MakeStockId(1, 1)}},
    {"f4OpensTheShenzhenIndex", {}, VK_F4, "SetStock", {MakeStockId(399001, 2)}},
    {"pageDownStepsToTheNextRow", {}, VK_NEXT, "SetStock", {MakeStockId(2, 2)}},
    {"pageUpWrapsToTheLastRow", {}, VK_PRIOR, "SetStock", {MakeStockId(600036, 1)}},
};

INSTANTIATE_TEST_SUITE_P(Keys, DeskViewKeyTest, ::testing::ValuesIn(kViewKeys), CaseName());

TEST_F(DeskKeysTest, WithoutANavigationListPageDownStepsThroughTheStockTable) {
  std::vector<StockRecord> records;
  globals_->Stocks().CopyTo(records);
  ASSERT_GT(records.size(), 2u);
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  OpenStock(records.back().id, KIV_ORIGIN_NONE);
  dlg.SetFocus();
  StandInCallLog::Clear();
  Keys({}, VK_NEXT);  // past the last: the first
  Keys({}, VK_PRIOR);  // and back
  EXPECT_EQ(Calls("stockview", "SetStock"), std::vector<int64_t>({records.front().id, records.back().id}));
  // A code listed in two markets steps from its own place: the Shenzhen
  // share 000001 after the Shanghai index of the same code.
  const auto share = std::find_if(records.begin(), records.end(),
                                  [](const StockRecord& r) { return r.id == MakeStockId(1, kMarketShenzhen); });
  const bool indexListed = std::any_of(records.begin(), records.end(),
                                       [](const StockRecord& r) { return r.id == MakeStockId(1, kMarketShanghai); });
  EXPECT_TRUE(indexListed);
  if (share != records.end() && share + 1 != records.end()) {
    OpenStock(MakeStockId(1, kMarketShenzhen), KIV_ORIGIN_NONE);
    dlg.SetFocus();
    StandInCallLog::Clear();
    Keys({}, VK_NEXT);
    EXPECT_EQ(Calls("stockview", "SetStock"), std::vector<int64_t>({(share + 1)->id}));
  }
}

TEST_F(DeskKeysTest, F6ReturnsToTheWatchList) {
  CRYKIVDeskDlg& dlg = OpenWithStock();
  Keys({}, VK_F6);
  EXPECT_EQ(dlg.Page(), kPageWatchList);
  EXPECT_EQ(ShownPages(), std::vector<int>({kPageWatchList}));
}

TEST_F(DeskKeysTest, KeysOfTheViewNeedTheMaximisedTerminal) {
  // In the compact panel the side dialog is shown: key releases pass by.
  CRYKIVDeskDlg& dlg = Open();
  OpenStock(kViewed);
  dlg.SetFocus();
  Keys({}, VK_F6);
  Keys({}, VK_RETURN);
  EXPECT_TRUE(Calls("stockview", "Message(0x9E1)").empty());
  EXPECT_EQ(dlg.KLineView(), nullptr);
}

TEST_F(DeskKeysTest, EscReturnsToTheSectorPageWithAFreshKeyEveryTime) {
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  Post(WM_KIV_SELECT, 159, 0);  // the sector page
  CWnd* sectorList = &dlg.PageWindow(kPageGenre)->Window();
  const StockId sector = MakeStockId(880001, kMarketFourthBoard);
  OpenStock(sector, reinterpret_cast<LPARAM>(sectorList->m_hWnd));
  dlg.SetFocus();
  StandInCallLog::Clear();
  for (int round = 0; round < 2; ++round) {
    Keys({}, VK_ESCAPE);
    Pump();
  }
  // Each Esc opened the kept stock again from a copy of its own.
  EXPECT_EQ(Calls("stockview", "SetStock"), std::vector<int64_t>({sector, sector}));
  EXPECT_EQ(dlg.KLineView()->GetNavigationList(), sectorList);
  // From any other list, Esc goes back to the page the stock came from.
  Post(WM_KIV_SELECT, 156, 0);
  OpenStock(kViewed, reinterpret_cast<LPARAM>(dlg.PageWindow(kPageRise)->Window().m_hWnd));
  dlg.SetFocus();
  Keys({}, VK_ESCAPE);
  EXPECT_EQ(dlg.Page(), kPageRise);
  EXPECT_EQ(ShownPages(), std::vector<int>({kPageRise}));
  // Esc on the sector page sends it back to its list, on the robot page
  // back to the overview.
  Post(WM_KIV_SELECT, 159, 0);
  StandInCallLog::Clear();
  Keys({}, VK_ESCAPE);
  EXPECT_EQ(Calls("genre", "Message(0x9EB)"), std::vector<int64_t>({0}));
  Post(WM_KIV_SELECT, 163, 0);
  StandInCallLog::Clear();
  Keys({}, VK_ESCAPE);
  EXPECT_EQ(Calls("robot", "SetOverview").size(), 1u);
  EXPECT_EQ(Calls("robot", "Message(0x9EB)").size(), 1u);
}

TEST_F(DeskKeysTest, TwoWheelNotchesInOneSecondMoveOneStock) {
  CRYKIVDeskDlg& dlg = OpenWithStock();
  CRect view;
  dlg.KLineView()->Window().GetWindowRect(&view);
  Screen().Wheel(view.CenterPoint(), -120);
  Screen().Wheel(view.CenterPoint(), -120);
  Pump();
  Pump();
  EXPECT_EQ(Calls("stockview", "SetStock"), std::vector<int64_t>({MakeStockId(2, 2)}));
  clock_.Advance(1000);
  Screen().Wheel(view.CenterPoint(), 120);  // towards the user: the previous row
  Pump();
  Pump();
  EXPECT_EQ(Calls("stockview", "SetStock"), std::vector<int64_t>({MakeStockId(2, 2), kViewed}));
  // While one of the view's pop-ups is open the wheel moves nothing.
  StandIn(dlg.KLineView())->SetOpenPopup(TRUE);
  clock_.Advance(1000);
  Screen().Wheel(view.CenterPoint(), -120);
  Pump();
  EXPECT_EQ(Calls("stockview", "SetStock").size(), 2u);
}

TEST_F(DeskKeysTest, TheWheelOverAPageScrollsIt) {
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  CRect list;
  dlg.WatchList()->Window().GetWindowRect(&list);
  StandInCallLog::Clear();
  Screen().Wheel(list.CenterPoint(), 120);
  Screen().Wheel(list.CenterPoint(), -240);
  Pump();
  Pump();
  // The code in the low word (3 away from the user, 2 towards), the turn's
  // size in the high word.
  EXPECT_EQ(Calls("watchlist", "VScroll"), std::vector<int64_t>({3 | (120 << 16), 2 | (240 << 16)}));
  // Outside the page nothing scrolls.
  StandInCallLog::Clear();
  Screen().Wheel(CPoint(5, 5), 120);
  Pump();
  EXPECT_TRUE(Calls("watchlist", "VScroll").empty());
}

struct TypingCase {
  const char* name;
  std::function<void(HeadlessDisplay&)> input;
  std::string text;
};

class DeskTypingTest : public DeskKeysTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(DeskTypingTest, OpensTheSearchWithWhatWasTyped) {
  const TypingCase& c = GetParam();
  CRYKIVDeskDlg& dlg = Open();
  dlg.SetFocus();
  Pump();
  EXPECT_EQ(SearchText([&] { c.input(Screen()); }), c.text);
  EXPECT_FALSE(dlg.SearchOpen());
}

const TypingCase kTyping[] = {
    {"letter", [](HeadlessDisplay& s) { s.PressKey('P'); }, "P"},
    {"digit", [](HeadlessDisplay& s) { s.PressKey('6'); }, "6"},
    {"keypadDigit", [](HeadlessDisplay& s) { s.PressKey(VK_NUMPAD0 + 3); }, "3"},
    {"keypadDecimal", [](HeadlessDisplay& s) { s.PressKey(VK_DECIMAL); }, "."},
    {"period", [](HeadlessDisplay& s) { s.PressKey(VK_OEM_PERIOD); }, "."},
    {"gbkCharacterPair", [](HeadlessDisplay& s) { s.TypeText("浦"); }, "浦"},
    {"inputMethodText", [](HeadlessDisplay& s) { s.CommitImeText("浦发"); }, "浦发"},
};

INSTANTIATE_TEST_SUITE_P(Typing, DeskTypingTest, ::testing::ValuesIn(kTyping), CaseName());

TEST_F(DeskKeysTest, Typing60AndEnterOpensTheRankingWithItsSixthTab) {
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  dlg.SetFocus();
  Pump();
  StandInCallLog::Clear();
  ModalDriver driver;
  driver.Run(
      [&] {
        Screen().PressKey('6');
        for (int i = 0; i < 4; ++i) Pump();
        return INT_PTR(0);
      },
      [&](ModalDriver& d) {
        ASSERT_TRUE(d.WaitOnUi([] { return Search() != nullptr; }));
        d.OnUi([&] { Screen().TypeText("0"); });
        ASSERT_TRUE(d.WaitOnUi([] { return Search() && Search()->GetText() == "60"; }));
        d.OnUi([&] { Screen().PressKey(VK_RETURN); });
      },
      [] { return HWND(nullptr); });
  Pump();
  Pump();
  EXPECT_EQ(dlg.Page(), kPageRise);
  EXPECT_EQ(Calls("page2", "Message(0xFED)"), std::vector<int64_t>({kIdcRiseTab}));
  EXPECT_EQ(Calls("page2", "Message(0xFED).lParam"), std::vector<int64_t>({6}));
  EXPECT_FALSE(dlg.SearchOpen());
}

TEST_F(DeskKeysTest, InsertAndDeleteChangeTheServedWatchList) {
  CRYKIVDeskDlg& dlg = OpenWithStock();
  const std::vector<StockId> before = ServedWatchList();
  // A Shanghai share of the stand-in's table that is not listed yet.
  std::vector<StockRecord> records;
  globals_->Stocks().CopyTo(records);
  StockId added = 0;
  for (const StockRecord& record : records) {
    if (StockMarket(record.id) == kMarketShanghai && StockCode(record.id) > 600000 &&
        std::count(before.begin(), before.end(), record.id) == 0) {
      added = record.id;
      break;
    }
  }
  ASSERT_NE(added, 0u);
  char code[16];
  std::snprintf(code, sizeof code, "[%06u]", StockCode(added));
  OpenStock(added, KIV_ORIGIN_NONE);
  dlg.SetFocus();
  // Declined: nothing changes.
  boxAnswer_ = [](const ui::MessageBoxRequest&) { return IDNO; };
  Keys({}, VK_INSERT);
  dlg.WaitForWorkers();
  EXPECT_EQ(ServedWatchList(), before);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find(std::string("是否要将股票 ") + code), std::string::npos) << Boxes()[0];
  EXPECT_NE(Boxes()[0].find(" 加入到自选股?"), std::string::npos);
  // Accepted: the stand-in lists it.
  boxAnswer_ = [](const ui::MessageBoxRequest&) { return IDYES; };
  Keys({}, VK_INSERT);
  dlg.WaitForWorkers();
  Pump();
  std::vector<StockId> after = ServedWatchList();
  EXPECT_EQ(std::count(after.begin(), after.end(), added), 1);


  // Delete on the watch-list page removes the selected entry.
  Keys({}, VK_F6);
  Pump();
  const std::vector<WatchEntry> entries = globals_->WatchList().GetEntries();
  ASSERT_FALSE(entries.empty());
  const StockId first = entries[0].id;
  StandIn(kPageWatchList)->SetSelectedRow(0);
  dlg.SetFocus();
  Keys({}, VK_DELETE);
  dlg.WaitForWorkers();
  Pump();
  after = ServedWatchList();
  EXPECT_EQ(std::count(after.begin(), after.end(), first), 0);
  // A row out of the list's range removes nothing.
  const size_t served = after.size();
  StandIn(kPageWatchList)->SetSelectedRow(99);
  Keys({}, VK_DELETE);
  Post(WM_KIV_DELETE_OWN_STOCK, 99);
  dlg.WaitForWorkers();
  EXPECT_EQ(ServedWatchList().size(), served);
}

TEST_F(DeskKeysTest, CtrlShiftF1AsksThenRefreshesEveryStock) {
  CRYKIVDeskDlg& dlg = Open();
  dlg.SetFocus();
  Pump();
  const size_t before = server_->RequestsOfType(DT_STOCK_RECORDS).size();
  boxAnswer_ = [](const ui::MessageBoxRequest&) { return IDCANCEL; };
  Keys({VK_CONTROL, VK_SHIFT}, VK_F1);
  dlg.WaitForWorkers();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find(kDownloadAllText), std::string::npos);
  boxAnswer_ = [](const ui::MessageBoxRequest&) { return IDOK; };
  Keys({VK_CONTROL, VK_SHIFT}, VK_F1);
  dlg.WaitForWorkers();
  // A request answered after it: the link keeps order.
  std::atomic<bool> answered{false};
  ASSERT_TRUE(globals_->Net().RequestMarketRisk([&](KivNetPack&, const uint32_t&, const uint32_t&) {
    answered = true;
    return true;
  }));
  ASSERT_TRUE(WaitUntil([&] { return answered.load(); }, std::chrono::seconds(10)));
  EXPECT_EQ(server_->RequestsOfType(DT_STOCK_RECORDS).size(), before + 1);
}

TEST_F(DeskKeysTest, PagesAreMadeByTheRegisteredMakersWithTheirResources) {
  std::vector<std::pair<int, std::vector<UINT>>> made;
  GetShellPlugins().page = [&](int page, const std::vector<UINT>& resources) -> std::unique_ptr<DeskPage> {
    made.push_back({page, resources});
    return std::make_unique<StandInDeskPage>("made" + std::to_string(page));
  };
  std::vector<UINT> robotResources;
  GetShellPlugins().robotPage = [&](const std::vector<UINT>& resources) -> std::unique_ptr<DeskRobotPage> {
    robotResources = resources;
    return std::make_unique<StandInDeskPage>("madeRobot");
  };
  CRYKIVDeskDlg& dlg = Open();
  Maximise();
  Post(WM_KIV_SELECT, 155, 0);
  Post(WM_KIV_SELECT, 163, 0);
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0].first, 1);
  EXPECT_EQ(made[0].second, std::vector<UINT>({161, 160, 162, 201, 202}));
  EXPECT_EQ(robotResources, std::vector<UINT>({165, 163, 164, 215, 214, 182, 181}));
  std::string name;
  dlg.PageWindow(kPagePool)->Window().GetWindowText(name);
  EXPECT_EQ(name, "CKivDesk_Wnd_PoolEx");
  EXPECT_EQ(dlg.PageWindow(kPagePool)->Window().GetDlgCtrlID(), 165);
  EXPECT_EQ(dlg.PageWindow(kPageRobot)->Window().GetDlgCtrlID(), 70002);
  EXPECT_EQ(Calls("madeRobot", "InitPanes").size(), 1u);
}

}  // namespace
}  // namespace kiv::test
