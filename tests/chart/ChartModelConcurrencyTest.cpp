// Replies stream in on the network I/O thread (bar replies decoded there,
// ex-rights replies stored under the model's lock) while the UI thread
// switches stocks and periods and toggles 复权: run under ThreadSanitizer.
// Hour bars come by the chart's loading threads, which may outlive the
// chart; the test waits for the last before the tables they were given go.
#include <gtest/gtest.h>

#include <memory>

#include "chart/engine/ChartModel.h"
#include "data/IpConfigTable.h"
#include "net/NetService.h"
#include "platform/sys/Clock.h"
#include "tests/chart/ChartTestSupport.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv {
namespace {

TEST(ChartModelConcurrency, RepliesStreamWhileTheUiThreadSwitchesAndToggles) {
  ResetWindowSystemForTesting();
  g_bFirstKLineLoad = false;
  test::ChartDataFolder data;
  standin::StandinOptions options;
  options.fixedNowUtc = standin::BeijingTime(2026, 3, 16, 14, 0, 0);
  standin::StandinServer server(options);
  ASSERT_TRUE(server.Start()) << server.LastError();
  CNetService service(NetTimings::Fast());
  ASSERT_TRUE(service.AddServer("127.0.0.1", server.MarketPort(), "one"));
  ASSERT_TRUE(server.WaitForConnections(1));
  CIpConfigTable hosts;
  const std::string http = "127.0.0.1:" + std::to_string(server.HttpPort()) + "&x";
  hosts.LoadText("HourBSIp," + http + "\nMinute1BSIp," + http + "\n");
  std::weak_ptr<KLineLoaders> loaders;
  {
    test::RecordingHost host;
    ChartModel model(host, ChartServices{&service, nullptr, &hosts});
    host.model = &model;
    loaders = model.Loaders();
    model.OnShowWindow(TRUE);
    const StockId stocks[] = {MakeStockId(600000, 1), MakeStockId(600004, 1), MakeStockId(2, 2)};
    const DataType periods[] = {kDataTypeDay, kDataTypeDay, kDataTypeMin5, kDataTypeHour};
    for (int round = 0; round < 40; ++round) {
      StockId id = stocks[round % 3];
      model.SetStock(&id, periods[round % 4]);
      for (int k = 0; k < 5; ++k) {
        PumpPendingMessages();
        model.ToggleExRights();
        model.OnTimer(kPollTimerId);  // polls again at once
      }
    }
    // Let the last requests land before the chart goes.
    PumpUntil([&] { return !model.IsReplaceMode(); }, 20000);
    host.DestroyWindow();
  }
  service.Shutdown();
  server.Stop();
  // Loading threads are never joined, and each holds the loaders until it
  // ends: the last must be gone before the tables they were given go.
  EXPECT_TRUE(PumpUntil([&] { return loaders.expired(); }, 30000)) << "a loading thread is still running";
  ResetWindowSystemForTesting();
}

}  // namespace
}  // namespace kiv
