// Writes the fixtures that the independent numpy reference
// (tests/chart/indicators_reference.py) checks: each fixture's bars and
// every array of the twelve indicators computed on them, one text file per
// fixture. The reference's CTest test runs this case with
// KIV_INDICATOR_FIXTURES naming the folder; run alone, it writes into a
// scratch folder and only checks that every fixture was written whole.
//
// Fixture file: "bars N", N lines "open high low close volume inflow
// outflow", then per indicator "indicator NAME" and per array "array NAME N"
// with N lines of values; floats with 9 significant digits, which read back
// to the same float.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/chart/IndicatorTestSupport.h"
#include "tests/support/TestSupport.h"

namespace kiv {
namespace {

struct ReferenceFixture {
  const char* name;
  std::function<std::unique_ptr<CKLineSeries>()> series;  // may give null
};

std::string Float9(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
  return text;
}

// The fixture as text; the number of arrays written through `arrays`.
std::string FixtureText(const CKLineSeries* series, int* arrays) {
  std::string text;
  const int count = series ? series->GetCount() : 0;
  text += "bars " + std::to_string(count) + "\n";
  for (int i = 0; i < count; ++i) {
    const KLineBar& b = series->Bar(i);
    for (float v : {b.open, b.high, b.low, b.close, b.volume, series->Value1(i), series->Value2(i)}) {
      text += Float9(v) + " ";
    }
    text.back() = '\n';
  }
  *arrays = 0;
  for (const test::IndicatorKind& kind : test::IndicatorKinds()) {
    auto indicator = kind.make(FALSE, nullptr);
    indicator->Compute(series);
    text += std::string("indicator ") + kind.name + "\n";
    if (kind.arrays.empty()) {
      // NFI keeps no arrays: its per-bar value, as it draws it.
      const auto* flow = static_cast<const CKIVIndex_NetFlow*>(indicator.get());
      text += "array NET " + std::to_string(indicator->m_nCount) + "\n";
      for (int i = 0; i < indicator->m_nCount; ++i) text += Float9(flow->BarValue(i)) + "\n";
      ++*arrays;
      continue;
    }
    for (size_t k = 0; k < kind.arrays.size(); ++k) {
      const std::vector<float> values = test::ResultVector(*indicator, static_cast<int>(k));
      text += std::string("array ") + kind.arrays[k] + " " + std::to_string(values.size()) + "\n";
      for (float v : values) text += Float9(v) + "\n";
      ++*arrays;
    }
  }
  return text;
}

TEST(IndicatorReferenceExport, WritesEveryFixture) {
  const StockId share = MakeStockId(600000, 1);
  const StockId index = MakeStockId(1, 1);  // 000001, the Shanghai composite: large volumes
  const auto chiNextShares = test::FixtureUniverse().OfGroup(standin::SecurityGroup::kChiNextShare);
  ASSERT_FALSE(chiNextShares.empty());
  const StockId chiNext = chiNextShares.front()->id;  // 20 % daily limits
  const ReferenceFixture fixtures[] = {
      {"day_600000", [&] { return test::StandinSeries(share, DT_KLINE_DAY, 1000); }},
      {"day_000001_index", [&] { return test::StandinSeries(index, DT_KLINE_DAY, 1000); }},
      {"day_chinext", [&] { return test::StandinSeries(chiNext, DT_KLINE_DAY, 400); }},
      {"min5_600000", [&] { return test::StandinSeries(share, DT_KLINE_MIN5, 600); }},
      {"min5_000001_index", [&] { return test::StandinSeries(index, DT_KLINE_MIN5, 600); }},
      {"walk_30", [] { return test::SeriesOf(test::WalkBars(30, 9)); }},
      {"flat_60", [] { return test::SeriesOf(test::FlatBars(60)); }},
      {"one_bar", [] { return test::SeriesOf({test::BarOf(10.0f, 10.4f, 9.8f, 10.1f, 5000.0f)}); }},
      {"two_bars",
       [] {
         return test::SeriesOf({test::BarOf(10.0f, 10.4f, 9.8f, 10.1f, 5000.0f),
                                test::BarOf(10.1f, 10.3f, 9.7f, 9.9f, 7000.0f)});
       }},
      {"null", [] { return std::unique_ptr<CKLineSeries>(); }},
  };
  const char* named = std::getenv("KIV_INDICATOR_FIXTURES");
  test::ScratchFolder scratch("indicator-fixtures");
  const std::string folder = named && *named ? named : scratch.path().string();
  std::filesystem::create_directories(folder);
  for (const ReferenceFixture& fixture : fixtures) {
    SCOPED_TRACE(fixture.name);
    auto series = fixture.series();
    if (series) {
      EXPECT_GT(series->GetCount(), 0);
    }
    int arrays = 0;
    const std::string text = FixtureText(series.get(), &arrays);
    EXPECT_EQ(arrays, 27);  // the twelve indicators' arrays and NFI's values
    const std::string path = folder + "/" + fixture.name + ".txt";
    test::WriteFileBytes(path, text);
    EXPECT_EQ(test::ReadFileBytes(path), text);
  }
}

}  // namespace
}  // namespace kiv
