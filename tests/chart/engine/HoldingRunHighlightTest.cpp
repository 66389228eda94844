// The run highlight of a hovered holding change, as a table over one
// sequence of signals: which bars get nibble 1 of their confirmation word,
// in which colour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/engine/HoldingRunHighlight.h"

namespace kiv {
namespace {

// Nibble 0 of the signal words: 0 1 4 4 4 3 2 2 1 4.
const std::vector<uint32_t> kSignals = {0x00, 0x01, 0x14, 0x04, 0x04, 0x03, 0x02, 0x102, 0x01, 0x04};

struct RunCase {
  const char* name;
  int state;
  int bar;
  const char* run;  // nibble 1 of each bar's confirmation word
};

class HoldingRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(HoldingRunTest, MarksTheBarsOfTheRun) {
  const RunCase& c = GetParam();
  std::vector<uint32_t> confirm(kSignals.size(), 0x5);  // low nibble kept
  HighlightHoldingRun(kSignals.data(), confirm.data(), static_cast<int>(confirm.size()), c.bar, c.state);
  std::string run;
  for (uint32_t word : confirm) {
    EXPECT_EQ(word & 0xF, 0x5u);
    run += static_cast<char>('0' + ((word >> 4) & 0xF));
  }
  EXPECT_EQ(run, c.run);
  ClearHoldingRun(confirm.data(), static_cast<int>(confirm.size()));
  for (uint32_t word : confirm) EXPECT_EQ(word, 0x5u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HoldingRunTest,
    ::testing::Values(RunCase{"buyOnHoldingBacktoTheBuyPoint", 1, 3, "0110000000"},
                      RunCase{"buyOnEmptyForwardToTheNextBuy", 1, 6, "0000000110"},
                      RunCase{"buyOnSellForward", 1, 5, "0000001110"},
                      RunCase{"buyOnBuyNothing", 1, 1, "0000000000"},
                      RunCase{"sellOnEmptyBackToTheSellPoint", 2, 6, "0000020000"},
                      RunCase{"sellOnHoldingForwardToTheSell", 2, 2, "0002220000"},
                      RunCase{"sellOnSellNothing", 2, 5, "0000000000"},
                      RunCase{"bothOnBuy", 3, 1, "0022220000"},
                      RunCase{"bothOnSell", 3, 5, "0000001110"},
                      RunCase{"bothOnEmpty", 3, 6, "0000020110"},
                      RunCase{"bothOnHolding", 3, 3, "0110220000"},
                      RunCase{"bothOnNoChange", 3, 0, "0222220000"},
                      RunCase{"sellForwardStopsAtTheEnd", 2, 9, "0000000000"},
                      RunCase{"unknownState", 7, 3, "0000000000"},
                      RunCase{"barOutside", 1, 10, "0000000000"}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kiv
