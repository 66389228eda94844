// The interval statistics over ranges of bars, as a table: counts, day
// spans, the value texts at their thresholds, the turnover against the
// share capital in force on each bar's day, the time texts of intraday and
// daily periods, a zero open or low; and the decoder of the capital history
// on sound, corrupt and truncated finance replies. Bar times are read in
// local time: the test program pins TZ=Asia/Shanghai (tests/support/TestMain.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "chart/engine/ChartIds.h"
#include "chart/engine/IntervalStatistics.h"
#include "tests/chart/ChartTestSupport.h"
#include "tests/support/CaseName.h"

namespace kiv::test {
namespace {

// 09:35 Beijing of 2025-01-02, seconds since 1970.
constexpr int64_t kFirstDayMorning = kFirstDayClose - (5 * 3600 + 25 * 60);

KLineBar Bar(int64_t time, float open, float high, float low, float close, float volume = 1000,
             float amount = 100000) {
  KLineBar bar = MakeBar(time, close, open, high, low);
  bar.open = open;  // MakeBar takes an open or low of 0 for "as the close"
  bar.low = low;
  bar.volume = volume;
  bar.amount = amount;
  return bar;
}
KLineBar Day(int day, float open, float close, float volume = 1000, float amount = 100000) {
  return Bar(kFirstDayClose + day * kDaySeconds, open, std::max(open, close) + 1, std::min(open, close) - 1, close,
             volume, amount);
}

struct ComputeCase {
  const char* name;
  std::vector<KLineBar> bars;
  int first;
  int last;
  DataType period;
  std::vector<CapitalRow> capital;
  // Expected; counts -1 are not looked at.
  int days;
  int barCount;
  int rising, falling, flat, above, below;
  std::map<int, std::string> texts;  // row -> text
};

class IntervalComputeTest : public ::testing::TestWithParam<ComputeCase> {};

TEST_P(IntervalComputeTest, GivesTheCountsAndTexts) {
  const ComputeCase& c = GetParam();
  const IntervalStatistics r = ComputeIntervalStatistics(c.bars.data(), c.first, c.last, c.period, c.capital);
  EXPECT_EQ(r.days, c.days);
  EXPECT_EQ(r.barCount, c.barCount);
  if (c.rising >= 0) {
    EXPECT_EQ(r.rising, c.rising);
    EXPECT_EQ(r.falling, c.falling);
    EXPECT_EQ(r.flat, c.flat);
    EXPECT_EQ(r.above, c.above);
    EXPECT_EQ(r.below, c.below);
  }
  for (const auto& [row, text] : c.texts) EXPECT_EQ(r.texts[row], text) << "row " << row;
  // The weighted average is never computed.
  EXPECT_EQ(r.texts[kIntervalAveragePrice], "");
}

const std::vector<CapitalRow> kSteppingCapital = {
    {20241231, 1000000}, {20250104, 4000000}, {20250105, 0}, {20250301, 1000000000}};

INSTANTIATE_TEST_SUITE_P(
    Ranges, IntervalComputeTest,
    ::testing::Values(
        ComputeCase{"OneBarAtTheStart",
                    {Bar(kFirstDayClose, 10, 11, 9, 10.5f)},
                    0, 0, kDataTypeDay, {},
                    1, 1, 1, 0, 0, 0, 0,
                    {{kIntervalStart, "2025-01-02"}, {kIntervalEnd, "2025-01-02"}, {kIntervalOpen, "10.000"},
                     {kIntervalHigh, "11.000"}, {kIntervalLow, "9.000"}, {kIntervalClose, "10.500"},
                     {kIntervalVolume, "1000"}, {kIntervalAmount, "10万"}, {kIntervalChange, "0.500(5.00%)"},
                     {kIntervalAmplitude, "2.000(22.22%)"}, {kIntervalTurnover, "0.00%"}}},
        ComputeCase{"OneBarLaterComparesWithThePreviousClose",
                    {Day(0, 10, 10), Day(1, 10.5f, 11)},
                    1, 1, kDataTypeDay, {},
                    1, 1, 1, 0, 0, 1, 0,
                    {{kIntervalChange, "0.500(4.76%)"}, {kIntervalStart, "2025-01-03"}}},
        ComputeCase{"CountsByKindAndAgainstThePreviousClose",
                    // closes 10, 11, 10.5, 10.5, 12 with opens making rising,
                    // falling, flat, rising bars; the range is bars 1-4.
                    {Day(0, 10, 10), Day(1, 10, 11), Day(2, 11, 10.5f), Day(3, 10.5f, 10.5f), Day(4, 11, 12)},
                    1, 4, kDataTypeDay, {},
                    4, 4, 2, 1, 1, 2, 1,
                    {{kIntervalOpen, "10.000"}, {kIntervalClose, "12.000"}, {kIntervalHigh, "13.000"},
                     {kIntervalLow, "9.000"}, {kIntervalChange, "2.000(20.00%)"},
                     {kIntervalAmplitude, "4.000(44.44%)"}}},
        ComputeCase{"DaysAreCalendarDaysAcrossMonths",
                    {Bar(LocalMidnightOf(20250130) + 15 * 3600, 10, 10, 10, 10),
                     Bar(LocalMidnightOf(20250302) + 15 * 3600, 10, 10, 10, 10)},
                    0, 1, kDataTypeDay, {},
                    32, 2, 0, 0, 2, 0, 0,
                    {{kIntervalStart, "2025-01-30"}, {kIntervalEnd, "2025-03-02"}}},
        ComputeCase{"VolumeOfExactlyAHundredMillionIsShownWhole",
                    {Day(0, 10, 10, 50000000), Day(1, 10, 10, 50000000)},
                    0, 1, kDataTypeDay, {},
                    2, 2, -1, -1, -1, -1, -1,
                    {{kIntervalVolume, "100000000"}}},
        ComputeCase{"VolumeAboveAHundredMillionIsShownInWan",
                    {Day(0, 10, 10, 50000000), Day(1, 10, 10, 50010000)},
                    0, 1, kDataTypeDay, {},
                    2, 2, -1, -1, -1, -1, -1,
                    {{kIntervalVolume, "10001万"}}},
        ComputeCase{"AmountOfExactlyTenBillionIsShownInWan",
                    {Day(0, 10, 10, 1000, 1e10f)},
                    0, 0, kDataTypeDay, {},
                    1, 1, -1, -1, -1, -1, -1,
                    {{kIntervalAmount, "1000000万"}}},
        ComputeCase{"AmountAboveTenBillionIsShownInYi",
                    {Day(0, 10, 10, 1000, 1e10f), Day(1, 10, 10, 1000, 1e8f)},
                    0, 1, kDataTypeDay, {},
                    2, 2, -1, -1, -1, -1, -1,
                    {{kIntervalAmount, "101亿"}}},
        ComputeCase{"ACapitalRowAfterEveryBarIsNeverUsed",
                    {Day(0, 10, 10), Day(1, 10, 10)},
                    0, 1, kDataTypeDay, {{20250301, 1000000}},
                    2, 2, -1, -1, -1, -1, -1,
                    {{kIntervalTurnover, "0.00%"}}},
        ComputeCase{"TheCapitalInForceOnEachBarsDayTurnsTheVolumeSoFar",
                    // 01-02 and 01-03 under 1 000 000 shares, 01-04 under
                    // 4 000 000: 3000 lots x 100 / 4 000 000; on 01-05 a row of
                    // 0 shares leaves it; the row of March is after the range.
                    {Day(0, 10, 10), Day(1, 10, 10), Day(2, 10, 10), Day(3, 10, 10)},
                    0, 3, kDataTypeDay, kSteppingCapital,
                    4, 4, -1, -1, -1, -1, -1,
                    {{kIntervalTurnover, "7.50%"}}},
        ComputeCase{"TheCapitalStepAppliesFromItsDay",
                    {Day(0, 10, 10), Day(1, 10, 10), Day(2, 10, 10)},
                    0, 1, kDataTypeDay, kSteppingCapital,
                    2, 2, -1, -1, -1, -1, -1,
                    {{kIntervalTurnover, "20.00%"}}},
        ComputeCase{"AOneBarRangeHasItsTurnover",
                    {Day(0, 10, 10)},
                    0, 0, kDataTypeDay, kSteppingCapital,
                    1, 1, -1, -1, -1, -1, -1,
                    {{kIntervalTurnover, "10.00%"}}},
        ComputeCase{"AZeroOpenOrLowGivesNoPercentage",
                    {Bar(kFirstDayClose, 0, 0.8f, 0, 0.5f)},
                    0, 0, kDataTypeDay, {},
                    1, 1, 1, 0, 0, 0, 0,
                    {{kIntervalChange, "0.500(0.00%)"}, {kIntervalAmplitude, "0.800(0.00%)"}}},
        ComputeCase{"MinuteBarsShowMonthDayHourAndMinute",
                    {Bar(kFirstDayMorning, 10, 10, 10, 10), Bar(kFirstDayMorning + 55 * 60, 10, 10, 10, 10)},
                    0, 1, kDataTypeMin5, {},
                    1, 2, -1, -1, -1, -1, -1,
                    {{kIntervalStart, "01-02 09:35"}, {kIntervalEnd, "01-02 10:30"}}}),
    CaseName());

TEST(IntervalComputeTimes, IntradayPeriodsShowTheTimeAndTheOthersTheDate) {
  const KLineBar bars[] = {Bar(kFirstDayMorning, 10, 10, 10, 10),
                           Bar(kFirstDayMorning + kDaySeconds + 3600, 10, 10, 10, 10)};
  const struct {
    DataType period;
    const char* start;
    const char* end;
  } periods[] = {{kDataTypeMin1, "01-02 09:35", "01-03 10:35"}, {kDataTypeMin5, "01-02 09:35", "01-03 10:35"},
                 {kDataTypeMin15, "01-02 09:35", "01-03 10:35"}, {kDataTypeMin30, "01-02 09:35", "01-03 10:35"},
                 {kDataTypeHour, "01-02 09:35", "01-03 10:35"},  {kDataTypeDay, "2025-01-02", "2025-01-03"},
                 {kDataTypeWeek, "2025-01-02", "2025-01-03"},   {kDataTypeMonth, "2025-01-02", "2025-01-03"}};
  for (const auto& p : periods) {
    const IntervalStatistics r = ComputeIntervalStatistics(bars, 0, 1, p.period, {});
    EXPECT_EQ(r.texts[kIntervalStart], p.start) << p.period;
    EXPECT_EQ(r.texts[kIntervalEnd], p.end) << p.period;
    EXPECT_EQ(r.startDate, 20250102) << p.period;
    EXPECT_EQ(r.endDate, 20250103) << p.period;
    EXPECT_EQ(r.days, 2) << p.period;
  }
}

TEST(IntervalComputeTimes, ARangeThatIsNoneGivesNothing) {
  const KLineBar bars[] = {Day(0, 10, 10), Day(1, 10, 10)};
  for (const auto& range : {std::pair<int, int>{-1, 1}, {1, 0}}) {
    const IntervalStatistics r = ComputeIntervalStatistics(bars, range.first, range.second, kDataTypeDay, {});
    EXPECT_EQ(r.barCount, 0);
    EXPECT_EQ(r.texts[kIntervalOpen], "");
  }
  EXPECT_EQ(ComputeIntervalStatistics(nullptr, 0, 0, kDataTypeDay, {}).barCount, 0);
}

TEST(IntervalTitleTest, NamesTheStockAndWhetherTheSeriesIsAdjusted) {
  EXPECT_EQ(IntervalTitle("浦发银行", 1), "浦发银行  区间统计(复权)");
  EXPECT_EQ(IntervalTitle("浦发银行", 0), "浦发银行  区间统计(未复权)");
  EXPECT_EQ(IntervalTitle(nullptr, 0), "  区间统计(未复权)");
}

// ---------------------------------------------------------------- decoder

TEST(CapitalReplyDecoder, ReadsTheStockAndEveryQuarter) {
  KivNetPack reply = FinanceReply(kShare, {{20240331, 29352080397}, {20240630, 29352080397}, {20240930, 0}});
  CapitalHistory history;
  ASSERT_TRUE(DecodeCapitalReply(reply, &history));
  EXPECT_EQ(history.stock, kShare);
  ASSERT_EQ(history.rows.size(), 3u);
  EXPECT_EQ(history.rows[0].date, 20240331);
  EXPECT_EQ(history.rows[1].capital, 29352080397);
  EXPECT_EQ(history.rows[2].capital, 0);
}

TEST(CapitalReplyDecoder, RefusesRepliesWithoutTheirContainersOrWithMoreRowsThanAsked) {
  CapitalHistory kept;
  kept.stock = kOther;
  kept.rows = {{20200101, 5}};

  KivNetPack noBlock;
  noBlock.SetInt32(static_cast<int32_t>(kShare), FIELD_STOCK_ID, 0);
  KivNetPack group;
  group.SetInt32(static_cast<int32_t>(kShare), FIELD_STOCK_ID, 0);
  KivNetPack noQuarters;
  noQuarters.SetPack(group, GROUP_FINANCE_REPLY, 0);
  // The quarters stored as a number where a pack belongs.
  KivNetPack wrongType;
  KivNetPack numberGroup;
  numberGroup.SetInt32(5, GROUP_FINANCE_QUARTERS, 0);
  wrongType.SetPack(numberGroup, GROUP_FINANCE_REPLY, 0);
  std::vector<QuarterCapital> many;
  for (int i = 0; i <= static_cast<int>(kMaxCapitalRows); ++i) many.push_back({20000101 + i, 1000});
  KivNetPack tooMany = FinanceReply(kShare, many);
  many.pop_back();
  KivNetPack justEnough = FinanceReply(kShare, many);

  const struct {
    const char* what;
    KivNetPack* reply;
    bool decoded;
  } cases[] = {{"no finance block", &noBlock, false},
               {"no quarters", &noQuarters, false},
               {"quarters that are no pack", &wrongType, false},
               {"more quarters than asked for", &tooMany, false},
               {"as many quarters as asked for", &justEnough, true}};
  for (const auto& c : cases) {
    CapitalHistory history = kept;
    EXPECT_EQ(DecodeCapitalReply(*c.reply, &history), c.decoded) << c.what;
    if (c.decoded) {
      EXPECT_EQ(history.rows.size(), static_cast<size_t>(kMaxCapitalRows)) << c.what;
    } else {
      EXPECT_EQ(history.stock, kOther) << c.what << ": the kept history stays";
      EXPECT_EQ(history.rows.size(), 1u) << c.what;
    }
  }
}

TEST(CapitalReplyDecoder, SurvivesEveryTruncationAndByteFlipOfAReply) {
  KivNetPack sound = FinanceReply(kShare, {{20240331, 1000000}, {20240630, 2000000}, {20240930, 3000000}});
  std::string bytes;
  ASSERT_TRUE(sound.GetAllPackData(bytes));
  int decoded = 0;
  auto probe = [&](const std::string& input) {
    KivNetPack reply;
    if (!reply.LoadFromString(input)) return;
    CapitalHistory history;
    if (!DecodeCapitalReply(reply, &history)) return;
    ++decoded;
    EXPECT_LE(history.rows.size(), static_cast<size_t>(kMaxCapitalRows));
  };
  for (size_t length = 0; length < bytes.size(); ++length) probe(bytes.substr(0, length));
  EXPECT_EQ(decoded, 0) << "no truncated reply decodes";
  for (size_t at = 0; at < bytes.size(); ++at) {
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      std::string corrupt = bytes;
      corrupt[at] = static_cast<char>(static_cast<unsigned char>(corrupt[at]) ^ flip);
      probe(corrupt);
    }
  }
  probe(bytes);
  EXPECT_GE(decoded, 1);
}

}  // namespace
}  // namespace kiv::test
