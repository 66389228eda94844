// Signal flags the chart computes (the mid-term state machine of intraday
// bars), the insider-change texts on bars and the trade marks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "chart/engine/ChartSignals.h"
#include "chart/engine/KLineHolderMarks.h"
#include "data/CachePath.h"
#include "tests/chart/ChartTestSupport.h"

namespace kiv {
namespace {

using test::kShare;


uint32_t Nibble2(const CKLineSeries& s, int i) { return (s.Flags(i) >> 8) & 0xF; }

TEST(IntradaySignals, NinetyBarsAreTooFewAndNinetyOneStartTheMachine) {
  auto ninety = test::MakeSeries(kShare, kDataTypeMin1, 90, [](int) { return 10.5f; });
  for (int i = 0; i < 90; ++i) ninety->Flags(i) = 0x300;
  EXPECT_FALSE(ComputeIntradaySignals(ninety.get()));
  EXPECT_EQ(Nibble2(*ninety, 89), 3u);

  auto series = test::MakeSeries(kShare, kDataTypeMin1, 91, [](int) { return 10.5f; });
  for (int i = 0; i < 91; ++i) series->Flags(i) = 0x311;
  EXPECT_TRUE(ComputeIntradaySignals(series.get()));
  EXPECT_EQ(Nibble2(*series, 4), 3u) << "bars 0-4 keep their nibble";
  EXPECT_EQ(Nibble2(*series, 5), 0u);
  EXPECT_EQ(Nibble2(*series, 88), 0u);
  EXPECT_EQ(Nibble2(*series, 89), 2u);
  EXPECT_EQ(Nibble2(*series, 90), 2u) << "a flat close stays empty";
  EXPECT_EQ(series->Flags(90) & 0xFF, 0x11u) << "the other nibbles stay";
}

TEST(IntradaySignals, EachPriceBandHasItsOwnRiseFactor) {
  // Flat closes at p, then a close of p (1 + e) on bar 90: it turns the
  // state to 1 when it rises more than the band's factor above the 18-bar
  // average, i.e. when e > (up - 1) / (1 - up / 18).
  struct Band {
    const char* what;
    float price;
    double up;
  };
  const Band bands[] = {
      {"above 10", 12.0f, 1.004}, {"8 to 10", 9.0f, 1.006}, {"6 to 8", 7.0f, 1.008},
      {"4 to 6", 5.0f, 1.001},    {"2 to 4", 3.0f, 1.012},  {"2 or below", 1.5f, 1.015},
  };
  for (const Band& band : bands) {
    const double threshold = (band.up - 1.0) / (1.0 - band.up / 18.0);
    for (double factor : {0.7, 1.3}) {
      const float last = static_cast<float>(band.price * (1.0 + threshold * factor));
      auto series = test::MakeSeries(kShare, kDataTypeMin5, 91, [&](int i) { return i < 90 ? band.price : last; });
      ASSERT_TRUE(ComputeIntradaySignals(series.get()));
      EXPECT_EQ(Nibble2(*series, 90), factor > 1 ? 1u : 2u) << band.what << " x" << factor;
    }
  }
}

TEST(IntradaySignals, StatesCycleThroughBuyHoldSellEmpty) {
  std::vector<float> closes(90, 10.5f);
  closes.push_back(11.0f);  // 90: rise -> 1
  closes.push_back(11.0f);  // 91: -> 4
  for (int i = 0; i < 12; ++i) closes.push_back(closes.back() * 0.97f);  // a steady fall
  auto series = test::MakeSeries(kShare, kDataTypeHour, int(closes.size()), [&](int i) { return closes[i]; });
  ASSERT_TRUE(ComputeIntradaySignals(series.get()));
  std::vector<uint32_t> states;
  for (int i = 90; i < series->GetCount(); ++i) states.push_back(Nibble2(*series, i));
  ASSERT_EQ(states[0], 1u);
  ASSERT_EQ(states[1], 4u);
  size_t sell = 2;
  while (sell < states.size() && states[sell] == 4u) ++sell;
  ASSERT_LT(sell + 1, states.size()) << "the fall never turned the state";
  EXPECT_EQ(states[sell], 3u);
  EXPECT_EQ(states[sell + 1], 2u);
}

TEST(IntradaySignals, OtherPeriodsAreLeftAlone) {
  for (uint32_t type : {kDataTypeDay, kDataTypeMin15, kDataTypeMin30, kDataTypeWeek}) {
    auto series = test::MakeSeries(kShare, type, 120, [](int i) { return 10.0f + i; });
    EXPECT_FALSE(ComputeIntradaySignals(series.get())) << type;
  }
}

// Insider records as the worker delivers them (GBK texts).
struct Holder {
  const char* date;
  const char* count;
  const char* name;
  const char* duty;
};

std::unique_ptr<StringRecord15[]> Records(const std::vector<Holder>& rows) {
  auto records = std::make_unique<StringRecord15[]>(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    records[i].slot[4] = strdup(rows[i].date);
    records[i].slot[5] = strdup(rows[i].count);
    records[i].slot[10] = strdup(rows[i].name);
    records[i].slot[11] = strdup(rows[i].duty);
  }
  return records;
}

std::string TextOf(const CKLineSeries& s, int i) { return s.HolderText(i) ? s.HolderText(i) : ""; }

TEST(HolderTexts, RecordsLandOnTheBarsOfTheirDates) {
  // Five day bars: 2025-01-02, 03, 06, 07, 08 (weekdays, 15:00 Beijing).
  const int64_t days[] = {0, 1, 4, 5, 6};
  struct Case {
    const char* what;
    std::vector<Holder> records;
    std::vector<std::string> texts;  // per bar
    int attached;
  };
  const Case cases[] = {
      {"two records on one date give one text with the date once",
       {{"2025-01-07", "1500", "张三", "董事"}, {"2025-01-07", "-200", "李四", "监事"}},
       {"", "", "", "2025年1月7日\n董事 张三, 增持1500股\n监事 李四, 减持200股", ""},
       2},
      {"a count of 0 reads as a decrease of 0 shares",
       {{"2025-01-02", "0", "王五", "高管"}},
       {"2025年1月2日\n高管 王五, 减持0股", "", "", "", ""},
       1},
      {"a date without a bar is skipped and older records still find theirs",
       {{"2025-01-05", "100", "甲", "董事"}, {"2025-01-03", "300", "乙", "董事"}},
       {"", "2025年1月3日\n董事 乙, 增持300股", "", "", ""},
       1},
      {"records after the last bar are skipped",
       {{"2025-02-01", "100", "甲", "董事"}, {"2025-01-08", "-5", "丙", "董事"}},
       {"", "", "", "", "2025年1月8日\n董事 丙, 减持5股"},
       1},
      {"a bad date or count is skipped",
       {{"2025/01/08", "100", "甲", "董事"}, {"2025-01-08", "12x", "乙", "董事"},
        {"", "1", "丁", "董事"}, {"2025-01-06", "7", "丙", "董事"}},
       {"", "", "2025年1月6日\n董事 丙, 增持7股", "", ""},
       1},
  };
  for (const Case& c : cases) {
    CKLineSeries series;
    series.SetStock(kShare);
    series.SetDataType(kDataTypeDay);
    for (int64_t d : days) series.AddBar(test::MakeBar(test::kFirstDayClose + d * test::kDaySeconds, 10), 0, 0, 0, 1);
    auto records = Records(c.records);
    EXPECT_EQ(BuildHolderTexts(&series, records.get(), int(c.records.size())), c.attached) << c.what;
    for (int i = 0; i < series.GetCount(); ++i) EXPECT_EQ(TextOf(series, i), c.texts[i]) << c.what << ", bar " << i;
  }
}

TEST(HolderMarks, StateFollowsTheKindsAdded) {
  struct Case {
    std::vector<int> kinds;
    int state;
  };
  const Case cases[] = {{{}, 0}, {{1}, 1}, {{2}, 2}, {{1, 2}, 3}, {{2, 1}, 3}, {{1, 1}, 1}, {{2, 2, 1}, 3}};
  for (const Case& c : cases) {
    KLineHolderMarks marks;
    for (int kind : c.kinds) marks.Add(TradeMark{0, kind, 1.0f, 100});
    EXPECT_EQ(marks.GetState(), c.state);
    EXPECT_EQ(marks.Marks().size(), c.kinds.size());
    marks.Destroy();
    EXPECT_EQ(marks.GetState(), 0);
  }
}

TEST(HolderMarks, TradeMarksConfirmTheNearestSignalOfTheirKind) {
  const StockId stock = MakeStockId(600001, 1);
  // Nibble 0 per bar: 2 1 4 4 3 2 2
  const uint32_t states[] = {2, 1, 4, 4, 3, 2, 2};
  auto fresh = [&] {
    auto series = test::MakeSeries(stock, kDataTypeDay, 7, [](int) { return 10.0f; });
    for (int i = 0; i < 7; ++i) series->Flags(i) = states[i];
    return series;
  };
  struct Case {
    const char* what;
    int bar;
    int kind;
    int confirmed;
    uint32_t nibble;
  };
  const Case cases[] = {
      {"a buy on the buy crossing confirms it", 1, 1, 1, 1},
      {"a buy in the holding state confirms the crossing before", 3, 1, 1, 1},
      {"a buy in the empty state confirms the next crossing", 0, 1, 1, 1},
      {"a sell on the sell crossing confirms it", 4, 2, 4, 3},
      {"a sell in the empty state confirms the crossing before", 6, 2, 4, 3},
      {"a sell in the holding state confirms the next crossing", 2, 2, 4, 3},
  };
  for (const Case& c : cases) {
    auto series = fresh();
    g_TradeMarkTable.Set(stock, {TradeMark{series->Bar(c.bar).time, c.kind, 10.0f, 100}});
    ASSERT_TRUE(BuildHolderMarks(series.get(), stock)) << c.what;
    for (int i = 0; i < 7; ++i) {
      EXPECT_EQ(series->SpareWord(i) & 0xF, i == c.confirmed ? c.nibble : 0u) << c.what << ", bar " << i;
      EXPECT_EQ(series->HolderMarks(i) != nullptr, i == c.bar) << c.what << ", bar " << i;
    }
  }
  g_TradeMarkTable.Clear();
  auto series = fresh();
  EXPECT_FALSE(BuildHolderMarks(series.get(), stock)) << "an empty table changes nothing";
}

}  // namespace
}  // namespace kiv
