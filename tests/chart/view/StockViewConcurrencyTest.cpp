// The stock view's member list under threads: replies streaming in on
// another thread (as the network's I/O thread delivers them) while the UI
// thread switches sectors, opens and closes F10 and finally destroys the
// view. ThreadSanitizer runs this file too.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "chart/engine/IndustryMembers.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "tests/chart/view/StockViewHostTestSupport.h"

namespace kiv::test {
namespace {

// Members of ascending codes, falling then rising.
KivNetPack MemberReply(int members) {
  std::vector<IndustryMember> rows;
  for (int i = 0; i < members; ++i) {
    rows.push_back({MakeStockId(600000 + static_cast<uint32_t>(i), 1), 100000 + i, i * 100 - 500});
  }
  return IndustryReply(rows);
}

TEST_F(StockViewHostTest, MemberRepliesStreamWhileTheUiSwitchesSectorsAndOpensF10) {
  ChartDataFolder data;
  CKivDesk_Wnd_KLine& view = OpenView();
  const StockId sectors[] = {kSector880001, MakeStockId(880002, kMarketFourthBoard),
                             MakeStockId(881001, kMarketFourthBoard)};
  Open(sectors[0]);
  // One handler per sector, taken as a request would take it.
  std::vector<PacketHandler> handlers;
  for (StockId sector : sectors) {
    Open(sector);
    handlers.push_back(view.ReplyHandler());
  }
  const std::string serialised = [] {
    std::string out;
    MemberReply(40).GetAllPackData(out);
    return out;
  }();

  std::atomic<bool> stop{false};
  std::atomic<int> delivered{0};
  std::thread io([&] {
    for (int i = 0; !stop.load(); ++i) {
      KivNetPack reply(serialised);
      uint32_t type = DT_STOCK_INDUSTRY, extra = 0;
      handlers[static_cast<size_t>(i) % handlers.size()](reply, type, extra);
      delivered.fetch_add(1);
    }
  });
  for (int round = 0; round < 30; ++round) {
    Open(sectors[static_cast<size_t>(round) % 3]);
    view.PostMessage(WM_KIV_KLINE_KEY_F10, 0, 0);
    Pump();
    (void)view.IndustryRowCount();
    Select(kIdcViewSectorTab, round % 3);
  }
  ASSERT_TRUE(WaitUntil([&] { return delivered.load() > 50; }));
  // The view goes while replies still come: the handlers stop running
  // before its object does.
  CloseView();
  const int after = delivered.load();
  ASSERT_TRUE(WaitUntil([&] { return delivered.load() > after + 20; }));
  stop = true;
  io.join();
}

}  // namespace
}  // namespace kiv::test
