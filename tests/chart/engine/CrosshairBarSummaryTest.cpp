// The crosshair bar summary byte for byte against a fixture, and its
// quotients where the amount is zero or the result leaves the int32 range.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/CrosshairBarSummary.h"
#include "data/CachePath.h"

namespace kiv {
namespace {

std::string Hex(const unsigned char* bytes, size_t size) {
  std::string out;
  char two[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(two, sizeof(two), "%02x", bytes[i]);
    out += two;
  }
  return out;
}

// Three day bars of 600000 with inflow P, outflow Q and amount A.
CKLineSeries& Fixture(CKLineSeries& series) {
  series.SetStock(MakeStockId(600000, 1));
  series.SetDataType(kDataTypeDay);
  SetSeriesName(&series, "浦发银行");
  const float p[3] = {3000, 500, 2500}, q[3] = {1000, 1500, 2500}, a[3] = {100000, 200000, 0};
  for (int i = 0; i < 3; ++i) {
    KLineBar bar{};
    bar.time = 1735801200 + i * 86400;
    bar.open = bar.high = bar.low = bar.close = 10;
    bar.volume = 100;
    bar.amount = a[i];
    series.AddBar(bar, 0, p[i], q[i], 1);
  }
  return series;
}

TEST(CrosshairBarSummaryTest, LastBarOfTheFixtureIsTheGoldenRecord) {
  CKLineSeries series;
  CrosshairBarSummary summary;
  ASSERT_TRUE(FillCrosshairSummary(Fixture(series), 2, &summary));
  const std::string window =
      "7017000000000000"   // sum P 6000
      "8813000000000000"   // sum Q 5000
      "21000000";          // 1000 / 300000 x 10000 = 33
  const std::string golden = std::string(72, '0') +    // bytes 0-35
                             "c0270901" +              // StockId 600000, market 1
                             "c6d6b7a2d2f8d0d00000000000000000" +  // 浦发银行
                             "c409000000000000" +      // P 2500
                             "c409000000000000" +      // Q 2500
                             "00000000" +              // zero amount: 0
                             window + window + window;
  EXPECT_EQ(Hex(summary.bytes, sizeof(summary.bytes)), golden);
}

TEST(CrosshairBarSummaryTest, IndexOutsideTheSeriesIsHeldInsideAndAnEmptySeriesGivesNothing) {
  CKLineSeries series;
  CrosshairBarSummary last, beyond;
  FillCrosshairSummary(Fixture(series), 2, &last);
  ASSERT_TRUE(FillCrosshairSummary(series, 5000, &beyond));
  EXPECT_EQ(Hex(beyond.bytes, 136), Hex(last.bytes, 136));
  CKLineSeries empty;
  EXPECT_FALSE(FillCrosshairSummary(empty, 0, &beyond));
}

struct QuotientCase {
  const char* name;
  double p, q, amount;
  int32_t expected;
};

class CrosshairQuotientTest : public ::testing::TestWithParam<QuotientCase> {};

TEST_P(CrosshairQuotientTest, TruncatesOrWritesZero) {
  const QuotientCase& c = GetParam();
  EXPECT_EQ(CrosshairQuotient(c.p, c.q, c.amount), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrosshairQuotientTest,
    ::testing::Values(QuotientCase{"positive", 3000, 1000, 100000, 200},
                      QuotientCase{"negative", 500, 1500, 200000, -50},
                      QuotientCase{"truncatedTowardZero", 1, 0, 3, 3333},
                      QuotientCase{"zeroAmount", 1, 0, 0, 0},
                      QuotientCase{"largestInt32", 2147483647.0, 0, 10000, 2147483647},
                      QuotientCase{"beyondInt32", 2147483648.0, 0, 10000, 0},
                      QuotientCase{"beyondInt32Negative", 0, 2147483649.0, 10000, 0},
                      QuotientCase{"notANumber", 1, 0, std::numeric_limits<double>::quiet_NaN(), 0}),
    [](const ::testing::TestParamInfo<QuotientCase>& info) { return std::string(info.param.name); });

TEST(CrosshairBarSummaryTest, WholeValuesBeyondInt64AreZero) {
  EXPECT_EQ(CrosshairWholeValue(-2.7), -2);
  EXPECT_EQ(CrosshairWholeValue(1e19), 0);
  EXPECT_EQ(CrosshairWholeValue(-1e19), 0);
  EXPECT_EQ(CrosshairWholeValue(std::numeric_limits<double>::infinity()), 0);
}

}  // namespace
}  // namespace kiv
