#include <gtest/gtest.h>

#include <vector>

#include "net/StockId.h"

namespace {

TEST(StockId, PacksCodeAndMarket) {
  StockId id = MakeStockId(600519, kMarketShanghai);
  EXPECT_EQ(id, 0x01000000u | 600519u);
  EXPECT_EQ(StockCode(id), 600519u);
  EXPECT_EQ(StockMarket(id), kMarketShanghai);
  EXPECT_EQ(MakeStockId(0x1FFFFFF, 2), 0x02FFFFFFu);  // the code cannot spill into the market
  EXPECT_TRUE(SameStockCode(MakeStockId(1, 1), MakeStockId(1, 2)));
  EXPECT_FALSE(SameStockCode(MakeStockId(1, 1), MakeStockId(2, 1)));
}

TEST(StockId, MarketsAndTheirFolders) {
  const struct {
    uint32_t market;
    const char* folder;
  } cases[] = {{0, nullptr}, {1, "sh"},    {2, "sz"},     {3, "sb"},
               {4, "sdy"},   {5, nullptr}, {255, nullptr}};
  for (const auto& c : cases) {
    const char* folder = MarketFolderName(c.market);
    EXPECT_EQ(IsValidMarket(c.market), c.folder != nullptr) << c.market;
    if (c.folder) {
      ASSERT_NE(folder, nullptr);
      EXPECT_STREQ(folder, c.folder);
    } else {
      EXPECT_EQ(folder, nullptr) << c.market;
    }
  }
}

TEST(StockId, FillsOnlyAMissingMarketIntoTheCallersWord) {
  const struct {
    StockId in;
    StockId out;
  } cases[] = {
      {MakeStockId(600000, 0), MakeStockId(600000, kMarketShanghai)},
      {MakeStockId(599999, 0), MakeStockId(599999, kMarketShenzhen)},
      {MakeStockId(0, 0), MakeStockId(0, kMarketShenzhen)},
      {MakeStockId(999999, 0), MakeStockId(999999, kMarketShanghai)},
      {MakeStockId(1, kMarketShanghai), MakeStockId(1, kMarketShanghai)},  // set: kept
      {MakeStockId(600000, 3), MakeStockId(600000, 3)},
  };
  for (const auto& c : cases) {
    StockId id = c.in;
    EXPECT_EQ(FillMissingMarket(&id), c.out) << c.in;
    EXPECT_EQ(id, c.out) << c.in;
  }
}

// One row per step of the ordered table, in its order. Several codes would
// also satisfy a later step: the earlier one must win.
TEST(StockId, ClassifiesCodesByTheOrderedTable) {
  const struct {
    int32_t expected;
    std::vector<int32_t> codes;
  } steps[] = {
      // clang-format off
      {10, {2594, 3816}},                    // 002xxx and 003xxx, although p2 is 0
      {0,  {600000, 688981, 699999}},
      {1,  {900901}},
      {2,  {500001, 510300}},
      {3,  {10107, 120001, 122000, 126001, 130001, 520001, 529999,
            110001}},                        // 010xxx although p2 is 1; 110xxx before step 9
      {4,  {1, 1999, 4000, 19999}},
      {5,  {200002, 200999}},                // before p2 is 20
      {6,  {159901, 160000, 163999, 150001, 165001, 166001, 184688}},
      {7,  {100001, 101001, 108001, 111001, 112001, 115001, 119001, 125001, 131810}},
      {9,  {300750, 309999}},
      {11, {580001, 31001}},
      {14, {400001}},
      {15, {420001}},
      {16, {430001}},
      {13, {201000, 204001, 209999}},
      {-1, {999999, 700000, 511000, 164000, 167000, 158999, 107999, 16777215}},
      // clang-format on
  };
  for (const auto& step : steps) {
    for (int32_t code : step.codes) EXPECT_EQ(ClassifyCode(code), step.expected) << code;
  }
}

TEST(StockId, PriceDecimalsFollowTheClass) {
  const struct {
    int32_t code;
    int32_t decimals;
  } cases[] = {
      {900901, 3}, {510300, 3}, {200002, 3}, {159901, 3},               // classes 1, 2, 5, 6
      {2594, 2},   {600000, 2}, {110001, 2}, {111001, 2}, {300750, 2},  // 10, 0, 3, 7, 9
      {204001, 2}, {999999, 2},                                         // 13, -1
  };
  for (const auto& c : cases) EXPECT_EQ(PriceDecimals(c.code), c.decimals) << c.code;
}

}  // namespace
