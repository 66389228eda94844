// The interval statistics dialog against the stand-in's own finance reply
// (20000055): a share with a share-capital history gets its turnover, the
// same as the statistics computed from the history the stand-in serves.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/IntervalStatistics.h"
#include "tests/chart/dialogs/IntervalDialogTestSupport.h"

namespace kiv::test {
namespace {

class IntervalDialogStandinTest : public IntervalDialogTest {
 protected:
  // The history the stand-in serves for a stock, read as the dialog reads it.
  CapitalHistory ServedHistory(StockId stock) {
    auto history = std::make_shared<CapitalHistory>();
    auto decoded = std::make_shared<std::atomic<int>>(0);  // 1 decoded, -1 not
    EXPECT_TRUE(service_.RequestFinance(
        [history, decoded](KivNetPack& reply, const uint32_t&, const uint32_t&) {
          decoded->store(DecodeCapitalReply(reply, history.get()) ? 1 : -1);
          return true;
        },
        0, 512, 0, stock));
    EXPECT_TRUE(PumpUntil([&] { return decoded->load() != 0; }, 20000));
    EXPECT_EQ(decoded->load(), 1);
    return *history;
  }
};

TEST_F(IntervalDialogStandinTest, AShareWithCapitalGetsTheTurnoverOfTheServedHistory) {
  const CapitalHistory served = ServedHistory(kShare);
  ASSERT_FALSE(served.rows.empty());
  EXPECT_EQ(served.stock, kShare);
  ASSERT_GT(served.rows.back().capital, 0);
  // Five day bars from the day after the last quarter end served.
  std::vector<KLineBar> bars = DayBars(5);
  const int64_t shift = LocalMidnightOf(served.rows.back().date) + kDaySeconds + 15 * 3600 - bars[0].time;
  for (KLineBar& bar : bars) {
    bar.time += shift;
    bar.volume = 3000000;
  }
  const IntervalStatistics expected = ComputeIntervalStatistics(bars.data(), 1, 4, kDataTypeDay, served.rows);
  ASSERT_NE(expected.texts[kIntervalTurnover], "0.00%");

  CKiv_Dlg_Interval& dialog = Make();
  ASSERT_TRUE(dialog.SetData(Stock(kShare, "浦发银行"), bars.data(), 5, 1, 4, kDataTypeDay, 0));
  RunModal(dialog, [&](ModalDriver& d) {
    ASSERT_TRUE(WaitShown(d, dialog));
    EXPECT_TRUE(WaitForTurnover(d, dialog, expected.texts[kIntervalTurnover]));
    d.OnUi([&] { dialog.EndDialog(IDOK); });
  });
  EXPECT_EQ(dialog.CapitalStock(), kShare);
  EXPECT_GT(dialog.Results().turnover, 0);
}

}  // namespace
}  // namespace kiv::test
