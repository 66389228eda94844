// The EMA slope calculator and the chart's 5-minute signals against golden
// vectors of an independent numpy reference (golden/ema_slope_reference.py,
// written from the calculator's description): states exact, values within
// 1e-4.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "chart/engine/ChartSignals.h"
#include "chart/engine/KivEMASLOPE.h"
#include "data/CachePath.h"
#include "tests/chart/ChartTestSupport.h"

namespace kiv {
namespace {

struct GoldenRecord {
  float open, close, high, x, slope, fast, slow, boosted;
  int state;
};

struct GoldenCase {
  std::string name;
  std::vector<GoldenRecord> records;
};

std::vector<GoldenCase> ReadGolden() {
  std::ifstream in(std::string(KIV_CHART_GOLDEN_DIR) + "/ema_slope_golden.txt");
  std::vector<GoldenCase> cases;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    if (line.rfind("case ", 0) == 0) {
      std::string word;
      GoldenCase c;
      fields >> word >> c.name;
      cases.push_back(c);
      continue;
    }
    GoldenRecord r{};
    fields >> r.open >> r.close >> r.high >> r.x >> r.slope >> r.fast >> r.slow >> r.boosted >> r.state;
    cases.back().records.push_back(r);
  }
  return cases;
}

bool Near(float got, float want) { return std::fabs(got - want) <= 1e-4 * std::max(1.0f, std::fabs(want)); }

TEST(EmaSlope, MatchesTheNumpyReferenceRecordByRecord) {
  const std::vector<GoldenCase> cases = ReadGolden();
  ASSERT_GE(cases.size(), 7u) << "golden file missing or short";
  int crossings = 0, boosts = 0;
  for (const GoldenCase& c : cases) {
    if (c.name.rfind("chart-", 0) == 0) continue;
    auto input = std::make_unique<EmaSlopeInput>();
    for (const GoldenRecord& g : c.records) {
      EmaSlopeRecord r;
      r.open = g.open;
      r.close = g.close;
      r.high = g.high;
      r.x = g.x;
      input->records.push_back(r);
    }
    CKivEMASLOPE calculator;
    calculator.SetInput(std::move(input));
    calculator.Run();
    const std::vector<EmaSlopeRecord>& got = calculator.Input()->records;
    for (size_t i = 0; i < got.size(); ++i) {
      const GoldenRecord& want = c.records[i];
      SCOPED_TRACE(c.name + " record " + std::to_string(i));
      EXPECT_EQ(got[i].state, want.state);
      EXPECT_PRED2(Near, got[i].slope, want.slope);
      EXPECT_PRED2(Near, got[i].fast, want.fast);
      EXPECT_PRED2(Near, got[i].slow, want.slow);
      EXPECT_PRED2(Near, got[i].boosted, want.boosted);
      if (want.state == 1 || want.state == 3) ++crossings;
      if (i >= 20 && want.boosted != want.close) ++boosts;
    }
  }
  // The inputs exercise what they are meant to.
  EXPECT_GT(crossings, 10);
  EXPECT_GT(boosts, 10);
}

TEST(EmaSlope, TooFewRecordsGetNoStates) {
  for (int n : {0, 1, 19, 20, 21}) {
    auto input = std::make_unique<EmaSlopeInput>();
    for (int i = 0; i < n; ++i) {
      EmaSlopeRecord r;
      r.open = r.close = r.high = 10.0f + i;
      r.x = static_cast<float>(i + 1);
      input->records.push_back(r);
    }
    CKivEMASLOPE calculator;
    calculator.SetInput(std::move(input));
    calculator.Run();
    for (const EmaSlopeRecord& r : calculator.Input()->records) EXPECT_EQ(r.state, 0) << n << " records";
    if (n < 21) {
      for (const EmaSlopeRecord& r : calculator.Input()->records) EXPECT_EQ(r.slow, 0.0f) << n;
    }
  }
}

TEST(EmaSlope, ChartWarmUpGivesEveryFiveMinuteBarAState) {
  const std::vector<GoldenCase> cases = ReadGolden();
  const GoldenCase* chart = nullptr;
  for (const GoldenCase& c : cases) {
    if (c.name.rfind("chart-", 0) == 0) chart = &c;
  }
  ASSERT_NE(chart, nullptr);
  const std::vector<GoldenRecord>& records = chart->records;
  CKLineSeries series;
  series.SetStock(MakeStockId(600000, 1));
  series.SetDataType(kDataTypeMin5);
  for (size_t i = kEmaSlopeWarmupRecords; i < records.size(); ++i) {
    const GoldenRecord& g = records[i];
    const int64_t time = test::kFirstDayClose + int64_t(i) * test::kDaySeconds;
    series.AddBar(test::MakeBar(time, g.close, g.open, g.high, std::min(g.open, g.close)), 0xABCD, 0, 0, 0);
  }
  ASSERT_EQ(series.GetCount() + kEmaSlopeWarmupRecords, int(records.size()));
  ASSERT_TRUE(ComputeEmaSlopeSignals(&series, nullptr));
  for (int i = 0; i < series.GetCount(); ++i) {
    EXPECT_EQ(series.Flags(i), uint32_t(records[kEmaSlopeWarmupRecords + i].state)) << "bar " << i;
    EXPECT_NE(series.Flags(i), 0u) << "bar " << i;
  }
}

TEST(EmaSlope, OnlyFiveMinuteSeriesOfTwentyOneBarsAreComputed) {
  struct Case {
    const char* what;
    uint32_t type;
    int bars;
    bool computed;
  };
  const Case cases[] = {
      {"15-minute series", kDataTypeMin15, 100, false},
      {"5-minute series of 20 bars", kDataTypeMin5, 20, false},
      {"5-minute series of 21 bars", kDataTypeMin5, 21, true},
  };
  for (const Case& c : cases) {
    auto series = test::MakeSeries(MakeStockId(600000, 1), c.type, c.bars, [](int i) { return 10.0f + i % 7; });
    for (int i = 0; i < series->GetCount(); ++i) series->Flags(i) = 0x7000;
    EXPECT_EQ(ComputeEmaSlopeSignals(series.get(), nullptr), c.computed) << c.what;
    EXPECT_EQ(series->Flags(0) == 0x7000, !c.computed) << c.what;
  }
}

}  // namespace
}  // namespace kiv
