// The configuration store's server-list thread against Load and the
// stand-in's server-list service: Load waits for the fresh list, a bad or
// slow list leaves the old file, and the thread is always joined.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "data/Congfig.h"
#include "data/IpConfigTable.h"
#include "platform/net/HttpTransport.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/serve/ServerListService.h"

namespace {

using kiv::test::ReadFileBytes;
using kiv::test::WriteFileBytes;

const char kTwoServers[] =
    "Data1Ip,10.0.0.1&上海电信一\n"
    "Data2Ip,10.0.0.2&上海联通二\n"
    "DJGIp,127.0.0.1:8080&董监高\n";

class CongfigListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    values_ = kiv::standin::DefaultServerListValues(18080);
    service_ = std::make_unique<kiv::standin::ServerListService>(values_);
    ASSERT_TRUE(service_->Start(0)) << service_->LastError();
  }
  CongfigOptions ThreadOptions() {
    CongfigOptions o;
    o.programFolder = folder_.path().string();
    o.table = &table_;
    o.serverListUrl = "http://127.0.0.1:" + std::to_string(service_->Port()) + kiv::standin::kServerListPath;
    return o;
  }
  std::string ConfigFile() const { return folder_.File("user.dat"); }
  std::string Csv() const { return ReadFileBytes(folder_.File("IPConfig.CSV")); }

  kiv::test::ScratchFolder folder_;
  CIpConfigTable table_;
  kiv::standin::ServerListValues values_;
  std::unique_ptr<kiv::standin::ServerListService> service_;
};

TEST_F(CongfigListTest, LoadWaitsForTheThreadAndUsesTheFreshList) {
  CCongfig store(ThreadOptions());
  ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
  EXPECT_EQ(Csv(),
            "Data1Ip,127.0.0.1&上海电信一\nData2Ip,127.0.0.1&上海联通二\nDJGIp,127.0.0.1:18080&董监高\n"
            "HourBSIp,127.0.0.1:18080&小时\nF10Ip,127.0.0.1:18080&F10\n"
            "Minute1BSIp,127.0.0.1:18080&分钟\nOptionIp,127.0.0.1:18080&期权\n");
  EXPECT_EQ(store.GetServerCount(), 2);
  ServerRecord r;
  ASSERT_EQ(store.GetAuxServer(r), 1);
  EXPECT_STREQ(r.address, "127.0.0.1:18080");
  // Only the file itself: the temporary file was renamed into place.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder_.path())) files += e.path().filename() != "user.dat";
  EXPECT_EQ(files, 1);
}

TEST_F(CongfigListTest, ABadOrSlowListLeavesTheOldFile) {
  WriteFileBytes(folder_.File("IPConfig.CSV"), kTwoServers);
  {
    service_->Server().FailEndpoint(kiv::standin::kServerListPath, 500);
    CCongfig store(ThreadOptions());
    EXPECT_TRUE(store.WaitForServerList(20000));
    service_->Server().FailEndpoint(kiv::standin::kServerListPath, 0);
  }
  EXPECT_EQ(Csv(), kTwoServers);
  {
    kiv::standin::ServerListValues partial = values_;
    partial.erase("OptionIp");
    service_->SetValues(partial);
    CCongfig store(ThreadOptions());
    EXPECT_TRUE(store.WaitForServerList(20000));
    service_->SetValues(values_);
  }
  EXPECT_EQ(Csv(), kTwoServers);
  {
    // A list that does not come within Load's bound: Load goes on with the
    // file there is, and the thread is still joined at the end.
    const kiv::HttpTimeouts saved = kiv::GetHttpTimeouts();
    kiv::SetHttpTimeouts({5000, 1000});
    service_->Server().StallEndpoint(kiv::standin::kServerListPath, true);
    CongfigOptions o = ThreadOptions();
    o.loadWaitMs = 50;
    CCongfig store(o);
    ASSERT_EQ(store.Load(ConfigFile(), "KivCfg"), 1);
    ServerRecord r;
    ASSERT_EQ(store.GetCurrentServer(r), 1);
    EXPECT_STREQ(r.address, "10.0.0.1");
    EXPECT_TRUE(store.WaitForServerList(20000));
    service_->Server().StallEndpoint(kiv::standin::kServerListPath, false);
    kiv::SetHttpTimeouts(saved);
  }
  EXPECT_EQ(Csv(), kTwoServers);
}

}  // namespace
