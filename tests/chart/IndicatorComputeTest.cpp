// The twelve indicators' arrays: where each one's warm-up ends, what flat,
// short, empty and broken series give (never NaN or an infinity), the
// formulas where they leave the textbook, and a merge that recomputes only
// from its first changed bar giving bit for bit what a full computation
// gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "tests/chart/IndicatorTestSupport.h"

namespace kiv {
namespace {

using test::AllFinite;
using test::BarOf;
using test::IndicatorKind;
using test::IndicatorKinds;
using test::KindNamed;
using test::ResultVector;
using test::SeriesOf;

// Computes `kind` on `series` and returns its arrays.
std::vector<std::vector<float>> ComputedArrays(const IndicatorKind& kind, const CKLineSeries* series) {
  auto indicator = kind.make(FALSE, nullptr);
  indicator->Compute(series);
  std::vector<std::vector<float>> arrays;
  for (size_t k = 0; k < kind.arrays.size(); ++k) arrays.push_back(ResultVector(*indicator, static_cast<int>(k)));
  return arrays;
}

struct WarmUp {
  const char* kind;
  int array;
  int firstValid;  // bars before it are 0; it is not
};

TEST(IndicatorCompute, WarmUpZerosEndAtEachIndicatorsFirstValidBar) {
  // Counted by hand from the periods: a window of N bars is full at bar
  // N - 1, one that also needs the close before its first bar at bar N.
  const WarmUp cases[] = {
      {"ARBR", 0, 25}, {"ARBR", 1, 26},                                   // AR over 26 bars; BR needs C(j - 1)
      {"BIAS", 0, 5},  {"BIAS", 1, 11}, {"BIAS", 2, 23},                  // 6, 12, 24
      {"BOLL", 0, 25}, {"BOLL", 1, 25}, {"BOLL", 2, 25},                  // 26
      {"CCI", 0, 13},                                                      // 14
      {"DMI", 0, 14},  {"DMI", 1, 14},  {"DMI", 2, 19}, {"DMI", 3, 25},   // N, N, N + M - 1, N + 2M - 1
      {"KDJ", 0, 1},   {"KDJ", 1, 1},   {"KDJ", 2, 1},                    // 0 on bar 0 only
      {"MACD", 0, 1},  {"MACD", 1, 1},  {"MACD", 2, 1},
      {"OBV", 0, 1},
      {"PSY", 0, 12},                                                      // needs C(j - 1): bar N
      {"RSI", 0, 1},   {"RSI", 1, 1},   {"RSI", 2, 1},
      {"W&R", 0, 0},   {"W&R", 1, 0},                                      // shortened windows, no warm-up
  };
  auto series = SeriesOf(test::WalkBars(30, 9));  // bar 1 closes higher: RSI and KDJ move
  ASSERT_EQ(series->GetCount(), 30);
  for (const WarmUp& c : cases) {
    SCOPED_TRACE(std::string(c.kind) + " array " + std::to_string(c.array));
    const std::vector<float> values = ComputedArrays(KindNamed(c.kind), series.get())[c.array];
    ASSERT_EQ(values.size(), 30u);
    for (int i = 0; i < c.firstValid; ++i) EXPECT_EQ(values[i], 0.0f) << "bar " << i;
    EXPECT_NE(values[c.firstValid], 0.0f) << "first valid bar " << c.firstValid;
  }
}

TEST(IndicatorCompute, EveryArrayHasOneEntryPerBarAndNoneWithoutBars) {
  auto walk = SeriesOf(test::WalkBars(40));
  CKLineSeries empty;
  for (const IndicatorKind& kind : IndicatorKinds()) {
    SCOPED_TRACE(kind.name);
    auto indicator = kind.make(FALSE, nullptr);
    indicator->Compute(walk.get());
    EXPECT_EQ(indicator->m_nCount, 40);
    EXPECT_EQ(indicator->m_pSeries, walk.get());
    for (int k = 0; k < 5; ++k) {
      EXPECT_EQ(test::ResultArray(*indicator, k) != nullptr, k < static_cast<int>(kind.arrays.size())) << k;
    }
    for (const CKLineSeries* none : std::vector<const CKLineSeries*>{nullptr, &empty}) {
      indicator->Compute(none);
      EXPECT_EQ(indicator->m_nCount, 0);
      EXPECT_EQ(indicator->m_pSeries, none);
      for (int k = 0; k < 5; ++k) EXPECT_EQ(test::ResultArray(*indicator, k), nullptr);
    }
  }
}

TEST(IndicatorCompute, FlatPricesGiveZeroWhereTheFormulasWouldDivideByZero) {
  auto flat = SeriesOf(test::FlatBars(60));
  for (const IndicatorKind& kind : IndicatorKinds()) {
    SCOPED_TRACE(kind.name);
    const auto arrays = ComputedArrays(kind, flat.get());
    for (size_t k = 0; k < arrays.size(); ++k) {
      ASSERT_TRUE(AllFinite(arrays[k])) << kind.arrays[k];
      if (std::string(kind.name) == "BOLL") continue;
      for (float v : arrays[k]) ASSERT_EQ(v, 0.0f) << kind.arrays[k];
    }
  }
  // The band of still prices is the price itself.
  const auto boll = ComputedArrays(KindNamed("BOLL"), flat.get());
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(boll[k][24], 0.0f);
    EXPECT_EQ(boll[k][25], 10.5f);
    EXPECT_EQ(boll[k][59], 10.5f);
  }
}

TEST(IndicatorCompute, ShortSeriesGiveFiniteArraysOfTheirLength) {
  struct Short {
    const char* name;
    std::vector<KLineBar> bars;
  };
  const Short cases[] = {
      {"one moving bar", {BarOf(10.0f, 10.4f, 9.8f, 10.1f, 5000.0f)}},
      {"one still bar", test::FlatBars(1)},
      {"two bars", {BarOf(10.0f, 10.4f, 9.8f, 10.1f, 5000.0f), BarOf(10.1f, 10.3f, 9.7f, 9.9f, 7000.0f)}},
      {"two still bars", test::FlatBars(2)},
      {"thirteen bars", test::WalkBars(13)},  // one short of DMI's and CCI's windows
  };
  for (const Short& c : cases) {
    auto series = SeriesOf(c.bars);
    for (const IndicatorKind& kind : IndicatorKinds()) {
      SCOPED_TRACE(std::string(c.name) + " " + kind.name);
      const auto arrays = ComputedArrays(kind, series.get());
      for (size_t k = 0; k < arrays.size(); ++k) {
        ASSERT_EQ(arrays[k].size(), c.bars.size());
        EXPECT_TRUE(AllFinite(arrays[k])) << kind.arrays[k];
      }
    }
  }
  // One bar: every value 0 but W&R's, whose window is the bar itself.
  auto one = SeriesOf(cases[0].bars);
  for (const IndicatorKind& kind : IndicatorKinds()) {
    const auto arrays = ComputedArrays(kind, one.get());
    for (size_t k = 0; k < arrays.size(); ++k) {
      const float expected = std::string(kind.name) == "W&R" ? (10.4f - 10.1f) * 100.0f / (10.4f - 9.8f) : 0.0f;
      EXPECT_NEAR(arrays[k][0], expected, 1e-4) << kind.name << " " << kind.arrays[k];
    }
  }
  // DMI with fewer than 14 bars: all four lines 0.
  auto thirteen = SeriesOf(cases[4].bars);
  for (const auto& line : ComputedArrays(KindNamed("DMI"), thirteen.get())) {
    for (float v : line) EXPECT_EQ(v, 0.0f);
  }
}

TEST(IndicatorCompute, BrokenBarsNeverYieldNaNOrInfinity) {
  // Bars as a damaged cache file could hand over: not-a-number, infinite
  // and enormous prices and volumes, highs below lows.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::vector<KLineBar> bars = test::WalkBars(80, 3);
  bars[10] = BarOf(nan, nan, nan, nan, nan);
  bars[20] = BarOf(inf, inf, -inf, inf, inf);
  bars[30] = BarOf(3e38f, 3e38f, -3e38f, -3e38f, 3e38f);
  bars[40] = BarOf(10.0f, 9.0f, 11.0f, 10.0f, -5.0f);
  bars[50] = BarOf(0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
  auto series = SeriesOf(bars, std::vector<float>(80, inf), std::vector<float>(80, -inf));
  for (const IndicatorKind& kind : IndicatorKinds()) {
    SCOPED_TRACE(kind.name);
    const auto arrays = ComputedArrays(kind, series.get());
    for (size_t k = 0; k < arrays.size(); ++k) EXPECT_TRUE(AllFinite(arrays[k])) << kind.arrays[k];
  }
  CKIVIndex_NetFlow flow(FALSE, nullptr);
  flow.Compute(series.get());
  for (int i = 0; i < 80; ++i) EXPECT_TRUE(std::isfinite(flow.BarValue(i)));
}

TEST(IndicatorCompute, RsiStaysWithinItsLevelsOnServedBars) {
  auto series = test::StandinSeries(MakeStockId(600000, 1), DT_KLINE_DAY, 1000);
  ASSERT_EQ(series->GetCount(), 1000);
  for (const auto& line : ComputedArrays(KindNamed("RSI"), series.get())) {
    for (float v : line) {
      EXPECT_GE(v, 0.0f);
      EXPECT_LE(v, 100.0f);
    }
  }
}

TEST(IndicatorCompute, KdjDecaysTowardZeroWhileClosesStandStill) {
  // The window holds only closes: highs and lows moving while the closes
  // stand still give RSV 0.
  std::vector<KLineBar> bars = test::WalkBars(30, 5);
  for (int i = 0; i < 60; ++i) bars.push_back(BarOf(9.0f, 9.5f + 0.1f * (i % 3), 8.5f, bars[29].close, 1000.0f));
  auto series = SeriesOf(bars);
  const auto kdj = ComputedArrays(KindNamed("KDJ"), series.get());
  ASSERT_GT(kdj[0][38], 0.0f);
  for (int i = 39; i < 90; ++i) {
    EXPECT_LT(kdj[0][i], kdj[0][i - 1]) << "K, bar " << i;
    EXPECT_LT(kdj[1][i], kdj[1][i - 1]) << "D, bar " << i;
  }
  EXPECT_LT(kdj[0][89], 1e-3f);
  EXPECT_LT(kdj[1][89], 1e-3f);
}

TEST(IndicatorCompute, AdxrAveragesTheAdxOfFiveBarsBefore) {
  auto series = SeriesOf(test::WalkBars(120, 9));
  const auto dmi = ComputedArrays(KindNamed("DMI"), series.get());
  int differsFromSixBefore = 0;
  for (int i = 25; i < 120; ++i) {
    EXPECT_FLOAT_EQ(dmi[3][i], (dmi[2][i - 5] + dmi[2][i]) * 0.5f) << i;
    if (std::fabs(dmi[3][i] - (dmi[2][i - 6] + dmi[2][i]) * 0.5f) > 1e-3f) ++differsFromSixBefore;
  }
  EXPECT_GT(differsFromSixBefore, 50);
}

TEST(IndicatorCompute, WilliamsRIsPositiveWithWindowsShortenedAtTheStart) {
  const std::vector<KLineBar> bars = test::WalkBars(40, 11);
  auto series = SeriesOf(bars);
  const auto wr = ComputedArrays(KindNamed("W&R"), series.get());
  const int periods[2] = {14, 28};
  for (int k = 0; k < 2; ++k) {
    for (int i : {0, 3, 13, 14, 27, 39}) {
      float high = bars[i].high, low = bars[i].low;
      for (int j = std::max(0, i - periods[k] + 1); j <= i; ++j) {
        high = std::max(high, bars[j].high);
        low = std::min(low, bars[j].low);
      }
      EXPECT_NEAR(wr[k][i], (high - bars[i].close) * 100.0 / (high - low), 1e-4) << k << " bar " << i;
      EXPECT_GE(wr[k][i], 0.0f);
    }
  }
}

TEST(IndicatorCompute, NetFlowKeepsOnlyTheSeries) {
  auto series = SeriesOf(test::WalkBars(3), {500.0f, 100.0f, 7.5f}, {200.0f, 400.0f, 7.5f});
  CKIVIndex_NetFlow flow(FALSE, nullptr);
  flow.Compute(series.get());
  EXPECT_EQ(flow.m_nCount, 3);
  EXPECT_EQ(flow.m_pSeries, series.get());
  EXPECT_EQ(flow.m_pData1, nullptr);
  EXPECT_EQ(flow.BarValue(0), 300.0f);
  EXPECT_EQ(flow.BarValue(1), -300.0f);
  EXPECT_EQ(flow.BarValue(2), 0.0f);
  EXPECT_EQ(flow.BarValue(3), 0.0f);
  flow.Compute(nullptr);
  EXPECT_EQ(flow.m_nCount, 0);
}

// --- A merge recomputes from its first changed bar -------------------------

struct Merge {
  const char* name;
  std::function<void(std::vector<KLineBar>&)> change;
  int firstChanged;  // of the 600 bars before
};

TEST(IndicatorCompute, AMergeRecomputesFromItsFirstChangedBarBitForBit) {
  const Merge merges[] = {
      {"the forming bar moves", [](std::vector<KLineBar>& b) { b.back().close += 0.07f; }, 599},
      {"bars are appended",
       [](std::vector<KLineBar>& b) {
         const std::vector<KLineBar> more = test::WalkBars(5, 99);
         b.insert(b.end(), more.begin(), more.end());
       },
       600},
      {"an early bar is adjusted", [](std::vector<KLineBar>& b) { b[100].high += 0.5f; }, 100},
      {"the volume of a bar changes", [](std::vector<KLineBar>& b) { b[590].volume += 1.0f; }, 590},
      {"the series shrinks", [](std::vector<KLineBar>& b) { b.resize(550); }, 550},
      {"nothing changes", [](std::vector<KLineBar>&) {}, 600},
  };
  const std::vector<KLineBar> before = test::WalkBars(600, 21);
  for (const Merge& merge : merges) {
    std::vector<KLineBar> after = before;
    merge.change(after);
    auto first = SeriesOf(before);
    auto second = SeriesOf(after);
    for (const IndicatorKind& kind : IndicatorKinds()) {
      if (kind.arrays.empty()) continue;
      SCOPED_TRACE(std::string(merge.name) + ", " + kind.name);
      auto resumed = kind.make(FALSE, nullptr);
      resumed->Compute(first.get());
      resumed->Compute(second.get());
      auto full = kind.make(FALSE, nullptr);
      full->Compute(second.get());
      ASSERT_EQ(resumed->m_nCount, full->m_nCount);
      for (size_t k = 0; k < kind.arrays.size(); ++k) {
        const std::vector<float> a = ResultVector(*resumed, static_cast<int>(k));
        const std::vector<float> b = ResultVector(*full, static_cast<int>(k));
        EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0) << kind.arrays[k];
      }
      // The windowed ones start where the bars first differ; the running
      // ones (KDJ, MACD, OBV, RSI) start at bar 0.
      const std::string name = kind.name;
      const bool running = name == "KDJ" || name == "MACD" || name == "OBV" || name == "RSI";
      EXPECT_EQ(resumed->FirstRecomputedBar(), running ? 0 : merge.firstChanged);
    }
  }
}

}  // namespace
}  // namespace kiv
