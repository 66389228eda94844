#include "data/ExRights.h"

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

#include "data/KLineSeries.h"
#include "data/MovingAverage.h"

namespace {

// Midnight of a day in the machine's zone (the tests pin Asia/Shanghai).
int64_t LocalMidnight(int day) {
  struct tm t = {};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = day;
  t.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&t));
}

// Bars on March 1st, 2nd, ... at 15:00, all four prices equal to price(i).
void FillSeries(CKLineSeries& series, const std::vector<float>& prices) {
  for (size_t i = 0; i < prices.size(); ++i) {
    KLineBar bar = {};
    bar.time = LocalMidnight(static_cast<int>(i) + 1) + 15 * 3600;
    bar.open = bar.high = bar.low = bar.close = prices[i];
    bar.volume = prices[i] * 10;
    series.AddBar(bar, 0, 0, 0, 1);
  }
}

ExRightsRecord Record(int day, float cash, float bonus = 0, float rights = 0, float price = 0) {
  return ExRightsRecord{LocalMidnight(day), bonus, rights, price, cash};
}

std::vector<float> AdjustedCloses(const CKLineSeries& series) {
  std::vector<float> closes;
  for (int i = 0; i < series.GetCount(); ++i) closes.push_back(series.Bar(i).close);
  return closes;
}

TEST(ExRightsTest, CashDividendLowersEveryEarlierBar) {
  CKLineSeries series;
  FillSeries(series, {10, 10, 10, 10, 10, 10});
  const ExRightsRecord records[] = {Record(5, 0.5f)};
  const int count = 1, start = 0;
  ApplyExRights(&series, records, &count, &start);
  EXPECT_EQ(AdjustedCloses(series), (std::vector<float>{9.5f, 9.5f, 9.5f, 9.5f, 10, 10}));
  EXPECT_EQ(series.Bar(0).open, 9.5f);
  EXPECT_EQ(series.Bar(0).high, 9.5f);
  EXPECT_EQ(series.Bar(0).low, 9.5f);
}

TEST(ExRightsTest, LaterRecordsCompoundTowardsThePast) {
  CKLineSeries series;
  FillSeries(series, {12, 12, 12, 12, 12});
  // Bonus 1 share per share halves; rights 0.5 at 6 after a cash of 1.
  const ExRightsRecord records[] = {Record(2, 0, 1.0f), Record(4, 1.0f, 0, 0.5f, 6.0f)};
  const int count = 2, start = 0;
  ApplyExRights(&series, records, &count, &start);
  const float once = static_cast<float>((12.0 - 1.0 + 6.0 * 0.5) / 1.5);
  const float twice = static_cast<float>((6.0 - 1.0 + 6.0 * 0.5) / 1.5);
  EXPECT_EQ(AdjustedCloses(series), (std::vector<float>{twice, once, once, 12, 12}));
}

TEST(ExRightsTest, UnmatchedDatesAndStartPositionsChangeNothing) {
  CKLineSeries series;
  FillSeries(series, {10, 10, 10, 10});
  {
    // The first date matches no bar: the search stays put and still finds day 3.
    const ExRightsRecord records[] = {Record(20, 1.0f), Record(3, 1.0f)};
    const int count = 2, start = 0;
    ApplyExRights(&series, records, &count, &start);
    EXPECT_EQ(AdjustedCloses(series), (std::vector<float>{9, 9, 10, 10}));
  }
  {
    // Starting beyond the record's bar: not found; starting past the end: skipped.
    const ExRightsRecord records[] = {Record(2, 1.0f)};
    const int count = 1;
    for (int start : {2, 4, 100}) {
      ApplyExRights(&series, records, &count, &start);
      EXPECT_EQ(AdjustedCloses(series), (std::vector<float>{9, 9, 10, 10}));
    }
    const int none = 0, start = 0;
    ApplyExRights(&series, records, &none, &start);
    EXPECT_EQ(AdjustedCloses(series), (std::vector<float>{9, 9, 10, 10}));
  }
  {
    // A record whose divisor is zero would make every earlier price infinite.
    const ExRightsRecord records[] = {Record(4, 0, -1.0f)};
    const int count = 1, start = 0;
    ApplyExRights(&series, records, &count, &start);
    EXPECT_EQ(AdjustedCloses(series), (std::vector<float>{9, 9, 10, 10}));
  }
}

TEST(MovingAverageTest, AveragesClosesAndVolumes) {
  CKLineSeries series;
  FillSeries(series, {1, 2, 3, 4, 5, 6});
  CMovingAverageLine line;
  line.ComputeClose(&series, 5);
  ASSERT_EQ(line.GetCount(), 6);
  EXPECT_EQ(line.GetPeriod(), 5);
  EXPECT_EQ(std::vector<float>(line.Values(), line.Values() + 6),
            (std::vector<float>{0, 0, 0, 0, 3, 4}));
  line.ComputeVolume(&series, 2);
  EXPECT_EQ(std::vector<float>(line.Values(), line.Values() + 6),
            (std::vector<float>{0, 15, 25, 35, 45, 55}));
  // Period 0: the stored one.
  line.ComputeClose(&series, 0);
  EXPECT_EQ(line.GetPeriod(), 2);
  EXPECT_EQ(line.Values()[5], 5.5f);
}

TEST(MovingAverageTest, ProducesNothingWithoutEnoughBars) {
  CKLineSeries five;
  FillSeries(five, {1, 2, 3, 4, 5});
  CMovingAverageLine line;
  line.ComputeClose(&five, 5);
  EXPECT_EQ(line.GetCount(), 0);
  line.ComputeClose(&five, 0);  // no stored period yet
  EXPECT_EQ(line.GetCount(), 0);
  line.ComputeClose(nullptr, 3);
  EXPECT_EQ(line.GetCount(), 0);
  line.ComputeClose(&five, 2);
  EXPECT_EQ(line.GetCount(), 5);
  line.FreeValues();
  EXPECT_EQ(line.GetCount(), 0);
  EXPECT_EQ(line.Values(), nullptr);
}

}  // namespace
