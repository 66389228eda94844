// Several threads issue requests while the server drops and reopens the
// link: every request that may be resent is answered exactly once, no
// handler runs twice, and nothing runs after stop.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "net/SocketItemQueue.h"
#include "tests/net/NetTestSupport.h"
#include "tools/standin/serve/StandinServer.h"

namespace {

using namespace std::chrono_literals;
using nettest::WaitUntil;

TEST(NetConcurrencyTest, ThreadsSendWhileTheLinkDropsAndReopens) {
  kiv::standin::StandinOptions options;
  options.keepAlive = 200ms;
  options.fixedNowUtc = kiv::standin::BeijingTime(2026, 3, 16, 10, 30, 0);
  kiv::standin::StandinServer server(options);
  ASSERT_TRUE(server.Start()) << server.LastError();
  auto service = std::make_unique<CNetService>(NetTimings::Fast());
  ASSERT_TRUE(service->AddServer("127.0.0.1", server.MarketPort(), "A"));
  ASSERT_TRUE(service->AddServer("127.0.0.1", server.MarketPort(), "B"));

  constexpr int kThreads = 4;
  constexpr int kPerThread = 150;
  constexpr int kTotal = kThreads * kPerThread;
  std::vector<std::atomic<int>> calls(kTotal);
  std::vector<std::atomic<bool>> accepted(kTotal);
  std::atomic<bool> stopped{false};
  std::atomic<int> afterStop{0};

  auto handlerFor = [&](int tag) {
    return [&, tag](KivNetPack& payload, const uint32_t& type, const uint32_t&) {
      if (stopped) ++afterStop;
      ++calls[tag];
      return true;
    };
  };

  std::vector<std::thread> senders;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([&, t]() {
      for (int i = 0; i < kPerThread; ++i) {
        const int tag = t * kPerThread + i;
        KivNetPack payload;
        payload.SetInt32(tag, FIELD_STOCK_ID, 0);
        const uint32_t type = DT_QUOTE;
        // Every other request may be sent again after a lost link.
        const bool noResend = (tag % 2) == 0;
        accepted[tag] = service->Manager().SendRequest(handlerFor(tag), &payload, &type, 0, noResend);
        std::this_thread::sleep_for(3ms);
      }
    });
  }
  // Each round waits for the client to be back before dropping it again, so
  // that every drop hits a live link.
  std::thread dropper([&]() {
    for (uint64_t round = 1; round <= 4; ++round) {
      if (!server.WaitForConnections(round)) return;
      std::this_thread::sleep_for(40ms);
      server.DropAndReopen(30ms);
    }
  });
  for (auto& t : senders) t.join();
  dropper.join();
  EXPECT_TRUE(WaitUntil([&] { return server.AcceptedConnectionCount() >= 5; }));

  // Every request without the no-resend flag is answered in the end.
  for (int tag = 1; tag < kTotal; tag += 2) {
    ASSERT_TRUE(accepted[tag]) << tag;
    ASSERT_TRUE(WaitUntil([&] { return calls[tag].load() == 1; }, 20s)) << tag;
  }
  // The others: answered at most once.
  for (int tag = 0; tag < kTotal; tag += 2) EXPECT_LE(calls[tag].load(), 1) << tag;

  service->StopConnection();
  stopped = true;
  const uint32_t type = DT_QUOTE;
  KivNetPack payload;
  EXPECT_FALSE(service->Manager().SendRequest(handlerFor(0), &payload, &type, 0, false));
  service.reset();
  EXPECT_EQ(0, afterStop.load());
}

TEST(NetConcurrencyTest, PostingFromManyThreadsKeepsOneItemPerKey) {
  CIocpSocket store;
  int window = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t]() {
      for (uint32_t i = 0; i < 200; ++i) {
        store.PostItem(MakeSocketItem(&window, 1154, 0, 655360000, i % 50));
        store.PostItem(MakeSocketItem(nullptr, 0, 0, 0, i));
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(50u, store.RequestCount());
  EXPECT_EQ(800u, store.UnaddressedCount());
  EXPECT_EQ(CIocpSocket::kPoolLimit, store.PoolCount());
}

}  // namespace
