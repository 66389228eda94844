#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "net/FieldIds.h"
#include "tests/tools/standin/StandinClient.h"
#include "tools/standin/serve/ReplyIds.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::standin {
namespace {

using testing::StandinClient;
using namespace std::chrono_literals;

TEST(StandinConcurrencyTest, ManyClientsGetEveryReplyWhileSwitchesChange) {
  StandinOptions options;
  options.keepAlive = 20ms;  // keep-alives interleave with the replies
  StandinServer server(options);
  ASSERT_TRUE(server.Start()) << server.LastError();

  constexpr int kClients = 4;
  constexpr uint64_t kRequests = 40;
  std::atomic<int> failures{0};
  std::atomic<bool> done{false};
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      StandinClient client(server.MarketPort());
      if (!client.IsConnected()) {
        ++failures;
        return;
      }
      const uint32_t type = c % 2 == 0 ? DT_STOCK_TABLE : 20000099;
      for (uint64_t id = 1001; id < 1001 + kRequests; ++id) {
        if (!client.Send(id, type)) ++failures;
      }
      // A change of delay may reorder replies, as the protocol allows; each
      // id must come back exactly once.
      std::set<uint64_t> answered;
      for (uint64_t n = 0; n < kRequests; ++n) {
        std::optional<NetMessage> reply = client.ReadMessage();
        if (!reply || reply->header.type != type || reply->header.requestId < 1001 ||
            reply->header.requestId >= 1001 + kRequests || !answered.insert(reply->header.requestId).second) {
          ++failures;
          return;
        }
      }
    });
  }
  // Meanwhile the test's thread flips switches and reads the log.
  std::thread switches([&] {
    int round = 0;
    while (!done) {
      server.SetReplyDelay(std::chrono::milliseconds(round % 3));
      server.SetBatchSize(round % 2 == 0 ? 0 : 2);
      server.SetFixedNow(BeijingTime(2026, 3, 16, 10, round % 60, 0));
      (void)server.Requests();
      (void)server.OpenConnectionCount();
      ++round;
      std::this_thread::sleep_for(1ms);
    }
    server.SetBatchSize(0);
    server.SetReplyDelay(0ms);
  });
  // Batched replies are flushed once the switch thread turns batching off;
  // the clients therefore finish after it has stopped flipping at the latest.
  const bool allLogged = server.WaitForRequests(kClients * kRequests, 30s);
  done = true;
  switches.join();
  for (std::thread& client : clients) client.join();
  EXPECT_TRUE(allLogged);
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(server.RequestCount(), kClients * kRequests);
}

TEST(StandinConcurrencyTest, StopWhileClientsAreBusyEndsEveryLink) {
  StandinServer server;
  ASSERT_TRUE(server.Start()) << server.LastError();
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int c = 0; c < 3; ++c) {
    clients.emplace_back([&] {
      StandinClient client(server.MarketPort());
      uint64_t id = 1001;
      while (!stop && client.Send(id++, DT_STOCK_TABLE)) {
        if (!client.ReadMessage(2s)) break;
      }
    });
  }
  ASSERT_TRUE(server.WaitForRequests(6));
  server.Stop();
  stop = true;
  for (std::thread& client : clients) client.join();
  EXPECT_FALSE(server.IsRunning());
  EXPECT_EQ(server.OpenConnectionCount(), 0u);
}

}  // namespace
}  // namespace kiv::standin
