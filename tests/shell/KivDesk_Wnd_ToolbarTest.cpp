// The index ticker against the stand-in, on loopback: the served quotes in
// the colour of their change, replies of the wrong shape, Frame.dat across a
// restart, the request cadence on the virtual clock, the texts of a cell
// and of the clock, clicks, and the narrow layout's rotation.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "net/KivMessages.h"
#include "shell/KivUiTheme.h"
#include "tests/shell/TickerTestSupport.h"

namespace kiv::test {
namespace {

class TickerTest : public TickerFixture {
 protected:
  // Whether the area (client coordinates) holds a pixel of exactly `colour`.
  bool AreaHas(const gdi::Surface& shot, const CRect& area, COLORREF colour) {
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        if (ShotPixel(shot, *ticker_, x, y) == colour) return true;
      }
    }
    return false;
  }
  // The figures of a cell: right of its name to its right edge.
  CRect FiguresOf(int index) {
    CRect cell = ticker_->CellRect(index);
    cell.left += 45;
    cell.DeflateRect(0, 2);
    return cell;
  }
};

TEST_F(TickerTest, DrawsTheServedQuotesInTheColourOfTheirChange) {
  CKivDesk_Wnd_Toolbar& ticker = Open(1322, TRUE);
  ASSERT_TRUE(WaitForServedQuotes());
  Pump();
  std::unique_ptr<gdi::Surface> shot = Shot();
  const KivUiTheme& theme = UiTheme();
  for (int i = 0; i < CKivDesk_Wnd_Toolbar::kIndexCount; ++i) {
    SCOPED_TRACE("cell " + std::to_string(i));
    const standin::IndexQuote served = Served(i);
    ASSERT_GT(served.last, 0);
    ASSERT_NE(served.last, served.previousClose);
    const bool rises = served.last > served.previousClose;
    EXPECT_TRUE(AreaHas(*shot, FiguresOf(i), rises ? theme.clrRise : theme.clrFall));
    EXPECT_FALSE(AreaHas(*shot, FiguresOf(i), rises ? theme.clrFall : theme.clrRise));
    // The name in the highlight colour at the cell's left.
    CRect name = ticker.CellRect(i);
    name.right = name.left + 40;
    EXPECT_TRUE(AreaHas(*shot, name, theme.clrHighlight));
  }
  // Background and border.
  EXPECT_EQ(ShotPixel(*shot, ticker, 0, 10), CKivDesk_Wnd_Toolbar::kBorder);
  EXPECT_EQ(ShotPixel(*shot, ticker, ticker.CellRect(0).left + 2, kHeight - 3), CKivDesk_Wnd_Toolbar::kBackground);
  // The file holds what is shown.
  KivNetPack stored;
  ASSERT_TRUE(CKivDesk_Wnd_Toolbar::LoadFrameFile(CKivDesk_Wnd_Toolbar::FrameFilePath(), &stored));
  EXPECT_EQ(stored.GetInt32(FIELD_LAST_PRICE, 2), Served(2).last);
}

TEST_F(TickerTest, AReplyWithThreeRowsKeepsTheValuesShownAndRewritesFrameDat) {
  CKivDesk_Wnd_Toolbar& ticker = Open(1322, TRUE);
  ASSERT_TRUE(WaitForServedQuotes());
  ASSERT_TRUE(PumpUntil([&] { return !ticker.IsPending() && service_.Manager().SentCount() == 0; }));
  std::filesystem::remove(CKivDesk_Wnd_Toolbar::FrameFilePath());
  server_.SetReplyOverride(DT_INDEX_QUOTES, [](const standin::LoggedRequest&) {
    return TickerReply({{10000, 20000}, {10000, 20000}, {10000, 20000}});
  });
  clock_.Advance(kTickerMs);
  Pump();
  ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(CKivDesk_Wnd_Toolbar::FrameFilePath()); }));
  EXPECT_TRUE(ShowsServedQuotes());
  KivNetPack stored;
  ASSERT_TRUE(CKivDesk_Wnd_Toolbar::LoadFrameFile(CKivDesk_Wnd_Toolbar::FrameFilePath(), &stored));
  for (int i = 0; i < CKivDesk_Wnd_Toolbar::kIndexCount; ++i) {
    EXPECT_EQ(stored.GetInt32(FIELD_LAST_PRICE, i), Served(i).last);
    EXPECT_EQ(stored.GetInt32(FIELD_PREV_CLOSE, i), Served(i).previousClose);
  }
}

TEST_F(TickerTest, APreviousCloseOfZeroDrawsEveryFigureUnmarkedInTheTextColour) {
  server_.SetReplyOverride(DT_INDEX_QUOTES, [](const standin::LoggedRequest&) {
    return TickerReply({{32500000, 0}, {110000000, 0}, {41000000, 0}, {70000000, 0}});
  });
  CKivDesk_Wnd_Toolbar& ticker = Open(1322, TRUE);
  ASSERT_TRUE(PumpUntil([&] {
    int32_t last = 0;
    return ticker.QuoteOf(0, &last, nullptr) && last == 32500000;
  }));
  Pump();
  std::unique_ptr<gdi::Surface> shot = Shot();
  for (int i = 0; i < CKivDesk_Wnd_Toolbar::kIndexCount; ++i) {
    EXPECT_TRUE(AreaHas(*shot, FiguresOf(i), UiTheme().clrText)) << i;
    EXPECT_FALSE(AreaHas(*shot, FiguresOf(i), UiTheme().clrRise)) << i;
    EXPECT_FALSE(AreaHas(*shot, FiguresOf(i), UiTheme().clrFall)) << i;
  }
}

struct CellCase {
  const char* name;
  int32_t last;
  int32_t previousClose;
  const char* value;
  const char* change;
  const char* ratio;
  int sign;
};

class TickerCellTextTest : public ::testing::TestWithParam<CellCase> {};

TEST_P(TickerCellTextTest, FormatsTheValueChangeAndRatio) {
  const CellCase& c = GetParam();
  const CKivDesk_Wnd_Toolbar::CellTexts texts = CKivDesk_Wnd_Toolbar::FormatCell(c.last, c.previousClose);
  EXPECT_EQ(texts.value, c.value);
  EXPECT_EQ(texts.change, c.change);
  EXPECT_EQ(texts.ratio, c.ratio);
  EXPECT_EQ(texts.sign, c.sign);
}

INSTANTIATE_TEST_SUITE_P(
    Quotes, TickerCellTextTest,
    ::testing::Values(CellCase{"rise", 32000000, 31000000, "3200.00", "▲ 100.00", "+3.23%", 1},
                      CellCase{"fall", 30000000, 31000000, "3000.00", "▼ 100.00", "-3.23%", -1},
                      CellCase{"flat", 31000000, 31000000, "3100.00", "0.00", "0.00%", 0},
                      CellCase{"noPreviousClose", 32500000, 0, "3250.00", "3250.00", "0.00%", 0},
                      CellCase{"noLast", 0, 30000000, "0.00", "▼ 3000.00", "--", -1},
                      CellCase{"nothingYet", 0, 0, "0.00", "0.00", "--", 0},
                      CellCase{"smallestLast", 1, 1, "0.00", "0.00", "0.00%", 0}),
    [](const ::testing::TestParamInfo<CellCase>& info) { return std::string(info.param.name); });

struct ClockCase {
  const char* name;
  int year, month, day, hour, minute;
  const char* text;
};

class TickerClockTextTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(TickerClockTextTest, WritesDateAndTimeWithoutLeadingZerosButTheMinutes) {
  const ClockCase& c = GetParam();
  std::tm local{};
  local.tm_year = c.year - 1900;
  local.tm_mon = c.month - 1;
  local.tm_mday = c.day;
  local.tm_hour = c.hour;
  local.tm_min = c.minute;
  EXPECT_EQ(CKivDesk_Wnd_Toolbar::FormatClock(local), c.text);
}

INSTANTIATE_TEST_SUITE_P(Times, TickerClockTextTest,
                         ::testing::Values(ClockCase{"morning", 2026, 3, 6, 9, 5, "2026-3-6  9:05"},
                                           ClockCase{"yearEnd", 2026, 12, 31, 23, 59, "2026-12-31  23:59"},
                                           ClockCase{"midnight", 2005, 1, 4, 0, 0, "2005-1-4  0:00"},
                                           ClockCase{"noon", 2030, 10, 10, 12, 30, "2030-10-10  12:30"}),
                         [](const ::testing::TestParamInfo<ClockCase>& info) { return std::string(info.param.name); });

TEST_F(TickerTest, ARestartShowsFrameDatsValuesBeforeAnyReply) {
  Open(1322, TRUE);
  ASSERT_TRUE(WaitForServedQuotes());
  ASSERT_TRUE(PumpUntil([&] { return std::filesystem::exists(CKivDesk_Wnd_Toolbar::FrameFilePath()); }));
  CloseTicker();
  // The next start finds a silent server: only the file can give values.
  server_.SetSilent(true);
  CKivDesk_Wnd_Toolbar& ticker = Open(1322, TRUE);
  EXPECT_TRUE(ShowsServedQuotes());
  Pump();
  const bool rises = Served(0).last > Served(0).previousClose;
  std::unique_ptr<gdi::Surface> shot = Shot();
  EXPECT_TRUE(AreaHas(*shot, FiguresOf(0), rises ? UiTheme().clrRise : UiTheme().clrFall));
  (void)ticker;
}

struct BadFrameCase {
  const char* name;
  std::string (*bytes)(const std::string& good);
};

class TickerBadFrameTest : public TickerFixture, public ::testing::WithParamInterface<BadFrameCase> {};

TEST_P(TickerBadFrameTest, AnUnusableFrameDatLeavesTheTickerEmptyUntilTheFirstReply) {
  // A good file of four rows, then broken as the case says.
  KivNetPack group;
  KivNetPack good = TickerReply({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
  ASSERT_TRUE(good.GetPack(group, GROUP_INDEX_QUOTES, 0));
  std::string bytes;
  ASSERT_TRUE(KivNetPack(group).GetAllPackData(bytes));
  WriteFileBytes(CKivDesk_Wnd_Toolbar::FrameFilePath(), GetParam().bytes(bytes));
  server_.SetSilent(true);
  CKivDesk_Wnd_Toolbar& ticker = Open(1322, TRUE);
  int32_t last = -1;
  EXPECT_FALSE(ticker.QuoteOf(0, &last, nullptr));
  EXPECT_EQ(last, 0);
  Pump();  // paints "--" and zeros without reading past anything
  EXPECT_EQ(CKivDesk_Wnd_Toolbar::FormatCell(0, 0).ratio, "--");
}

INSTANTIATE_TEST_SUITE_P(
    Files, TickerBadFrameTest,
    ::testing::Values(BadFrameCase{"empty", [](const std::string&) { return std::string(); }},
                      BadFrameCase{"truncated", [](const std::string& g) { return g.substr(0, g.size() - 3); }},
                      BadFrameCase{"headerOnly", [](const std::string& g) { return g.substr(0, 16); }},
                      BadFrameCase{"rowCountTooLarge",
                                   [](const std::string& g) {
                                     std::string b = g;
                                     b[4] = '\x40';
                                     return b;
                                   }},
                      BadFrameCase{"garbage", [](const std::string&) { return std::string(200, '\xA7'); }},
                      BadFrameCase{"threeRows",
                                   [](const std::string&) {
                                     KivNetPack group;
                                     KivNetPack(TickerReply({{1, 2}, {3, 4}, {5, 6}})).GetPack(group, GROUP_INDEX_QUOTES, 0);
                                     std::string b;
                                     KivNetPack(group).GetAllPackData(b);
                                     return b;
                                   }},
                      BadFrameCase{"oversized",
                                   [](const std::string& g) {
                                     return g + std::string(CKivDesk_Wnd_Toolbar::kMaxFrameFileBytes, '\0');
                                   }}),
    [](const ::testing::TestParamInfo<BadFrameCase>& info) { return std::string(info.param.name); });

TEST_F(TickerTest, AsksAgainAfterASecondWhileUnansweredAndAfterFiveOnceFailed) {
  server_.SetSilent(true);
  CKivDesk_Wnd_Toolbar& ticker = Open(400, FALSE);
  ASSERT_TRUE(test::WaitUntil([&] { return QuoteRequestsReceived() == 1; }));
  // The request of the creation does not count as unanswered yet: the first
  // tick comes after five seconds, and from then on one is out.
  clock_.Advance(kTickerMs);
  Pump();
  EXPECT_EQ(ticker.Cursor(), 1);
  EXPECT_TRUE(ticker.IsPending());
  clock_.Advance(kTickerMs);
  Pump();
  EXPECT_EQ(ticker.Cursor(), 2);
  clock_.Advance(kTickerUnansweredMs - 1);
  Pump();
  EXPECT_EQ(ticker.Cursor(), 2);
  clock_.Advance(1);
  Pump();
  EXPECT_EQ(ticker.Cursor(), 3);
  // A failed request: the next tick after that comes five seconds later.
  ticker.PostMessage(WM_KIV_REQUEST_FAILED);
  Pump();
  EXPECT_FALSE(ticker.IsPending());
  clock_.Advance(kTickerUnansweredMs);
  Pump();
  EXPECT_EQ(ticker.Cursor(), 0);
  clock_.Advance(kTickerMs - 1);
  Pump();
  EXPECT_EQ(ticker.Cursor(), 0);
  clock_.Advance(1);
  Pump();
  EXPECT_EQ(ticker.Cursor(), 1);
  // The same request stays out: the service sent it once.
  EXPECT_EQ(QuoteRequestsReceived(), 1u);
}

TEST_F(TickerTest, AClickOpensTheIndexOfItsCellWithNoNavigationList) {
  CKivDesk_Wnd_Toolbar& ticker = Open(1322, TRUE);
  Pump();
  const std::list<StockId> ids = ticker.IndexIds();
  std::vector<StockId> entries(ids.begin(), ids.end());
  ASSERT_EQ(entries, (std::vector<StockId>{MakeStockId(1, kMarketShanghai), MakeStockId(399001, kMarketShenzhen),
                                           MakeStockId(300, kMarketShanghai), MakeStockId(399005, kMarketShenzhen)}));
  for (int i = 0; i < CKivDesk_Wnd_Toolbar::kIndexCount; ++i) {
    CPoint p = ticker.CellRect(i).CenterPoint();
    ticker.ClientToScreen(&p);
    clock_.Advance(1000);  // no double-click
    Screen().Click(p);
    Pump();
  }
  // The clock is no cell.
  CPoint onClock = ticker.ClockRect().CenterPoint();
  ASSERT_FALSE(ticker.ClockRect().IsRectEmpty());
  ticker.ClientToScreen(&onClock);
  clock_.Advance(1000);
  Screen().Click(onClock);
  Pump();
  ASSERT_EQ(opened_.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(opened_[static_cast<size_t>(i)].stock, entries[static_cast<size_t>(i)]);
    EXPECT_EQ(opened_[static_cast<size_t>(i)].origin, KIV_ORIGIN_NONE);
  }
}

TEST_F(TickerTest, TheNarrowLayoutShowsOneIndexAtATimeAndAClickOpensTheOneShown) {
  CKivDesk_Wnd_Toolbar& ticker = Open(300, FALSE);
  Pump();
  CRect client;
  ticker.GetClientRect(&client);
  for (int tick = 0; tick < 5; ++tick) {
    const int shown = tick % 4;
    EXPECT_EQ(ticker.Cursor(), shown);
    EXPECT_EQ(ticker.CellRect(shown), client);
    EXPECT_TRUE(ticker.ClockRect().IsRectEmpty());
    CPoint anywhere(client.right - 7, client.bottom - 3);
    ticker.ClientToScreen(&anywhere);
    Screen().Click(anywhere);
    Pump();
    ASSERT_EQ(opened_.size(), static_cast<size_t>(tick + 1));
    const std::list<StockId> ids = ticker.IndexIds();
    EXPECT_EQ(opened_.back().stock, *std::next(ids.begin(), shown));
    clock_.Advance(kTickerMs);
    Pump();
  }
}

}  // namespace
}  // namespace kiv::test
