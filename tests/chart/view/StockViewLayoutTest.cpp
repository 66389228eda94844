// The stock view's arrangements as tables: the rectangles of the main
// children for two client sizes (one where every fraction truncates), and
// the rules every arrangement keeps, checked over all families, periods,
// modes and both sizes: which panes a family never shows, the button row
// right to left from its anchor, the period strip widening as the row
// narrows, and the three index tests that differ at 000000 and 399000.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chart/view/StockViewLayout.h"

namespace kiv {
namespace {

constexpr int kTabHeight = 24;
const CRect kWide(0, 0, 1366, 700);
const CRect kUneven(0, 0, 1022, 611);  // W/5, W/3, 2W/3 and every fraction of the heights truncate

constexpr int kTimeShare = 0;
constexpr int kDay = 1;
constexpr int kFiveMinute = 3;
constexpr int kHour = 6;
constexpr int kWeek = 7;
constexpr int kF10 = 9;
constexpr int kPeriodItems = 10;
constexpr int kSectorItems = 4;

const char* ChildName(int child) {
  static const char* const kNames[kStockViewChildCount] = {
      "quote strip", "index quote", "period tab", "sector tab", "industry list", "chart", "indicator",
      "tick pane", "order book", "trade list", "short alerts", "commentary", "money flow", "finance",
      "contribution", "F10 viewer", "短线机会 stocks", "短线机会 indices", "复权", "+自选股", "中线机会",
      "投顾", "enlarge", "restore", "holding toggle"};
  return kNames[child];
}

struct NamedInput {
  std::string name;
  StockViewLayoutInput in;
};

StockViewLayoutInput Input(const CRect& client, StockId stock, bool isIndex, int item, int sectorItem, int mode) {
  StockViewLayoutInput in;
  in.client = client;
  in.tabHeight = kTabHeight;
  in.stock = stock;
  in.isIndex = isIndex;
  in.periodItem = item;
  in.sectorItem = sectorItem;
  in.stockMode = in.indexMode = in.sectorMode = mode;
  return in;
}

const StockId kStock = MakeStockId(600000, 1);
const StockId kMajorIndex = MakeStockId(1, 1);     // 000001
const StockId kMinorIndex = MakeStockId(2, 1);     // 000002
const StockId kSector = MakeStockId(880001, 4);
const StockId kHttpStock = MakeStockId(600000, 50);

// The instruments of the golden table, by name.
StockViewLayoutInput GoldenInput(const CRect& client, const std::string& name) {
  struct Case {
    const char* name;
    StockId stock;
    bool isIndex;
    int item;
    int sectorItem;
    int mode;
  };
  static const Case kCases[] = {
      {"stock 日K", kStock, false, kDay, 0, 1},
      {"stock 分时", kStock, false, kTimeShare, 0, 1},
      {"stock 日K enlarged", kStock, false, kDay, 0, 2},
      {"index 000001 日K", kMajorIndex, true, kDay, 0, 1},
      {"index 000002 日K", kMinorIndex, true, kDay, 0, 1},
      {"index 000001 周K enlarged", kMajorIndex, true, kWeek, 0, 2},
      {"sector 日K", kSector, true, kDay, 0, 1},
      {"sector 周K enlarged", kSector, true, kDay, 1, 2},
      {"market 50 日K", kHttpStock, false, kDay, 0, 1},
      {"market 50 日K enlarged", kHttpStock, false, kDay, 0, 2},
  };
  for (const Case& c : kCases) {
    if (name == c.name) return Input(client, c.stock, c.isIndex, c.item, c.sectorItem, c.mode);
  }
  ADD_FAILURE() << "no golden case " << name;
  return {};
}

struct GoldenRow {
  CRect client;
  const char* input;
  StockViewChild child;
  RECT rect;
  int show;
};

// Worked out from the arrangement's formulas with truncating division.
const GoldenRow kGolden[] = {
    {kWide, "stock 日K", kViewQuoteStrip, {0, 0, 1072, 66}, 1},
    {kWide, "stock 日K", kViewOrderBook, {1073, 0, 1366, 221}, 1},
    {kWide, "stock 日K", kViewTradeList, {1073, 222, 1366, 517}, 1},
    {kWide, "stock 日K", kViewShortAlerts, {1073, 518, 1366, 700}, 1},
    {kWide, "stock 日K", kViewPeriodTab, {0, 66, 726, 90}, 1},
    {kWide, "stock 日K", kViewChart, {0, 90, 1072, 456}, 1},
    {kWide, "stock 日K", kViewIndexPane, {0, 456, 1072, 578}, 1},
    {kWide, "stock 日K", kViewCommentary, {0, 579, 272, 700}, 1},
    {kWide, "stock 日K", kViewMoneyFlow, {274, 579, 656, 700}, 1},
    {kWide, "stock 日K", kViewFinance, {657, 579, 1072, 700}, 1},
    {kWide, "stock 日K", kViewButtonEnlarge, {1051, 66, 1072, 90}, 1},
    {kWide, "stock 日K", kViewButtonAdvice, {726, 66, 791, 90}, 1},
    {kWide, "stock 分时", kViewTickPane, {0, 90, 1072, 578}, 1},
    {kWide, "stock 分时", kViewPeriodTab, {0, 66, 942, 90}, 1},
    {kWide, "stock 分时", kViewButtonAddWatch, {1007, 66, 1072, 90}, 1},
    {kWide, "stock 分时", kViewButtonAdvice, {942, 66, 1007, 90}, 1},
    {kWide, "stock 日K enlarged", kViewQuoteStrip, {0, 0, 1366, 66}, 1},
    {kWide, "stock 日K enlarged", kViewChart, {0, 90, 1366, 578}, 1},
    {kWide, "stock 日K enlarged", kViewIndexPane, {0, 578, 1366, 700}, 1},
    {kWide, "stock 日K enlarged", kViewPeriodTab, {0, 66, 1019, 90}, 1},
    {kWide, "stock 日K enlarged", kViewButtonRestore, {1344, 66, 1365, 90}, 1},
    {kWide, "stock 日K enlarged", kViewButtonShortStocks, {1279, 66, 1344, 90}, 1},
    {kWide, "stock 日K enlarged", kViewButtonAdvice, {1019, 66, 1084, 90}, 1},
    {kWide, "index 000001 日K", kViewIndexQuote, {1073, 0, 1366, 261}, 1},
    {kWide, "index 000001 日K", kViewIndexContribution, {358, 579, 1072, 700}, 1},
    {kWide, "index 000001 日K", kViewPeriodTab, {0, 0, 811, 24}, 1},
    {kWide, "index 000001 日K", kViewChart, {0, 24, 1072, 456}, 1},
    {kWide, "index 000001 日K", kViewTickPane, {0, 24, 1072, 578}, 0},
    {kWide, "index 000001 日K", kViewIndexPane, {0, 456, 1072, 578}, 1},
    {kWide, "index 000001 日K", kViewTradeList, {1073, 262, 1366, 700}, 1},
    {kWide, "index 000001 日K", kViewMoneyFlow, {0, 579, 363, 700}, 1},
    {kWide, "index 000001 日K", kViewButtonEnlarge, {1051, 0, 1072, 24}, 1},
    {kWide, "index 000001 日K", kViewButtonAdvice, {791, 0, 856, 24}, 1},
    {kWide, "index 000002 日K", kViewIndexQuote, {1073, 0, 1366, 261}, 1},
    {kWide, "index 000002 日K", kViewIndexContribution, {358, 579, 1072, 700}, 0},
    {kWide, "index 000002 日K", kViewPeriodTab, {0, 0, 811, 24}, 1},
    {kWide, "index 000002 日K", kViewChart, {0, 24, 1072, 578}, 1},
    {kWide, "index 000002 日K", kViewTickPane, {0, 24, 1072, 700}, 0},
    {kWide, "index 000002 日K", kViewIndexPane, {0, 578, 1072, 700}, 1},
    {kWide, "index 000002 日K", kViewTradeList, {1073, 262, 1366, 700}, 1},
    {kWide, "index 000002 日K", kViewMoneyFlow, {0, 579, 363, 700}, 0},
    {kWide, "index 000002 日K", kViewButtonEnlarge, {1051, 0, 1072, 24}, 1},
    {kWide, "index 000002 日K", kViewButtonAdvice, {791, 0, 856, 24}, 1},
    {kWide, "index 000001 周K enlarged", kViewPeriodTab, {0, 0, 1279, 24}, 1},
    {kWide, "index 000001 周K enlarged", kViewChart, {0, 24, 1366, 564}, 1},
    {kWide, "index 000001 周K enlarged", kViewIndexPane, {0, 564, 1366, 700}, 1},
    {kWide, "index 000001 周K enlarged", kViewButtonRestore, {1344, 0, 1365, 24}, 1},
    {kWide, "index 000001 周K enlarged", kViewButtonAddWatch, {1279, 0, 1344, 24}, 1},
    {kWide, "sector 日K", kViewSectorTab, {0, 0, 759, 24}, 1},
    {kWide, "sector 日K", kViewChart, {0, 24, 910, 420}, 1},
    {kWide, "sector 日K", kViewIndexPane, {0, 420, 910, 560}, 1},
    {kWide, "sector 日K", kViewMoneyFlow, {0, 561, 455, 700}, 1},
    {kWide, "sector 日K", kViewFinance, {456, 561, 910, 700}, 1},
    {kWide, "sector 日K", kViewIndexQuote, {911, 0, 1366, 198}, 1},
    {kWide, "sector 日K", kViewIndustryList, {911, 198, 1366, 700}, 1},
    {kWide, "sector 日K", kViewButtonEnlarge, {889, 0, 910, 24}, 1},
    {kWide, "sector 日K", kViewButtonShortIndices, {824, 0, 889, 24}, 1},
    {kWide, "sector 日K", kViewButtonMidTerm, {759, 0, 824, 24}, 1},
    {kWide, "sector 周K enlarged", kViewSectorTab, {0, 0, 1344, 24}, 1},
    {kWide, "sector 周K enlarged", kViewChart, {0, 24, 1366, 564}, 1},
    {kWide, "sector 周K enlarged", kViewIndexPane, {0, 564, 1366, 700}, 1},
    {kWide, "sector 周K enlarged", kViewButtonRestore, {1344, 0, 1365, 24}, 1},
    {kWide, "market 50 日K", kViewQuoteStrip, {0, 0, 1072, 66}, 1},
    {kWide, "market 50 日K", kViewOrderBook, {1073, 0, 1366, 221}, 1},
    {kWide, "market 50 日K", kViewPeriodTab, {0, 66, 1051, 90}, 1},
    {kWide, "market 50 日K", kViewButtonEnlarge, {1051, 66, 1072, 90}, 1},
    {kWide, "market 50 日K", kViewChart, {0, 90, 1072, 578}, 1},
    {kWide, "market 50 日K", kViewIndexPane, {0, 578, 1072, 700}, 1},
    {kWide, "market 50 日K", kViewTickPane, {0, 90, 1072, 700}, 0},
    {kWide, "market 50 日K", kViewTradeList, {1073, 231, 1366, 700}, 1},
    {kWide, "market 50 日K enlarged", kViewPeriodTab, {0, 66, 1344, 90}, 1},
    {kWide, "market 50 日K enlarged", kViewButtonRestore, {1344, 66, 1365, 90}, 1},
    {kUneven, "stock 日K", kViewOrderBook, {798, 0, 1022, 194}, 1},
    {kUneven, "stock 日K", kViewTradeList, {798, 195, 1022, 454}, 1},
    {kUneven, "stock 日K", kViewChart, {0, 90, 797, 402}, 1},
    {kUneven, "stock 日K", kViewMoneyFlow, {205, 507, 491, 611}, 1},
    {kUneven, "stock 日K", kViewFinance, {492, 507, 797, 611}, 1},
    {kUneven, "index 000001 日K", kViewIndexQuote, {798, 0, 1022, 223}, 1},
    {kUneven, "index 000001 日K", kViewIndexContribution, {266, 507, 797, 611}, 1},
    {kUneven, "index 000001 日K", kViewIndexPane, {0, 402, 797, 506}, 1},
    {kUneven, "index 000001 日K", kViewMoneyFlow, {0, 507, 272, 611}, 1},
    {kUneven, "index 000001 周K enlarged", kViewChart, {0, 24, 1022, 493}, 1},
    {kUneven, "sector 日K", kViewMoneyFlow, {0, 489, 340, 611}, 1},
    {kUneven, "sector 日K", kViewFinance, {342, 489, 681, 611}, 1},
    {kUneven, "sector 日K", kViewIndexQuote, {682, 0, 1022, 172}, 1},
    {kUneven, "sector 日K", kViewIndustryList, {682, 172, 1022, 611}, 1},
    {kUneven, "market 50 日K", kViewOrderBook, {798, 0, 1022, 194}, 1},
    {kUneven, "market 50 日K", kViewTradeList, {798, 213, 1022, 611}, 1},
};

TEST(StockViewLayoutTest, PlacesTheMainChildrenAsTheGoldenTableSays) {
  for (const GoldenRow& row : kGolden) {
    SCOPED_TRACE(std::to_string(row.client.Width()) + "x" + std::to_string(row.client.Height()) + " " +
                 row.input + ": " + ChildName(row.child));
    const StockViewLayoutResult r = LayOutStockView(GoldenInput(row.client, row.input));
    const ChildPlacement& p = r.children[row.child];
    EXPECT_TRUE(p.move);
    EXPECT_EQ(p.rect.left, row.rect.left);
    EXPECT_EQ(p.rect.top, row.rect.top);
    EXPECT_EQ(p.rect.right, row.rect.right);
    EXPECT_EQ(p.rect.bottom, row.rect.bottom);
    EXPECT_EQ(p.show, row.show);
  }
}

// Every family, period (or sector) item and mode, at both sizes.
std::vector<NamedInput> AllArrangements() {
  struct Instrument {
    const char* name;
    StockId stock;
    bool isIndex;
  };
  static const Instrument kInstruments[] = {
      {"stock", kStock, false},
      {"major index", kMajorIndex, true},
      {"index", kMinorIndex, true},
      {"market 50", kHttpStock, false},
      {"sector", kSector, true},
  };
  std::vector<NamedInput> all;
  for (const CRect& client : {kWide, kUneven}) {
    for (const Instrument& instrument : kInstruments) {
      const bool sector = StockMarket(instrument.stock) == 4;
      for (int item = 0; item < (sector ? kSectorItems : kPeriodItems); ++item) {
        for (int mode : {1, 2}) {
          NamedInput n;
          n.name = std::to_string(client.Width()) + " " + instrument.name + " item " + std::to_string(item) +
                   " mode " + std::to_string(mode);
          n.in = Input(client, instrument.stock, instrument.isIndex, sector ? kDay : item, sector ? item : 0, mode);
          all.push_back(n);
        }
      }
    }
  }
  return all;
}

bool IsButton(int child) { return child >= kViewButtonShortStocks && child <= kViewButtonHoldingToggle; }

std::vector<int> ShownButtons(const StockViewLayoutResult& r) {
  std::vector<int> shown;
  for (int child = 0; child < kStockViewChildCount; ++child) {
    if (IsButton(child) && r.children[child].show == 1) shown.push_back(child);
  }
  return shown;
}

TEST(StockViewLayoutTest, EachFamilyKeepsItsFlagsAndEnlargesOnlyOffTheTimeShareItem) {
  for (const NamedInput& n : AllArrangements()) {
    SCOPED_TRACE(n.name);
    const StockViewLayoutResult r = LayOutStockView(n.in);
    const uint32_t market = StockMarket(n.in.stock);
    const StockViewFamily expected = market == 50 ? StockViewFamily::kMarket50
                                     : market == 4 ? StockViewFamily::kSector
                                     : n.in.isIndex ? StockViewFamily::kIndex
                                                    : StockViewFamily::kStock;
    ASSERT_EQ(r.family, expected);
    const bool sector = expected == StockViewFamily::kSector;
    EXPECT_EQ(r.enlarged, n.in.stockMode == 2 && (sector || n.in.periodItem != kTimeShare));
    EXPECT_EQ(r.closesF10, expected == StockViewFamily::kStock || sector);
    EXPECT_EQ(r.requestsIndustry, sector);
    EXPECT_EQ(r.needsContribution, expected == StockViewFamily::kIndex);
  }
}

// Right to left from the anchor without gaps, 21 pixels for enlarge and
// restore, 65 for the captioned ones, each in the tab row; the others
// hidden; restore in place of enlarge exactly when enlarged.
TEST(StockViewLayoutTest, TheButtonRowRunsLeftFromItsAnchorInTheTabRow) {
  for (const NamedInput& n : AllArrangements()) {
    SCOPED_TRACE(n.name);
    const StockViewLayoutResult r = LayOutStockView(n.in);
    const CRect& c = n.in.client;
    const LONG anchor = r.enlarged                                  ? c.right - 1
                        : r.family == StockViewFamily::kSector ? c.right - c.Width() / 3 - 1
                                                                    : c.right - c.Width() / 5 - 21;
    const StockViewChild strip =
        r.family == StockViewFamily::kSector ? kViewSectorTab : kViewPeriodTab;
    const CRect tabRow = r.children[strip].rect;
    ASSERT_TRUE(r.children[strip].move);
    ASSERT_EQ(tabRow.Height(), kTabHeight);
    EXPECT_EQ(r.stripRight, tabRow.right);

    std::vector<int> shown = ShownButtons(r);
    std::sort(shown.begin(), shown.end(),
              [&](int a, int b) { return r.children[a].rect.right > r.children[b].rect.right; });
    LONG right = anchor;
    for (int button : shown) {
      SCOPED_TRACE(ChildName(button));
      const ChildPlacement& p = r.children[button];
      ASSERT_TRUE(p.move);
      const bool bitmap = button == kViewButtonEnlarge || button == kViewButtonRestore;
      EXPECT_EQ(p.rect.right, right);
      EXPECT_EQ(p.rect.Width(), bitmap ? 21 : 65);
      EXPECT_EQ(p.rect.top, tabRow.top);
      EXPECT_EQ(p.rect.bottom, tabRow.bottom);
      right = p.rect.left;
    }
    for (int child = 0; child < kStockViewChildCount; ++child) {
      if (IsButton(child)) {
        EXPECT_NE(r.children[child].show, -1) << ChildName(child);
      }
    }
    EXPECT_EQ(r.children[kViewButtonHoldingToggle].show, 0);
    const bool hasRow = !(r.family == StockViewFamily::kMarket50 && n.in.periodItem == kTimeShare);
    EXPECT_EQ(!shown.empty(), hasRow);
    EXPECT_EQ(r.children[r.enlarged ? kViewButtonEnlarge : kViewButtonRestore].show, 0);
  }
}

TEST(StockViewLayoutTest, FromDayToFiveMinutesAStockLosesThreeButtonsAndItsStripGrows196Pixels) {
  for (const CRect& client : {kWide, kUneven}) {
    for (int mode : {1, 2}) {
      SCOPED_TRACE(std::to_string(client.Width()) + " mode " + std::to_string(mode));
      const StockViewLayoutResult day = LayOutStockView(Input(client, kStock, false, kDay, 0, mode));
      const StockViewLayoutResult five = LayOutStockView(Input(client, kStock, false, kFiveMinute, 0, mode));
      EXPECT_EQ(ShownButtons(day).size(), 6u);
      EXPECT_EQ(ShownButtons(five).size(), 3u);
      EXPECT_EQ(five.stripRight - day.stripRight, 196);
    }
  }
}

// Panes a family has no data for, and the other family's tab strip.
TEST(StockViewLayoutTest, NoFamilyShowsThePanesItHasNoDataFor) {
  for (const NamedInput& n : AllArrangements()) {
    SCOPED_TRACE(n.name);
    const StockViewLayoutResult r = LayOutStockView(n.in);
    const auto& ch = r.children;
    if (r.family == StockViewFamily::kMarket50) {
      for (StockViewChild pane : {kViewCommentary, kViewMoneyFlow, kViewFinance, kViewShortAlerts}) {
        EXPECT_EQ(ch[pane].show, 0) << ChildName(pane);
      }
    }
    if (r.family == StockViewFamily::kSector) {
      EXPECT_EQ(ch[kViewPeriodTab].show, 0);
      EXPECT_EQ(ch[kViewSectorTab].show, 1);
    } else {
      EXPECT_EQ(ch[kViewSectorTab].show, 0);
      EXPECT_EQ(ch[kViewPeriodTab].show, 1);
      EXPECT_EQ(ch[kViewIndustryList].show, 0);
    }
    if (r.family == StockViewFamily::kIndex && !IsMajorIndex(&n.in.stock)) {
      EXPECT_EQ(ch[kViewMoneyFlow].show, 0);
      EXPECT_EQ(ch[kViewIndexContribution].show, 0);
      if (!r.enlarged) {
        // The bottom fifth of the content (measured below quote strip and
        // tab row), across the left area.
        const CRect& c = n.in.client;
        const LONG y0 = c.top + 66 + kTabHeight;
        EXPECT_EQ(ch[kViewIndexPane].rect.top, y0 + 4 * (c.bottom - y0) / 5);
        EXPECT_EQ(ch[kViewIndexPane].rect.bottom, c.bottom);
        EXPECT_EQ(ch[kViewIndexPane].rect.left, c.left);
        EXPECT_EQ(ch[kViewIndexPane].rect.right, c.right - c.Width() / 5 - 21);
      }
    }
    if (r.family == StockViewFamily::kIndex && IsMajorIndex(&n.in.stock) && !r.enlarged) {
      EXPECT_EQ(ch[kViewMoneyFlow].show, 1);
      EXPECT_EQ(ch[kViewIndexContribution].show, 1);
    }
  }
}

// Whatever the instrument before left on screen, the chart page follows the
// period item: chart and indicator pane off 分时, the tick pane on it. The
// F10 item keeps what the F10 switch arranged, except for a stock, whose
// layout closes the viewer.
TEST(StockViewLayoutTest, TheChartPageFollowsThePeriodItem) {
  for (const NamedInput& n : AllArrangements()) {
    SCOPED_TRACE(n.name);
    const StockViewLayoutResult r = LayOutStockView(n.in);
    const auto& ch = r.children;
    if (r.family == StockViewFamily::kIndex && n.in.periodItem == kF10) {
      EXPECT_EQ(ch[kViewChart].show, -1);
      EXPECT_EQ(ch[kViewTickPane].show, -1);
      continue;
    }
    const bool timeShare = r.family != StockViewFamily::kSector && n.in.periodItem == kTimeShare;
    EXPECT_EQ(ch[kViewChart].show, timeShare ? 0 : 1);
    EXPECT_EQ(ch[kViewIndexPane].show, timeShare ? 0 : 1);
    EXPECT_EQ(ch[kViewTickPane].show, timeShare ? 1 : 0);
  }
}

TEST(StockViewLayoutTest, MarketOneCodeZeroAsAnIndexOnlyShowsThePeriodStrip) {
  const StockId zero = MakeStockId(0, 1);
  ASSERT_TRUE(IsIndexForSetStock(zero));
  for (int item : {kTimeShare, kDay, kHour}) {
    for (int mode : {1, 2}) {
      const StockViewLayoutResult r = LayOutStockView(Input(kWide, zero, true, item, 0, mode));
      EXPECT_EQ(r.family, StockViewFamily::kNone);
      EXPECT_FALSE(r.enlarged);
      EXPECT_EQ(r.stripRight, -1);
      EXPECT_FALSE(r.closesF10 || r.requestsIndustry || r.needsContribution);
      for (int child = 0; child < kStockViewChildCount; ++child) {
        EXPECT_FALSE(r.children[child].move) << ChildName(child);
        EXPECT_EQ(r.children[child].show, child == kViewPeriodTab ? 1 : -1) << ChildName(child);
      }
    }
  }
}

TEST(StockViewLayoutTest, ShenzhenCode399000IsLaidOutAsAStock) {
  const StockId id = MakeStockId(399000, 2);
  const StockViewLayoutResult opened = LayOutStockView(Input(kWide, id, IsIndexForSetStock(id), kDay, 0, 1));
  EXPECT_EQ(opened.family, StockViewFamily::kStock);
  // Even with the view's flag still set from an index before, the layout's
  // own test does not take it for an index.
  EXPECT_EQ(LayOutStockView(Input(kWide, id, true, kDay, 0, 1)).family, StockViewFamily::kNone);
}

TEST(StockViewLayoutTest, TheThreeIndexTestsDifferAtTheEdges) {
  struct Case {
    uint32_t market;
    uint32_t code;
    bool setStock;
    bool layout;
    bool buttons;
  };
  const Case kCases[] = {
      {1, 0, true, false, true},  // 000000
      {1, 1, true, true, true},
      {1, 999, true, true, true},
      {1, 1000, false, false, false},
      {1, 600000, false, false, false},
      {2, 1, false, false, false},
      {2, 398999, false, false, false},
      {2, 399000, false, false, true},
      {2, 399001, true, true, true},
      {2, 399999, true, true, true},
      {2, 400000, true, true, false},  // above 399000, but not 399xxx
      {4, 880001, true, false, false},
      {3, 1, false, false, false},
      {50, 1, false, false, false},
  };
  for (const Case& c : kCases) {
    const StockId id = MakeStockId(c.code, c.market);
    SCOPED_TRACE("market " + std::to_string(c.market) + " code " + std::to_string(c.code));
    EXPECT_EQ(IsIndexForSetStock(id), c.setStock);
    EXPECT_EQ(IsIndexForLayout(id), c.layout);
    EXPECT_EQ(IsIndexForButtons(id), c.buttons);
  }
}

// 1366 x 700, tab row 24: the left area ends at 1366 - 273 - 21 = 1072.
TEST(StockViewLayoutTest, TheF10ViewerCoversTheLeftAreaUnderTheTabRow) {
  struct Case {
    const char* name;
    StockId stock;
    bool isIndex;
    CRect want;
  };
  const Case cases[] = {
      // Under the quote strip and the tab row: 90 .. 90 + 4/5 of 610.
      {"stock", kStock, false, CRect(0, 90, 1072, 578)},
      // Right under the tab row, 18 below four fifths of the rest.
      {"major index", kMajorIndex, true, CRect(0, 24, 1072, 24 + 4 * 676 / 5 + 18)},
      // Down to 18 below the client.
      {"other index", kMinorIndex, true, CRect(0, 24, 1072, 718)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StockViewF10Rect(Input(kWide, c.stock, c.isIndex, kDay, 0, 1)), c.want);
  }
}

TEST(StockViewLayoutTest, ExactlyNineIndicesAreMajor) {
  const StockId kMajor[] = {MakeStockId(1, 1),      MakeStockId(300, 1),    MakeStockId(16, 1),
                            MakeStockId(905, 1),    MakeStockId(688, 1),    MakeStockId(399001, 2),
                            MakeStockId(399005, 2), MakeStockId(399006, 2), MakeStockId(399106, 2)};
  for (StockId id : kMajor) EXPECT_TRUE(IsMajorIndex(&id)) << id;
  const StockId kOthers[] = {MakeStockId(2, 1),      MakeStockId(1, 2),      MakeStockId(399001, 1),
                             MakeStockId(399002, 2), MakeStockId(300, 2),    MakeStockId(1, 4),
                             MakeStockId(1, 50),     MakeStockId(1, 0)};
  for (StockId id : kOthers) EXPECT_FALSE(IsMajorIndex(&id)) << id;
  EXPECT_FALSE(IsMajorIndex(nullptr));
}

}  // namespace
}  // namespace kiv
