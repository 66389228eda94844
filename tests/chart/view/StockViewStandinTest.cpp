// The stock view against the stand-in on loopback at a fixed clock: what
// opening an instrument asks for, the sector's member list and its
// ten-second refresh, and no polling while the view is hidden.
#include <gtest/gtest.h>

#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "requests/RequestProcedures.h"
#include "tests/chart/view/StockViewHostTestSupport.h"
#include "tests/support/StandinLink.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {
namespace {

// Thursday 2026-03-19, 14:05 Beijing: a trading day in the afternoon.
const int64_t kStandinNow = standin::BeijingTime(2026, 3, 19, 14, 5, 0);

class StockViewStandinTest : public StockViewHostTest {
 protected:
  void SetUp() override {
    StockViewHostTest::SetUp();
    clock_.SetUnixTimeMs(kStandinNow * 1000);
    ASSERT_NO_FATAL_FAILURE(ConnectToStandin(server_, service_));
  }
  void TearDown() override {
    CloseView();
    DisconnectFromStandin(server_, service_);
    StockViewHostTest::TearDown();
  }
  CKivDesk_Wnd_KLine& OpenServed() { return OpenView(ChartServices{&service_, nullptr, nullptr}); }

  size_t Logged(DataType type) const { return server_.RequestsOfType(type).size(); }
  // Sends a member-list request of its own and waits until the stand-in
  // logged it: the link keeps order, so every request sent before it is
  // logged too. Each probe asks for other rows, so none is refused as a
  // copy of one still waiting.
  void Probe() {
    const size_t before = Logged(DT_STOCK_INDUSTRY);
    ASSERT_TRUE(service_.RequestStockIndustry([](KivNetPack&, const uint32_t&, const uint32_t&) { return true; },
                                              kShare600000, ++probes_, 1));
    ASSERT_TRUE(PumpUntil([&] { return Logged(DT_STOCK_INDUSTRY) > before; }, 20000));
  }

  int probes_ = 1000;
  ChartDataFolder data_;
  standin::StandinServer server_{StandinAt(kStandinNow)};
  CNetService service_{NetTimings::Fast()};
};

TEST_F(StockViewStandinTest, OpeningAStockAsksForItsBarsAndExRightsOnceAndHiddenItPollsNothing) {
  maker_.missing[StockViewPaneKind::kTickPane] = true;  // opens on the day chart
  CKivDesk_Wnd_KLine& view = OpenServed();
  Open(kShare600000);
  ASSERT_TRUE(PumpUntil([&] { return view.Chart()->Model().Series() != nullptr; }, 20000));
  ASSERT_NO_FATAL_FAILURE(Probe());
  EXPECT_EQ(Logged(kDataTypeDay), 1u);
  EXPECT_EQ(Logged(DT_KLINE_INFO), 1u);
  EXPECT_EQ(Logged(DT_STOCK_INDUSTRY), 1u) << "a share asks for no member list";

  // Shown, the chart polls its bars.
  clock_.Advance(kPollPeriodMs);
  Pump();
  ASSERT_NO_FATAL_FAILURE(Probe());
  EXPECT_EQ(Logged(kDataTypeDay), 2u);

  // Hidden (another page of the main dialog), nothing.
  view.ShowWindow(SW_HIDE);
  Pump();
  for (int i = 0; i < 3; ++i) {
    clock_.Advance(kPollPeriodMs);
    Pump();
  }
  ASSERT_NO_FATAL_FAILURE(Probe());
  EXPECT_EQ(Logged(kDataTypeDay), 2u);
}

TEST_F(StockViewStandinTest, ASectorListsItsMembersAndRefreshesThemEveryTenSeconds) {
  CKivDesk_Wnd_KLine& view = OpenServed();
  Open(kSector880001);
  ASSERT_TRUE(PumpUntil([&] { return maker_.list->RowCount() > 0; }, 20000));
  const size_t members = maker_.list->RowCount();
  EXPECT_LE(members, 200u);
  EXPECT_EQ(static_cast<int>(members), view.IndustryRowCount());
  {
    std::lock_guard<std::mutex> hold(maker_.list->mutex);
    for (const auto& row : maker_.list->rows) {
      EXPECT_EQ(StockMarket(row[0].stock), 0u);
      EXPECT_NE(row[0].stock, 0u);
    }
  }
  EXPECT_EQ(Logged(DT_STOCK_INDUSTRY), 1u);
  standin::LoggedRequest first = server_.RequestsOfType(DT_STOCK_INDUSTRY)[0];
  EXPECT_EQ(static_cast<StockId>(first.payload.GetInt32(FIELD_STOCK_ID, 0)), kSector880001);

  clock_.Advance(kViewIndustryMs - 1);
  Pump();
  clock_.Advance(1);
  Pump();
  ASSERT_TRUE(PumpUntil([&] { return Logged(DT_STOCK_INDUSTRY) == 2u; }, 20000));

  // Another instrument: the next tick ends the refresh.
  Open(kShare600000);
  for (int i = 0; i < 3; ++i) {
    clock_.Advance(kViewIndustryMs);
    Pump();
  }
  const size_t afterSwitch = Logged(DT_STOCK_INDUSTRY);
  ASSERT_NO_FATAL_FAILURE(Probe());
  EXPECT_EQ(Logged(DT_STOCK_INDUSTRY), afterSwitch + 1) << "only the probe";
}

}  // namespace
}  // namespace kiv::test
