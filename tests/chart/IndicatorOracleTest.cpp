// The indicators whose formula is the textbook one against a well-known
// library, Tulip Indicators (its one-file C source, fetched at a pinned
// version by scripts/setup-and-test.sh and built into a test-only library):
// the chart's average lines, BIAS's averages and BOLL's middle against SMA,
// BOLL's band against BBANDS with its deviation made the sample one, CCI,
// W&R against WILLR with the sign flipped, OBV up to its constant start, and
// RSI and MACD on the last 200 of 1,000 bars, where the different seeds have
// died out. MACD is built from the library's EMA: its own MACD routine
// replaces the 12- and 26-bar smoothing factors by 0.15 and 0.075.
//
// KDJ, DMI, ARBR, PSY and NFI have no textbook counterpart there.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/engine/ChartLineSet.h"
#include "tests/chart/IndicatorTestSupport.h"

#if defined(KIV_HAVE_INDICATOR_ORACLE)
#include "indicators.h"
#endif

namespace kiv {
namespace {

using test::KindNamed;

constexpr int kOracleBars = 1000;
constexpr int kSettledFrom = kOracleBars - 200;

struct OracleSeries {
  const char* name;
  StockId stock;
};

const OracleSeries kOracleSeries[] = {
    {"share 600000", MakeStockId(600000, 1)},
    {"index 000001", MakeStockId(1, 1)},
};

#if defined(KIV_HAVE_INDICATOR_ORACLE)

// Agreement as the numpy reference judges it: relative 1e-5, or 1e-3
// absolute near 0. The library computes in double precision, the terminal
// in single: a value made from the difference of two prices (CCI, MACD)
// carries their rounding, some 1e-7 of the price. `priceRounding`, when
// given, is per bar how far a change of the price by its own size moves the
// value (the price itself for MACD); 1e-6 of it is allowed as well.
void ExpectAgrees(const float* ours, const std::vector<double>& theirs, int from, int to, const std::string& what,
                  const std::vector<double>& priceRounding = {}) {
  int differing = 0;
  for (int i = from; i < to; ++i) {
    const double diff = std::fabs(ours[i] - theirs[i]);
    const double rounding = priceRounding.empty() ? 0.0 : 1e-6 * priceRounding[i];
    if (diff <= 1e-5 * std::fabs(theirs[i]) || diff <= 1e-3 || diff <= rounding) continue;
    if (++differing <= 5) ADD_FAILURE() << what << "[" << i << "]: ours " << ours[i] << ", oracle " << theirs[i];
  }
  EXPECT_EQ(differing, 0) << what;
}

std::vector<double> ClosesOf(const CKLineSeries& series) {
  std::vector<double> out;
  for (int i = 0; i < series.GetCount(); ++i) out.push_back(series.Bar(i).close);
  return out;
}

// Highs, lows and closes of the first `bars` bars, as the library takes them.
struct HighLowClose {
  std::vector<double> high, low, close;
  HighLowClose(const CKLineSeries& s, int bars) {
    for (int i = 0; i < bars; ++i) {
      high.push_back(s.Bar(i).high);
      low.push_back(s.Bar(i).low);
      close.push_back(s.Bar(i).close);
    }
  }
};

using Routine = int (*)(int, TI_REAL const* const*, TI_REAL const*, TI_REAL* const*);
using StartOf = int (*)(TI_REAL const*);

// Runs a routine of the library on whole-series inputs and returns its
// outputs aligned with the bars (NaN before the routine's first bar).
std::vector<std::vector<double>> RunOracle(Routine routine, StartOf start, const std::vector<std::vector<double>>& inputs,
                                     const std::vector<double>& options, int outputs) {
  const int size = static_cast<int>(inputs[0].size());
  const int first = start(options.data());
  std::vector<const double*> in;
  for (const auto& input : inputs) in.push_back(input.data());
  std::vector<std::vector<double>> aligned(static_cast<size_t>(outputs), std::vector<double>(size, NAN));
  std::vector<std::vector<double>> raw(static_cast<size_t>(outputs), std::vector<double>(size, NAN));
  std::vector<double*> out;
  for (auto& o : raw) out.push_back(o.data());
  EXPECT_EQ(routine(size, in.data(), options.data(), out.data()), TI_OKAY);
  for (int k = 0; k < outputs; ++k) {
    for (int i = first; i < size; ++i) aligned[k][i] = raw[k][i - first];
  }
  return aligned;
}

std::vector<double> Sma(const std::vector<double>& values, int period) {
  return RunOracle(ti_sma, ti_sma_start, {values}, {double(period)}, 1)[0];
}

std::vector<double> Ema(const std::vector<double>& values, int period) {
  return RunOracle(ti_ema, ti_ema_start, {values}, {double(period)}, 1)[0];
}

#endif

class IndicatorOracleTest : public ::testing::Test {
 protected:
  void SetUp() override {
#if !defined(KIV_HAVE_INDICATOR_ORACLE)
    GTEST_SKIP() << "the oracle library's source is not present: scripts/setup-and-test.sh fetches Tulip "
                    "Indicators with npm into build/oracle; configure again afterwards";
#endif
    for (const OracleSeries& s : kOracleSeries) {
      series_.push_back(test::StandinSeries(s.stock, DT_KLINE_DAY, kOracleBars));
      ASSERT_EQ(series_.back()->GetCount(), kOracleBars) << s.name;
    }
  }

  // Computes the named indicator on series k.
  std::unique_ptr<CKIVIndex_Base> Computed(const char* name, size_t k) {
    auto indicator = KindNamed(name).make(FALSE, nullptr);
    indicator->Compute(series_[k].get());
    return indicator;
  }

  std::vector<std::unique_ptr<CKLineSeries>> series_;
};

#if defined(KIV_HAVE_INDICATOR_ORACLE)

TEST_F(IndicatorOracleTest, TheChartsAverageLinesAgreeWithSma) {
  for (size_t k = 0; k < series_.size(); ++k) {
    SCOPED_TRACE(kOracleSeries[k].name);
    const CKLineSeries& series = *series_[k];
    std::vector<double> volumes;
    for (int i = 0; i < series.GetCount(); ++i) volumes.push_back(series.Bar(i).volume);
    ChartLineSet lines;
    const int periods[ChartLineSet::kAverages] = {5, 10, 20, 30, 60};
    for (int a = 0; a < ChartLineSet::kAverages; ++a) lines.priceMAPeriod[a] = lines.volumeMAPeriod[a] = periods[a];
    lines.ComputeAverages(&series, 1);
    lines.ComputeExtraLines(&series, 1);
    auto check = [&](const CMovingAverageLine& line, const std::vector<double>& inputs, const char* what) {
      const int period = line.GetPeriod();
      ASSERT_EQ(line.GetCount(), kOracleBars) << what << " " << period;
      ExpectAgrees(line.Values(), Sma(inputs, period), period - 1, kOracleBars, what + std::to_string(period));
    };
    for (int a = 0; a < ChartLineSet::kAverages; ++a) {
      check(lines.m_PriceMA[a], ClosesOf(series), "price MA ");
      check(lines.m_VolumeMA[a], volumes, "volume MA ");
    }
    for (int a = 0; a < 2; ++a) {
      check(lines.m_PriceLines[a], ClosesOf(series), "price line ");
      check(lines.m_VolumeLines[a], volumes, "volume line ");
    }
  }
}

TEST_F(IndicatorOracleTest, BiasAveragesAndBollsMiddleAgreeWithSma) {
  for (size_t k = 0; k < series_.size(); ++k) {
    SCOPED_TRACE(kOracleSeries[k].name);
    const std::vector<double> closes = ClosesOf(*series_[k]);
    auto bias = Computed("BIAS", k);
    const int periods[3] = {6, 12, 24};
    for (int p = 0; p < 3; ++p) {
      const std::vector<double> sma = Sma(closes, periods[p]);
      std::vector<double> expected(kOracleBars, 0.0);
      for (int i = periods[p] - 1; i < kOracleBars; ++i) expected[i] = (closes[i] - sma[i]) / sma[i] * 100.0;
      ExpectAgrees(test::ResultArray(*bias, p), expected, periods[p] - 1, kOracleBars, "BIAS" + std::to_string(p + 1));
    }
    auto boll = Computed("BOLL", k);
    ExpectAgrees(boll->m_pData1, Sma(closes, 26), 25, kOracleBars, "BOLL MID");
  }
}

TEST_F(IndicatorOracleTest, BollsBandAgreesWithBbandsOfTheSampleDeviation) {
  for (size_t k = 0; k < series_.size(); ++k) {
    SCOPED_TRACE(kOracleSeries[k].name);
    const std::vector<double> closes = ClosesOf(*series_[k]);
    // The library's deviation divides by N; the band's by N - 1.
    const auto bands = RunOracle(ti_bbands, ti_bbands_start, {closes}, {26.0, 2.0}, 3);  // lower, middle, upper
    std::vector<double> upper(kOracleBars, NAN), lower(kOracleBars, NAN);
    const double scale = std::sqrt(26.0 / 25.0);
    for (int i = 25; i < kOracleBars; ++i) {
      upper[i] = bands[1][i] + (bands[2][i] - bands[1][i]) * scale;
      lower[i] = bands[1][i] - (bands[1][i] - bands[0][i]) * scale;
    }
    auto boll = Computed("BOLL", k);
    ExpectAgrees(boll->m_pData1, bands[1], 25, kOracleBars, "MID");
    ExpectAgrees(boll->m_pData2, upper, 25, kOracleBars, "UPPER");
    ExpectAgrees(boll->m_pData3, lower, 25, kOracleBars, "LOWER");
  }
}

TEST_F(IndicatorOracleTest, CciAgreesFromTheLibrarysFirstBar) {
  for (size_t k = 0; k < series_.size(); ++k) {
    SCOPED_TRACE(kOracleSeries[k].name);
    const CKLineSeries& s = *series_[k];
    const HighLowClose bars(s, kOracleBars);
    const std::vector<double>& high = bars.high;
    const std::vector<double>& low = bars.low;
    const std::vector<double>& close = bars.close;
    // The library starts its CCI at bar 2N - 2.
    const std::vector<double> cci = RunOracle(ti_cci, ti_cci_start, {high, low, close}, {14.0}, 1)[0];
    // CCI is TP - MA over 0.015 x MD: a price's rounding moves it by the
    // price over 0.015 x MD.
    std::vector<double> typical(kOracleBars), gain(kOracleBars, 0.0);
    for (int i = 0; i < kOracleBars; ++i) typical[i] = (high[i] + low[i] + close[i]) / 3.0;
    const std::vector<double> average = Sma(typical, 14);
    for (int i = 13; i < kOracleBars; ++i) {
      double deviation = 0;
      for (int j = i - 13; j <= i; ++j) deviation += std::fabs(typical[j] - average[i]);
      gain[i] = deviation > 0 ? typical[i] / (0.015 * deviation / 14.0) : 0.0;
    }
    ExpectAgrees(Computed("CCI", k)->m_pData1, cci, 26, kOracleBars, "CCI", gain);
  }
}

TEST_F(IndicatorOracleTest, WilliamsRAgreesSignFlippedFromBarNMinusOne) {
  for (size_t k = 0; k < series_.size(); ++k) {
    SCOPED_TRACE(kOracleSeries[k].name);
    const CKLineSeries& s = *series_[k];
    const HighLowClose bars(s, kOracleBars);
    const std::vector<double>& high = bars.high;
    const std::vector<double>& low = bars.low;
    const std::vector<double>& close = bars.close;
    auto wr = Computed("W&R", k);
    const int periods[2] = {14, 28};
    for (int p = 0; p < 2; ++p) {
      std::vector<double> flipped = RunOracle(ti_willr, ti_willr_start, {high, low, close}, {double(periods[p])}, 1)[0];
      for (double& v : flipped) v = -v;
      ExpectAgrees(test::ResultArray(*wr, p), flipped, periods[p] - 1, kOracleBars, "WR" + std::to_string(p + 1));
    }
  }
}

TEST_F(IndicatorOracleTest, ObvAgreesUpToItsConstantStart) {
  for (size_t k = 0; k < series_.size(); ++k) {
    SCOPED_TRACE(kOracleSeries[k].name);
    const CKLineSeries& s = *series_[k];
    std::vector<double> close, volume;
    for (int i = 0; i < kOracleBars; ++i) {
      close.push_back(s.Bar(i).close);
      volume.push_back(s.Bar(i).volume);
    }
    std::vector<double> obv = RunOracle(ti_obv, ti_obv_start, {close, volume}, {}, 1)[0];
    auto ours = Computed("OBV", k);
    // A library may start from 0 or from the first volume: the lines agree
    // up to that constant.
    const double offset = ours->m_pData1[0] - obv[0];
    for (double& v : obv) v += offset;
    ExpectAgrees(ours->m_pData1, obv, 0, kOracleBars, "OBV");
  }
}

TEST_F(IndicatorOracleTest, RsiAgreesOnceTheSeedsHaveDiedOut) {
  for (size_t k = 0; k < series_.size(); ++k) {
    SCOPED_TRACE(kOracleSeries[k].name);
    const std::vector<double> closes = ClosesOf(*series_[k]);
    auto rsi = Computed("RSI", k);
    const int periods[3] = {6, 12, 24};
    for (int p = 0; p < 3; ++p) {
      const std::vector<double> theirs = RunOracle(ti_rsi, ti_rsi_start, {closes}, {double(periods[p])}, 1)[0];
      ExpectAgrees(test::ResultArray(*rsi, p), theirs, kSettledFrom, kOracleBars, "RSI" + std::to_string(p + 1));
    }
  }
}

TEST_F(IndicatorOracleTest, MacdAgreesOnceTheSeedsHaveDiedOut) {
  for (size_t k = 0; k < series_.size(); ++k) {
    SCOPED_TRACE(kOracleSeries[k].name);
    const std::vector<double> closes = ClosesOf(*series_[k]);
    const std::vector<double> fast = Ema(closes, 12), slow = Ema(closes, 26);
    std::vector<double> diff(kOracleBars);
    for (int i = 0; i < kOracleBars; ++i) diff[i] = fast[i] - slow[i];
    const std::vector<double> dea = Ema(diff, 9);
    std::vector<double> histogram(kOracleBars);
    for (int i = 0; i < kOracleBars; ++i) histogram[i] = diff[i] - dea[i];
    auto macd = Computed("MACD", k);
    std::vector<float> halved(macd->m_pData3, macd->m_pData3 + kOracleBars);
    for (float& v : halved) v /= 2.0f;  // the terminal's histogram is twice the difference
    // DIFF is the difference of two averages of the price.
    ExpectAgrees(macd->m_pData1, diff, kSettledFrom, kOracleBars, "DIFF", closes);
    ExpectAgrees(macd->m_pData2, dea, kSettledFrom, kOracleBars, "DEA", closes);
    ExpectAgrees(halved.data(), histogram, kSettledFrom, kOracleBars, "MACD / 2", closes);
  }
}

#else

TEST_F(IndicatorOracleTest, NeedsTheOracleLibrary) {}

#endif

}  // namespace
}  // namespace kiv
