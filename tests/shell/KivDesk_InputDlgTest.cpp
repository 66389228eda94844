// The stock search pop-up as the main dialog uses it: made with the first
// typed character, run modally, its result read back. Where it opens, what
// typing lists, the keys and the double-click that choose, the ways it
// closes without a choice; what it draws, headlessly and once on the SDL
// display under Xvfb; and the stock table served by the stand-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/DataTypes.h"
#include "net/NetService.h"
#include "net/NetTimings.h"
#include "platform/core/MessageLoop.h"
#include "platform/gdi/Surface.h"
#include "platform/ui/UiTypes.h"
#include "shell/RomSpell.h"
#include "tests/shell/InputDlgTestSupport.h"
#include "tests/support/StandinLink.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XvfbScreen.h"
#include "tools/standin/market/Universe.h"
#include "tools/standin/serve/MarketService.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {
namespace {

const std::vector<TableRow> kSearchTable = {
    {1, 600000, "浦发银行"}, {1, 1, "上证指数"},    {2, 1, "平安银行"},    {2, 399001, "深证成指"},
    {1, 510050, "上证50ETF"}, {2, 300750, "宁德时代"}, {1, 601398, "工商银行"}, {4, 880001, "银行"},
    {2, 2001, "新和成"},     {1, 10107, "国债0107"},
};

class KivDesk_InputDlgTest : public ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(FillStockTable(stocks_, kSearchTable));
  }

  // Opens the pop-up with `first` typed, runs `input` once it is open, and
  // runs it to its end as the main dialog does.
  INT_PTR Run(InputDlgUnderTest& dlg, const std::function<void(InputDlgUnderTest&)>& input) {
    dlg.onOpen = input;
    return dlg.DoModal();
  }

  CKivStockTable stocks_;
};

TEST_F(KivDesk_InputDlgTest, OpensAtTheWorkAreasBottomRightWithTheFirstCharacterSearched) {
  InputDlgUnderTest dlg(stocks_, "6");
  CRect window, edit, list;
  bool editFocused = false;
  int caret = -1;
  INT_PTR result = Run(dlg, [&](InputDlgUnderTest& d) {
    d.GetWindowRect(&window);
    d.Edit().GetWindowRect(&edit);
    d.List().GetWindowRect(&list);
    editFocused = CWnd::GetFocus() == &d.Edit();
    caret = d.Edit().CaretPos();
    Screen().PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(result, IDCANCEL);
  const CRect work = Screen().WorkArea();
  EXPECT_EQ(window, CRect(work.right - 150, work.bottom - 200, work.right, work.bottom));
  EXPECT_EQ(edit, CRect(window.left, window.top, window.right, window.top + 22));
  EXPECT_EQ(list, CRect(window.left, window.top + 22, window.right, window.bottom));
  EXPECT_TRUE(editFocused);
  EXPECT_EQ(caret, 1);
  ASSERT_EQ(dlg.searches.size(), 1u);
  EXPECT_EQ(dlg.searches[0], (std::vector<std::string>{"06 自选股", "60 沪深股票涨跌幅排行", "67 沪深股票涨跌幅排行",
                                                        "61 上证A股涨跌幅排行", "63 深圳A股涨跌幅排行",
                                                        "SH600000 浦发银行", "SH601398 工商银行"}));
  EXPECT_EQ(dlg.GetStockId(), 0u);
}

TEST_F(KivDesk_InputDlgTest, TypingNarrowsTheRowsAndEnterChoosesTheFirstRow) {
  for (const char* typed : {"f", "F"}) {
    InputDlgUnderTest dlg(stocks_, "p");
    INT_PTR result = Run(dlg, [&](InputDlgUnderTest&) {
      Screen().TypeText(typed);
      Screen().PressKey(VK_RETURN);
    });
    EXPECT_EQ(result, IDOK) << typed;
    ASSERT_EQ(dlg.searches.size(), 2u) << typed;
    // 'p' alone: every name with a character under P (平, 浦) or a P.
    EXPECT_EQ(dlg.searches[0], (std::vector<std::string>{"SH600000 浦发银行", "SZ000001 平安银行"})) << typed;
    EXPECT_EQ(dlg.searches[1], std::vector<std::string>{"SH600000 浦发银行"}) << typed;
    EXPECT_EQ(dlg.GetText(), "SH600000");
    EXPECT_EQ(dlg.GetStockId(), MakeStockId(600000, kMarketShanghai));
    EXPECT_EQ(dlg.GetShortcutNumber(), 0);
  }
}

TEST_F(KivDesk_InputDlgTest, UpAndDownMoveFromTheEditIntoTheListAndEnterTakesTheSelectedRow) {
  struct Case {
    const char* what;
    const char* first;
    std::vector<UINT> keys;
    const char* chosen;
  };
  const Case cases[] = {
      {"down from the edit moves one row", ".", {VK_DOWN}, "04"},
      {"further downs act on the list", ".", {VK_DOWN, VK_DOWN, VK_DOWN}, "06"},
      {"up in the list moves back", ".", {VK_DOWN, VK_DOWN, VK_UP}, "04"},
      {"up from the edit stops at the first row", ".", {VK_UP}, "03"},
      {"down stops at the last row", "7", {VK_DOWN, VK_DOWN, VK_DOWN}, "SH010107"},
  };
  for (const Case& c : cases) {
    InputDlgUnderTest dlg(stocks_, c.first);
    INT_PTR result = Run(dlg, [&](InputDlgUnderTest&) {
      for (UINT key : c.keys) Screen().PressKey(key);
      Screen().PressKey(VK_RETURN);
    });
    EXPECT_EQ(result, IDOK) << c.what;
    EXPECT_TRUE(dlg.listFocusedAtOk) << c.what;
    EXPECT_EQ(dlg.GetText(), c.chosen) << c.what;
  }
}

TEST_F(KivDesk_InputDlgTest, ADoubleClickChoosesTheRowUnderIt) {
  InputDlgUnderTest dlg(stocks_, ".");
  INT_PTR result = Run(dlg, [&](InputDlgUnderTest& d) {
    CRect list;
    d.List().GetWindowRect(&list);
    const int height = d.List().GetItemHeight(0);
    const CPoint row3(list.left + 20, list.top + 3 * height + height / 2);
    Screen().Click(row3);
    Screen().Click(row3);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dlg.GetText(), "06");
  EXPECT_EQ(dlg.GetShortcutNumber(), 6);
  EXPECT_EQ(dlg.GetStockId(), 0u);
}

TEST_F(KivDesk_InputDlgTest, ClosesWithoutAChoiceOnEscapeOnEnterOverNoRowsAndWhenTheTextIsDeleted) {
  struct Case {
    const char* what;
    const char* first;
    std::vector<UINT> keys;
    bool emptyTable;
  };
  const Case cases[] = {
      {"escape", "p", {VK_ESCAPE}, false},
      {"enter with nothing listed", "q", {VK_RETURN}, false},
      {"the last character deleted", "p", {VK_BACK}, false},
      {"the last character deleted before the table arrived", "0", {VK_BACK}, true},
  };
  for (const Case& c : cases) {
    CKivStockTable empty;
    InputDlgUnderTest dlg(c.emptyTable ? empty : stocks_, c.first);
    INT_PTR result = Run(dlg, [&](InputDlgUnderTest&) {
      for (UINT key : c.keys) Screen().PressKey(key);
    });
    EXPECT_EQ(result, IDCANCEL) << c.what;
    EXPECT_EQ(dlg.GetStockId(), 0u) << c.what;
    EXPECT_EQ(dlg.GetShortcutNumber(), 0) << c.what;
  }
  // Before the table arrived, the shortcut rows are still offered.
  CKivStockTable empty;
  InputDlgUnderTest dlg(empty, "0");
  Run(dlg, [&](InputDlgUnderTest&) {
    Screen().TypeText("6");
    Screen().PressKey(VK_RETURN);
  });
  EXPECT_EQ(dlg.GetShortcutNumber(), 6);
}

// The pop-up's picture: the selected first row, the rows after it, nothing
// below the last one, the typed text in the edit.
class InputDlgPicture {
 public:
  explicit InputDlgPicture(InputDlgUnderTest& dlg) : dlg_(dlg) {}
  static constexpr COLORREF kSelected = kiv::ui::kSelectionBack;

  // A screen point of the list's row, x pixels from its left.
  CPoint RowPoint(int row, int x) const {
    CRect list;
    dlg_.List().GetWindowRect(&list);
    const int height = dlg_.List().GetItemHeight(0);
    return CPoint(list.left + x, list.top + row * height + height / 2);
  }
  // Whether any pixel of the row band (rows of the item, x from 0 to
  // width) differs from colour, read through pixel(x, y) in screen points.
  template <class Pixel>
  bool BandDiffers(const Pixel& pixel, int top, int bottom, int left, int right, COLORREF colour) const {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        if (pixel(x, y) != colour) return true;
      }
    }
    return false;
  }
  CRect RowRect(int row) const {
    CRect list;
    dlg_.List().GetWindowRect(&list);
    const int height = dlg_.List().GetItemHeight(0);
    return CRect(list.left, list.top + row * height, list.right, list.top + (row + 1) * height);
  }
  CRect EditRect() const {
    CRect edit;
    dlg_.Edit().GetWindowRect(&edit);
    return edit;
  }

 private:
  InputDlgUnderTest& dlg_;
};

TEST_F(KivDesk_InputDlgTest, DrawsTheRowsWithTheFirstSelectedAndNothingBelowTheLast) {
  ScopedWindow<InputDlgUnderTest> dlg(stocks_, ".");
  ASSERT_TRUE(dlg.Create(kIddStockInput));
  dlg.ShowWindow(SW_SHOW);
  Pump();
  ASSERT_EQ(dlg.RowCount(), 10);
  EXPECT_EQ(dlg.SelectedRow(), 0);
  InputDlgPicture picture(dlg);
  std::unique_ptr<gdi::Surface> shot = Screen().ComposeScreen();
  auto pixel = [&](int x, int y) { return shot->PixelAt(x, y); };
  const COLORREF back = UiTheme().clrBack;
  // Past the end of each short caption: the row's own colour.
  EXPECT_EQ(pixel(picture.RowPoint(0, 140).x, picture.RowPoint(0, 140).y), InputDlgPicture::kSelected);
  EXPECT_EQ(pixel(picture.RowPoint(1, 140).x, picture.RowPoint(1, 140).y), back);
  // Every row shows its text; below the tenth, nothing.
  for (int row = 0; row < 10; ++row) {
    const CRect r = picture.RowRect(row);
    const COLORREF rowBack = row == 0 ? InputDlgPicture::kSelected : back;
    EXPECT_TRUE(picture.BandDiffers(pixel, r.top, r.bottom, r.left, r.left + 100, rowBack)) << "row " << row;
  }
  const CRect below = picture.RowRect(10);
  CRect list;
  dlg.List().GetWindowRect(&list);
  EXPECT_FALSE(picture.BandDiffers(pixel, below.top, list.bottom, list.left, list.right, back));
  // The typed "." in the edit line.
  const CRect edit = picture.EditRect();
  EXPECT_TRUE(picture.BandDiffers(pixel, edit.top, edit.bottom, edit.left, edit.left + 30, back));
  // Typing narrows what is drawn.
  Screen().TypeText("6");  // ".6" matches nothing
  Pump();
  EXPECT_EQ(dlg.RowCount(), 0);
  shot = Screen().ComposeScreen();
  EXPECT_FALSE(picture.BandDiffers(pixel, list.top, list.bottom, list.left, list.right, back));
}

// The same pop-up on the real screen: the SDL display on a private Xvfb.
class KivDesk_InputDlgScreenTest : public KivDesk_InputDlgTest {
 protected:
  void TearDown() override {
    screen_.Close();  // the SDL display goes before its server
    KivDesk_InputDlgTest::TearDown();
  }
  XvfbScreen screen_;
};

TEST_F(KivDesk_InputDlgScreenTest, ShowsItsRowsAtTheWorkAreasBottomRightOnTheSdlDisplay) {
  if (!XvfbScreen::Available()) GTEST_SKIP() << XvfbScreen::kMissing;
  ASSERT_TRUE(screen_.Open(800, 600));
  {
    ScopedWindow<InputDlgUnderTest> dlg(stocks_, ".");
    ASSERT_TRUE(dlg.Create(kIddStockInput));
    dlg.ShowWindow(SW_SHOW);
    CRect window;
    dlg.GetWindowRect(&window);
    const CRect work = CurrentDisplay().WorkArea();
    EXPECT_EQ(window, CRect(work.right - 150, work.bottom - 200, work.right, work.bottom));
    InputDlgPicture picture(dlg);
    const CPoint selected = picture.RowPoint(0, 140);
    const CPoint second = picture.RowPoint(1, 140);
    const COLORREF back = UiTheme().clrBack;
    auto shown = [&](const Screenshot& shot) {
      return shot.Pixel(selected.x, selected.y) == InputDlgPicture::kSelected && shot.Pixel(second.x, second.y) == back;
    };
    Screenshot shot;
    ASSERT_TRUE(screen_.ShootUntil(shown, &shot, "stock-input"));
    auto pixel = [&](int x, int y) { return shot.Pixel(x, y); };
    for (int row = 0; row < 10; ++row) {
      const CRect r = picture.RowRect(row);
      EXPECT_TRUE(picture.BandDiffers(pixel, r.top, r.bottom, r.left, r.left + 100,
                                      row == 0 ? InputDlgPicture::kSelected : back))
          << "row " << row;
    }
    // Just outside the pop-up's top left corner is not the pop-up.
    EXPECT_NE(shot.Pixel(window.left - 1, window.top + 40), InputDlgPicture::kSelected);
  }
}

// Against the stand-in: the table loaded from its stock-table reply, and a
// served security found by the initials of its name and chosen by its code.
class KivDesk_InputDlgStandinTest : public ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(ConnectToStandin(server_, service_));
  }
  void TearDown() override {
    DisconnectFromStandin(server_, service_);
    ShellWindowTest::TearDown();
  }

  // As the program's loader does: the stock-table reply fills the table.
  void LoadServedTable() {
    auto filled = std::make_shared<std::atomic<bool>>(false);
    CKivStockTable* table = &stocks_;
    ASSERT_TRUE(service_.RequestMarketOverview([table, filled](KivNetPack& payload, const uint32_t&, const uint32_t&) {
      KivNetPack group;
      if (payload.GetPack(group, GROUP_STOCK_TABLE, 0) && table->FillFromPack(group)) *filled = true;
      return true;
    }));
    ASSERT_TRUE(WaitUntil([&] { return filled->load(); }));
  }

  // A served share whose name is all Chinese characters, and the initials
  // of that name as the table places them.
  const standin::Security& ServedShare() {
    for (const standin::Security& s : server_.Service().GetUniverse().Securities()) {
      if (s.group != standin::SecurityGroup::kShShare || s.name.empty()) continue;
      bool chinese = s.name.size() % 2 == 0;
      for (unsigned char c : s.name) chinese = chinese && c >= 0xA1;
      if (chinese) return s;
    }
    ADD_FAILURE() << "the stand-in serves no such share";
    return server_.Service().GetUniverse().Securities().front();
  }
  static std::string Initials(const std::string& name) {
    const CRomSpell spell;
    std::string initials;
    for (size_t at = 0; at + 1 < name.size(); at += 2) {
      for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (spell.StandsUnder(letter, static_cast<unsigned char>(name[at]), static_cast<unsigned char>(name[at + 1]))) {
          initials += static_cast<char>(letter - 'A' + 'a');
          break;
        }
      }
    }
    return initials;
  }

  standin::StandinServer server_;
  CNetService service_{NetTimings::Fast()};
  CKivStockTable stocks_;
};

TEST_F(KivDesk_InputDlgStandinTest, FindsAServedSecurityByTheInitialsOfItsNameAndChoosesItByItsCode) {
  ASSERT_NO_FATAL_FAILURE(LoadServedTable());
  const standin::Security& share = ServedShare();
  const std::string initials = Initials(share.name);
  ASSERT_EQ(initials.size() * 2, share.name.size()) << "every character of the name has an initial";
  char row[64];
  std::snprintf(row, sizeof row, "SH%06u %s", StockCode(share.id), share.name.c_str());

  InputDlgUnderTest byName(stocks_, initials.substr(0, 1));
  byName.onOpen = [&](InputDlgUnderTest&) {
    Screen().TypeText(initials.substr(1));
    Screen().PressKey(VK_ESCAPE);
  };
  EXPECT_EQ(byName.DoModal(), IDCANCEL);
  ASSERT_FALSE(byName.searches.empty());
  const std::vector<std::string>& rows = byName.searches.back();
  EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << initials;

  char code[16];
  std::snprintf(code, sizeof code, "%06u", StockCode(share.id));
  InputDlgUnderTest byCode(stocks_, std::string(1, code[0]));
  byCode.onOpen = [&](InputDlgUnderTest&) {
    Screen().TypeText(code + 1);
    Screen().PressKey(VK_RETURN);
  };
  EXPECT_EQ(byCode.DoModal(), IDOK);
  ASSERT_FALSE(byCode.searches.empty());
  EXPECT_EQ(byCode.searches.back(), std::vector<std::string>{row});
  EXPECT_EQ(byCode.GetStockId(), share.id);
}

}  // namespace
}  // namespace kiv::test
