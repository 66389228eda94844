// How start-up hands the stored market-data servers to the network
// service: current first, then round robin, the store's current server
// unchanged afterwards.
#include "desk/startup/StoredServers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/Congfig.h"
#include "data/IpConfigTable.h"
#include "tests/support/TestSupport.h"

namespace {

ServerRecord StoredRecord(const std::string& address, const std::string& label) {
  ServerRecord r;
  std::memset(&r, 0, sizeof r);
  std::strncpy(r.address, address.c_str(), 39);
  std::strncpy(r.label, label.c_str(), 39);
  return r;
}

class StoredServersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kiv::test::WriteFileBytes(folder_.File("IPConfig.CSV"),
                              "Data1Ip,10.0.0.1&上海电信一\nData2Ip,10.0.0.2&上海联通二\n");
    CongfigOptions options;
    options.programFolder = folder_.path().string();
    options.serverListUrl = "http://127.0.0.1:1/unused";
    options.startServerListThread = false;
    options.table = &table_;
    store_ = std::make_unique<CCongfig>(options);
  }
  // Hands the servers over, recording "host:port label" per call.
  std::vector<std::string> Hand(uint16_t port, int* handed = nullptr) {
    std::vector<std::string> added;
    const int n = HandStoredServers(*store_, port, [&](const std::string& host, uint16_t p, const std::string& label) {
      added.push_back(host + ":" + std::to_string(p) + " " + label);
      return true;
    });
    if (handed) *handed = n;
    return added;
  }
  std::string Current() {
    ServerRecord r;
    return store_->GetCurrentServer(r) ? std::string(r.address) : std::string("none");
  }

  kiv::test::ScratchFolder folder_;
  CIpConfigTable table_;
  std::unique_ptr<CCongfig> store_;
};

TEST_F(StoredServersTest, ThreeServersWithCurrentTwoGoAsTwoThreeOneAndTwoStaysCurrent) {
  ASSERT_EQ(store_->Load(folder_.File("user.data"), "KivDeskConfig.test"), 1);
  ASSERT_EQ(store_->SetServer(StoredRecord("10.0.0.1", "one"), 1), 1);
  ASSERT_EQ(store_->SetServer(StoredRecord("10.0.0.3", "three"), 3), 1);
  ASSERT_EQ(store_->SetServerAt(StoredRecord("10.0.0.2", "two"), 2), 1);
  ASSERT_EQ(store_->GetServerCount(), 3);
  ASSERT_EQ(Current(), "10.0.0.2");
  int handed = 0;
  EXPECT_EQ(Hand(6200, &handed),
            (std::vector<std::string>{"10.0.0.2:6200 two", "10.0.0.3:6200 three", "10.0.0.1:6200 one"}));
  EXPECT_EQ(handed, 3);
  EXPECT_EQ(Current(), "10.0.0.2");
}

// From each possible current server of three, and with one or none stored.
TEST_F(StoredServersTest, EveryStartingPointGoesRoundOnceOnTheGivenPort) {
  ASSERT_EQ(store_->Load(folder_.File("user.data"), "KivDeskConfig.test"), 1);
  const char* hosts[] = {"10.0.0.1", "10.0.0.2", "10.0.0.3"};
  for (int i = 0; i < 3; ++i) ASSERT_EQ(store_->SetServer(StoredRecord(hosts[i], "s"), i + 1), 1);
  struct Case {
    int current;
    std::vector<std::string> order;
  };
  const Case cases[] = {
      {1, {"10.0.0.1:4100 s", "10.0.0.2:4100 s", "10.0.0.3:4100 s"}},
      {3, {"10.0.0.3:4100 s", "10.0.0.1:4100 s", "10.0.0.2:4100 s"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.current);
    ASSERT_EQ(store_->SetServerAt(StoredRecord(hosts[c.current - 1], "s"), c.current), 1);
    EXPECT_EQ(Hand(4100), c.order);
    EXPECT_EQ(Current(), hosts[c.current - 1]);
  }
}

TEST_F(StoredServersTest, AClosedStoreHandsNothing) {
  int handed = -1;
  EXPECT_TRUE(Hand(6200, &handed).empty());
  EXPECT_EQ(handed, 0);
}

}  // namespace
