// The global objects: built, used by a live connection, and released while
// replies stream in, with the network service stopped first.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "data/GlobalObjects.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "tests/data/DataScratchFolder.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/serve/ServerListService.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv {
namespace {

using namespace std::chrono_literals;

TEST(GlobalObjects, ReleasedCleanlyWhileRepliesStreamIn) {
  test::ScratchFolder folder;
  standin::StandinServer server;
  ASSERT_TRUE(server.Start()) << server.LastError();
  server.SetReplyDelay(20ms);

  GlobalObjectsOptions options;
  options.timings = NetTimings::Fast();
  options.config.programFolder = folder.path().string();
  options.config.serverListUrl =
      "http://127.0.0.1:" + std::to_string(server.ListPort()) + standin::kServerListPath;
  options.watchIniPath = folder.File("system.ini");
  auto globals = std::make_unique<KivGlobalObjects>(options);
  ASSERT_TRUE(globals->Net().AddServer("127.0.0.1", server.MarketPort(), "one"));

  // Handlers read the globals, as the windows' handlers do; each one that
  // runs must find every object still alive (AddressSanitizer checks).
  std::atomic<int> handled{0};
  KivGlobalObjects* g = globals.get();
  for (int i = 0; i < 200; ++i) {
    globals->Net().RequestTicks(
        [g, &handled](KivNetPack&, const uint32_t&, const uint32_t&) {
          (void)g->Stocks().IsEmpty();
          g->ServerLabel().Set("seen");
          ++handled;
          return true;
        },
        MakeStockId(600000 + i, 1));
  }
  ASSERT_TRUE(test::WaitUntil([&] { return handled.load() > 0; }, 10s));
  globals.reset();  // replies still arriving: none may reach a handler now
  const int atRelease = handled.load();
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(handled.load(), atRelease);
  server.Stop();
}

TEST(GlobalObjects, ShutdownEndsTheServerListThreadAndIsRepeatable) {
  test::ScratchFolder folder;
  standin::StandinServer server;
  ASSERT_TRUE(server.Start()) << server.LastError();
  GlobalObjectsOptions options;
  options.timings = NetTimings::Fast();
  options.config.programFolder = folder.path().string();
  options.config.serverListUrl =
      "http://127.0.0.1:" + std::to_string(server.ListPort()) + standin::kServerListPath;
  options.watchIniPath = folder.File("system.ini");
  KivGlobalObjects globals(options);
  globals.Shutdown();
  EXPECT_TRUE(globals.Config().WaitForServerList(0));
  globals.Shutdown();
  // A stopped service sends nothing more.
  EXPECT_FALSE(globals.Net().RequestMarketRisk(PacketHandler()));
}

TEST(GlobalObjects, BlockServersComeFromTheConfigurationStoreOnlyWhenOpen) {
  test::ScratchFolder folder;
  GlobalObjectsOptions options;
  options.config.programFolder = folder.path().string();
  options.config.startServerListThread = false;
  options.watchIniPath = folder.File("system.ini");
  KivGlobalObjects globals(options);
  CongfigDataServerSource source(globals.Config());
  DataServerRecord record;
  EXPECT_FALSE(source.Current(record));
  EXPECT_FALSE(source.Next(record));
  // A connect without a record reports the server unreachable, and nothing is resolved.
  BlockContext context;
  context.servers = &source;
  context.label = &globals.ServerLabel();
  CKivBlockingSocket socket;
  EXPECT_EQ(ConnectDataServer(socket, nullptr, context), -1);
  EXPECT_EQ(globals.ServerLabel().Get(), kServerUnreachableLabel);
  globals.Shutdown();
}

TEST(GlobalObjects, AllStocksRefreshAsksForEveryStockAndQueuesTwoItemsEach) {
  DataScratchFolder data;
  test::ScratchFolder folder;
  standin::StandinServer server;
  ASSERT_TRUE(server.Start()) << server.LastError();
  GlobalObjectsOptions options;
  options.timings = NetTimings::Fast();
  options.config.programFolder = folder.path().string();
  options.config.startServerListThread = false;
  options.watchIniPath = folder.File("system.ini");
  KivGlobalObjects globals(options);
  ASSERT_TRUE(globals.Net().AddServer("127.0.0.1", server.MarketPort(), "one"));

  // An empty table asks nothing and queues nothing.
  EXPECT_EQ(RefreshAllStocks(&globals), 0u);
  EXPECT_EQ(globals.SocketItems().UnaddressedCount(), 0u);

  KivNetPack group;
  const StockId ids[] = {MakeStockId(600000, 1), MakeStockId(1, 2), MakeStockId(2, 2)};
  for (int r = 0; r < 3; ++r) {
    char name[32] = "name";
    group.SetInt32(static_cast<int32_t>(ids[r]), FIELD_STOCK_ID, r);
    group.SetText(name, sizeof name, FIELD_STOCK_NAME, r);
  }
  ASSERT_TRUE(globals.Stocks().FillFromPack(group));
  EXPECT_EQ(RefreshAllStocks(&globals), 0u);
  ASSERT_TRUE(server.WaitForRequests(1));
  const auto logged = server.RequestsOfType(DT_STOCK_RECORDS);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(globals.SocketItems().UnaddressedCount(), 6u);
  globals.Shutdown();
}

}  // namespace
}  // namespace kiv
