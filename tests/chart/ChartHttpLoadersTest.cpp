// The chart's HTTP loaders and the life of the chart that started them: the
// loading thread is never joined, so a loader may run after its chart (and
// the tables the chart was given) are gone. A loader reads the host table
// only while the chart lives: one whose chart is gone fetches nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <memory>
#include <string>

#include "chart/engine/ChartBarDelivery.h"
#include "data/IpConfigTable.h"
#include "platform/post/Lifeline.h"
#include "tests/chart/ChartTestSupport.h"
#include "tests/support/HostileServer.h"

namespace kiv {
namespace {

// A server that answers every request with the body "error" and closes.
test::HostileServer::Script ErrorReply() {
  test::HostileServer::Script script;
  script.opening = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nerror";
  script.lifetime = std::chrono::milliseconds(1);
  return script;
}

struct LoaderCase {
  const char* name;
  const char* key;  // the loader's host key in IPConfig.CSV
  StockId stock;
  DataType period;
  void (ChartHttpLoaders::*load)(const KLineLoadJob&);
};

void PrintTo(const LoaderCase& c, std::ostream* out) { *out << c.name; }

std::string PrintLoaderCase(const ::testing::TestParamInfo<LoaderCase>& info) { return info.param.name; }

class ChartHttpLoadersLife : public ::testing::TestWithParam<LoaderCase> {
 protected:
  // Runs the case's loader on this thread for a chart that is alive or gone,
  // with the host table naming `server`; the number of fetches it made.
  int FetchesOfLoader(test::HostileServer& server, bool chartAlive) {
    const LoaderCase& c = GetParam();
    test::ChartDataFolder data;
    CIpConfigTable hosts;
    hosts.LoadText(std::string(c.key) + ",127.0.0.1:" + std::to_string(server.port()) + "&x\n");
    ChartHttpLoaders loaders(&hosts, nullptr);
    Lifeline chart;
    KLineLoadJob job;
    job.stock = c.stock;
    job.period = c.period;
    job.count = 10;
    job.life = chart.Ref();
    if (!chartAlive) chart.Revoke();
    (loaders.*c.load)(job);
    return server.Connections();
  }
};

TEST_P(ChartHttpLoadersLife, FetchesOnlyWhileTheChartLives) {
  test::HostileServer alive(ErrorReply());
  ASSERT_TRUE(alive.ok());
  EXPECT_EQ(FetchesOfLoader(alive, true), 1) << "a live chart's loader asks its host";

  test::HostileServer gone(ErrorReply());
  ASSERT_TRUE(gone.ok());
  EXPECT_EQ(FetchesOfLoader(gone, false), 0) << "a gone chart's loader read its host table";
}

INSTANTIATE_TEST_SUITE_P(
    Loaders, ChartHttpLoadersLife,
    ::testing::Values(
        LoaderCase{"Hour", "HourBSIp", MakeStockId(600000, 1), kDataTypeHour, &ChartHttpLoaders::LoadHourBarsHttp},
        LoaderCase{"Minute", "Minute1BSIp", MakeStockId(600000, 1), kDataTypeMin1,
                   &ChartHttpLoaders::LoadMinuteBarsHttp},
        LoaderCase{"Futures", "OptionIp", MakeStockId(1, kFuturesMarket), kDataTypeDay,
                   &ChartHttpLoaders::LoadFuturesBarsHttp}),
    PrintLoaderCase);

}  // namespace
}  // namespace kiv
