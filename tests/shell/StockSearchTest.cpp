// What the stock search lists for a typed text, apart from its window: the
// shortcut rows, the matching securities and their order, the row texts,
// and the chosen key read back as a security or a shortcut.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shell/KivDesk_InputDlg.h"
#include "shell/StockSearch.h"

namespace kiv::test {
namespace {

StockRecord SearchRecord(uint32_t market, uint32_t code, const char* name) {
  StockRecord r;
  std::memset(&r, 0, sizeof r);
  r.id = MakeStockId(code, market);
  std::strncpy(r.name, name, sizeof r.name - 1);
  return r;
}

std::vector<std::string> AllShortcutRows() {
  return {"03 上证指数", "04 深证成指", "05 类型切换", "06 自选股", "10 F10数据", "31 板块涨跌幅排行",
          "60 沪深股票涨跌幅排行", "67 沪深股票涨跌幅排行", "61 上证A股涨跌幅排行", "63 深圳A股涨跌幅排行"};
}

class StockSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    search_.SetSecurities({
        SearchRecord(1, 600000, "浦发银行"),
        SearchRecord(1, 1, "上证指数"),
        SearchRecord(2, 1, "平安银行"),
        SearchRecord(2, 399001, "深证成指"),
        SearchRecord(1, 510050, "上证50ETF"),
        SearchRecord(2, 300750, "宁德时代"),
        SearchRecord(1, 601398, "工商银行"),
        SearchRecord(4, 880001, "银行"),
        SearchRecord(2, 2001, "新和成"),
        SearchRecord(1, 10107, "国债0107"),
    });
  }
  StockSearch search_;
};

TEST_F(StockSearchTest, ADotListsTheTenShortcutRowsAndNothingElse) {
  EXPECT_EQ(search_.Rows("."), AllShortcutRows());
}

TEST_F(StockSearchTest, ADigitListsTheShortcutRowsHoldingItThenTheSecurities) {
  const std::vector<std::string> expected = {
      "06 自选股", "60 沪深股票涨跌幅排行", "67 沪深股票涨跌幅排行", "61 上证A股涨跌幅排行", "63 深圳A股涨跌幅排行",
      // Shares (shorter names first, then table order), the rest.
      "SH600000 浦发银行", "SH601398 工商银行",
  };
  EXPECT_EQ(search_.Rows("6"), expected);
  // Keys that merely hold the digits are listed too.
  EXPECT_EQ(search_.Rows("1"), (std::vector<std::string>{
                                 "10 F10数据", "31 板块涨跌幅排行", "61 上证A股涨跌幅排行",
                                 // shares, shorter names first, then table order
                                 "SZ002001 新和成", "SZ000001 平安银行", "SH601398 工商银行",
                                 // indices
                                 "SH000001 上证指数", "SZ399001 深证成指",
                                 // the rest
                                 "ZD880001 银行", "SH010107 国债0107", "SH510050 上证50ETF"}));
}

TEST_F(StockSearchTest, SharesComeBeforeIndicesBeforeTheRestShorterNamesFirst) {
  // Names holding the typed characters; equal keys in table order.
  const std::vector<std::string> bank = {"SH600000 浦发银行", "SZ000001 平安银行", "SH601398 工商银行",
                                         "ZD880001 银行"};
  EXPECT_EQ(search_.Rows("银行"), bank);
  EXPECT_EQ(search_.Rows("证"), (std::vector<std::string>{"SH000001 上证指数", "SZ399001 深证成指",
                                                          "SH510050 上证50ETF"}));
  // Sort keys by class: shares (Shanghai 6xxxxx, Shenzhen 000/002/300), the
  // two kinds of index, funds, bonds and sectors.
  struct Case {
    StockRecord record;
    int group;
  };
  const Case cases[] = {
      {SearchRecord(1, 600000, "AB"), StockSearch::kShareGroup},  {SearchRecord(2, 1, "AB"), StockSearch::kShareGroup},
      {SearchRecord(2, 2001, "AB"), StockSearch::kShareGroup},    {SearchRecord(2, 300750, "AB"), StockSearch::kShareGroup},
      {SearchRecord(1, 900901, "AB"), StockSearch::kShareGroup},  {SearchRecord(2, 200002, "AB"), StockSearch::kShareGroup},
      {SearchRecord(1, 1, "AB"), StockSearch::kIndexGroup},       {SearchRecord(2, 399001, "AB"), StockSearch::kIndexGroup},
      {SearchRecord(1, 300, "AB"), StockSearch::kIndexGroup},     {SearchRecord(1, 510050, "AB"), StockSearch::kOtherGroup},
      {SearchRecord(2, 159915, "AB"), StockSearch::kOtherGroup},  {SearchRecord(1, 10107, "AB"), StockSearch::kOtherGroup},
      {SearchRecord(4, 880001, "AB"), StockSearch::kOtherGroup},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StockSearch::SortKey(c.record), c.group * 65536 + 2) << StockCode(c.record.id);
  }
}

TEST_F(StockSearchTest, EqualSortKeysKeepStockTableOrder) {
  std::vector<StockRecord> same;
  for (uint32_t code = 600010; code > 600000; --code) same.push_back(SearchRecord(1, code, "浦发"));
  search_.SetSecurities(same);
  const std::vector<std::string> rows = search_.Rows("pf");
  ASSERT_EQ(rows.size(), 10u);
  for (size_t i = 0; i < rows.size(); ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "SH%06zu", 600010 - i);
    EXPECT_EQ(rows[i].substr(0, 8), key) << i;
  }
}

TEST_F(StockSearchTest, WithoutSecuritiesTheShortcutRowsAreStillOffered) {
  search_.SetSecurities({});
  EXPECT_EQ(search_.Rows("."), AllShortcutRows());
  EXPECT_EQ(search_.Rows("06"), std::vector<std::string>{"06 自选股"});
  EXPECT_TRUE(search_.Rows("pf").empty());
  EXPECT_TRUE(search_.Rows("").empty());
}

TEST_F(StockSearchTest, RowsNameTheMarketTheCodeAndTheName) {
  search_.SetSecurities({SearchRecord(1, 600000, "浦发银行"), SearchRecord(2, 1, "平安银行"), SearchRecord(3, 400001, "退市银行"),
                         SearchRecord(4, 880001, "银行")});
  EXPECT_EQ(search_.Rows("银行"), (std::vector<std::string>{"SH600000 浦发银行", "SZ000001 平安银行",
                                                            "ZD880001 银行", "SB400001 退市银行"}));
  // A name that fills its field without a NUL is read no further.
  StockRecord full = SearchRecord(1, 600000, "");
  std::memset(full.name, 'A', sizeof full.name);
  search_.SetSecurities({full});
  EXPECT_EQ(search_.Rows("AAA"), std::vector<std::string>{"SH600000 " + std::string(16, 'A')});
}

TEST(StockSearchKeyTest, TheChosenKeyReadsAsASecurityOrAShortcut) {
  struct Case {
    const char* key;
    StockId id;
    int shortcut;
  };
  const Case cases[] = {
      {"SH000001", MakeStockId(1, kMarketShanghai), 0},
      {"SZ399001", MakeStockId(399001, kMarketShenzhen), 0},
      {"SB400001", MakeStockId(400001, kMarketThirdBoard), 0},
      {"ZD880001", MakeStockId(880001, kMarketFourthBoard), 0},
      {"XX600000", MakeStockId(600000, kMarketNone), 0},
      {"SH60a001", MakeStockId(60, kMarketShanghai), 0},  // digits as far as they go
      {"06", 0, 6},
      {"60", 0, 60},
      {"3", 0, 3},
      {"061", MakeStockId(61, kMarketNone), 0},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CKivDesk_InputDlg::KeyToStockId(c.key), c.id) << c.key;
    EXPECT_EQ(CKivDesk_InputDlg::KeyToShortcutNumber(c.key), c.shortcut) << c.key;
  }
}

}  // namespace
}  // namespace kiv::test
