// The request layer against the stand-in server on loopback: ids, routing,
// queueing, duplicates, batches, pushes, status messages, framing faults,
// silence, reconnection with rotation, re-queue rules and stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"
#include "tests/net/NetTestSupport.h"
#include "tools/standin/serve/StandinServer.h"

namespace {

using namespace std::chrono_literals;
using kiv::standin::LoggedRequest;
using kiv::standin::MalformedFrame;
using kiv::standin::StandinOptions;
using kiv::standin::StandinServer;
using nettest::WaitUntil;

// What handlers saw, in call order.
struct Calls {
  struct Call {
    uint32_t type;
    uint32_t extra;
    int32_t status;  // field 300001 of the payload, 0 when absent
    std::thread::id thread;
    int tag;
  };
  std::mutex mutex;
  std::vector<Call> calls;

  PacketHandler Handler(int tag) {
    return [this, tag](KivNetPack& payload, const uint32_t& type, const uint32_t& extra) {
      int32_t status = payload.GetFieldSize(FIELD_STATUS) ? payload.GetInt32(FIELD_STATUS, 0) : 0;
      std::lock_guard<std::mutex> lock(mutex);
      calls.push_back(Call{type, extra, status, std::this_thread::get_id(), tag});
      return true;
    };
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(mutex);
    return calls.size();
  }
  std::vector<Call> Get() {
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
  }
  std::vector<int> Tags() {
    std::vector<int> tags;
    for (const Call& c : Get()) tags.push_back(c.tag);
    return tags;
  }
};

StandinOptions FastStandin() {
  StandinOptions options;
  options.keepAlive = 500ms;
  options.fixedNowUtc = kiv::standin::BeijingTime(2026, 3, 16, 10, 30, 0);
  return options;
}

class ManagerFixture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()) << server_.LastError(); }
  void Connect() {
    ASSERT_TRUE(service_->AddServer("127.0.0.1", server_.MarketPort(), "A"));
    ASSERT_TRUE(WaitUntil([&] { return service_->Manager().IsConnected(); }));
    // The session is serving once the heartbeat sent on connect is counted:
    // switches and pushes from now on reach it.
    ASSERT_TRUE(server_.WaitForHeartbeats(1));
  }
  // A request with a distinct payload, so that it is never a duplicate.
  bool Send(int tag, bool noResend = true, uint32_t type = DT_TICKS) {
    KivNetPack payload;
    payload.SetInt32(tag, FIELD_STOCK_ID, 0);
    return service_->Manager().SendRequest(calls_.Handler(tag), &payload, &type, 0, noResend);
  }
  std::vector<LoggedRequest> Logged(uint32_t type = DT_TICKS) { return server_.RequestsOfType(type); }

  StandinServer server_{FastStandin()};
  Calls calls_;
  // The manager's tests watch links closed for silence: a short time-out.
  static NetTimings ManagerTimings() {
    NetTimings t = NetTimings::Fast();
    t.inactivityTimeout = std::chrono::milliseconds(3000);
    return t;
  }
  std::unique_ptr<CNetService> service_ = std::make_unique<CNetService>(ManagerTimings());
};

TEST_F(ManagerFixture, NumbersRequestsFrom1001AndHeartbeatsWith1000) {
  Connect();
  ASSERT_TRUE(server_.WaitForHeartbeats(1));  // sent right after the connect
  ASSERT_TRUE(Send(1));
  ASSERT_TRUE(Send(2));
  ASSERT_TRUE(server_.WaitForRequests(2));
  const auto log = Logged();
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ(1001u, log[0].header.requestId);
  EXPECT_EQ(1002u, log[1].header.requestId);
  EXPECT_EQ(RequestHeader::kNoResendFlag, log[0].header.flags);
  EXPECT_EQ(0u, log[0].header.extra);
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 2; }));
}

TEST_F(ManagerFixture, RoutesEachReplyToItsHandlerOnTheIoThreadWithTypeAndExtra) {
  Connect();
  ASSERT_TRUE(Send(1, true, DT_QUOTE));
  ASSERT_TRUE(Send(2, true, DT_TICKS));
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 2; }));
  for (const auto& call : calls_.Get()) {
    EXPECT_EQ(call.tag == 1 ? DT_QUOTE : DT_TICKS, call.type);
    EXPECT_EQ(0u, call.extra);
    EXPECT_NE(std::this_thread::get_id(), call.thread);
  }
  EXPECT_EQ(0u, service_->Manager().SentCount());
}

TEST_F(ManagerFixture, QueuesRequestsWhileOfflineAndWritesThemInOrderOnceConnected) {
  for (int tag = 1; tag <= 5; ++tag) ASSERT_TRUE(Send(tag));
  EXPECT_EQ(5u, service_->Manager().PendingCount());
  Connect();
  ASSERT_TRUE(server_.WaitForRequests(5));
  const auto log = Logged();
  ASSERT_EQ(5u, log.size());
  for (size_t i = 0; i < log.size(); ++i) {
    EXPECT_EQ(1001u + i, log[i].header.requestId);
    EXPECT_EQ(static_cast<int32_t>(i + 1), KivNetPack(log[i].payload).GetInt32(FIELD_STOCK_ID, 0));
  }
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 5; }));
}

TEST_F(ManagerFixture, RefusesADuplicateWhileTheFirstWaitsAndAcceptsItAfterTheReply) {
  Connect();
  server_.SetReplyDelay(300ms);
  ASSERT_TRUE(Send(7));
  EXPECT_FALSE(Send(7));           // in flight
  EXPECT_TRUE(Send(7, false));     // without the flag, no check
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 2; }));
  EXPECT_TRUE(Send(7));            // answered: accepted again
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 3; }));
  EXPECT_EQ(3u, Logged().size());  // the refused one never went out
}

TEST_F(ManagerFixture, RefusesADuplicateOfAQueuedRequest) {
  ASSERT_TRUE(Send(9));
  EXPECT_FALSE(Send(9));
  EXPECT_EQ(1u, service_->Manager().PendingCount());
}

TEST_F(ManagerFixture, CallsTheHandlersOfABatchReplyInFieldOrder) {
  Connect();
  server_.SetBatchSize(3);
  for (int tag = 1; tag <= 3; ++tag) ASSERT_TRUE(Send(tag));
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 3; }));
  EXPECT_EQ((std::vector<int>{1, 2, 3}), calls_.Tags());
}

TEST_F(ManagerFixture, HandsPushesToThePushHandlerAndIgnoresUnknownIdsAndHeartbeats) {
  service_->SetPushHandler(calls_.Handler(-1));
  Connect();
  server_.PushForcedLogout(6, "10.0.0.1");
  server_.Push(MSG_HEARTBEAT, 1000, KivNetPack());
  server_.Push(DT_TICKS, 99999, KivNetPack());  // no such request
  server_.Push(MSG_PUSH_NOTICE, 0, KivNetPack());
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 2; }));
  const auto got = calls_.Get();
  EXPECT_EQ(MSG_PUSH_LOGOUT, got[0].type);
  EXPECT_EQ(6, got[0].status);
  EXPECT_EQ(MSG_PUSH_NOTICE, got[1].type);
  // The ignored messages arrived before the notice: nothing else came.
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(2u, calls_.Count());
}

TEST_F(ManagerFixture, PausesOnSixBadStatusMessagesAndPushesTheSeventhAsType101) {
  service_->SetPushHandler(calls_.Handler(-1));
  Connect();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 6; ++i) server_.PushStatus(0);
  // A request answered after the six: by then all six pauses are over, and
  // none of them reached the push handler.
  ASSERT_TRUE(Send(1));
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 1; }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 6 * NetTimings::Fast().statusPause);
  EXPECT_EQ(1, calls_.Get()[0].tag);
  server_.PushStatus(0);
  server_.PushStatus(0);
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 3; }));
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(MSG_PUSH_LOGOUT, calls_.Get()[i].type);
    EXPECT_EQ(2, calls_.Get()[i].status);
  }
}

TEST_F(ManagerFixture, AGoodStatusResetsTheCount) {
  service_->SetPushHandler(calls_.Handler(-1));
  Connect();
  for (int i = 0; i < 5; ++i) server_.PushStatus(0);
  server_.PushStatus(1);
  for (int i = 0; i < 6; ++i) server_.PushStatus(0);
  ASSERT_TRUE(Send(1));
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 1; }));
  EXPECT_EQ(1, calls_.Get()[0].tag);  // eleven bad ones in all, none pushed
}

TEST_F(ManagerFixture, ReconnectsAfterFramesThatBreakTheLinkAndSkipsUndecodableOnes) {
  struct Case {
    MalformedFrame kind;
    bool breaks;
  };
  const Case cases[] = {
      {MalformedFrame::UnknownMethod, false}, {MalformedFrame::BadDeflate, false},
      {MalformedFrame::BadSignature, true},   {MalformedFrame::ZeroLength, true},
      {MalformedFrame::OversizedLength, true}, {MalformedFrame::ShortBody, true},
      {MalformedFrame::NotAPack, true},
  };
  Connect();
  uint64_t accepted = server_.AcceptedConnectionCount();
  int tag = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    server_.SendMalformedFrame(c.kind);
    if (c.breaks) {
      ++accepted;
      ASSERT_TRUE(server_.WaitForConnections(accepted));
      ASSERT_TRUE(WaitUntil([&] { return service_->Manager().IsConnected(); }));
    }
    // Either way the link (old or new) answers the next request.
    const size_t before = calls_.Count();
    ASSERT_TRUE(Send(++tag));
    ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == before + 1; }));
    EXPECT_EQ(accepted, server_.AcceptedConnectionCount());
  }
}

TEST_F(ManagerFixture, ClosesASilentLinkAndConnectsAgain) {
  Connect();
  server_.SetSilent(true);
  ASSERT_TRUE(server_.WaitForConnections(2));  // after the inactivity time-out and the delay
  server_.SetSilent(false);
  ASSERT_TRUE(Send(1));
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 1; }));
}

TEST_F(ManagerFixture, DropsNoResendRequestsLostWithTheLinkAndResendsTheOthersWithTheirIds) {
  Connect();
  server_.SetSilent(true);
  ASSERT_TRUE(Send(1, true));
  ASSERT_TRUE(Send(2, false));
  ASSERT_TRUE(server_.WaitForRequests(2));
  server_.SetSilent(false);
  server_.CloseConnections();
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 1; }));
  EXPECT_EQ(2, calls_.Get()[0].tag);
  const auto log = Logged();
  ASSERT_EQ(3u, log.size());
  EXPECT_EQ(1002u, log[2].header.requestId);  // the same id again
  EXPECT_EQ(2u, log[2].connection);
  // The dropped request may be asked again: it is no longer a duplicate.
  ASSERT_TRUE(Send(1, true));
  ASSERT_TRUE(WaitUntil([&] { return calls_.Count() == 2; }));
  EXPECT_EQ(1003u, Logged().back().header.requestId);
}

TEST_F(ManagerFixture, SuppressesTheIdleHeartbeatWhileThreeRequestsAreInFlight) {
  Connect();
  ASSERT_TRUE(server_.WaitForHeartbeats(3));  // idle: one every 200 ms
  server_.SetSilent(true);
  for (int tag = 1; tag <= 3; ++tag) ASSERT_TRUE(Send(tag));
  ASSERT_TRUE(server_.WaitForRequests(3));
  const uint64_t before = server_.HeartbeatsReceived();
  std::this_thread::sleep_for(1000ms);  // five intervals, well inside the time-out
  EXPECT_EQ(before, server_.HeartbeatsReceived());
  EXPECT_EQ(1u, server_.AcceptedConnectionCount());
}

TEST_F(ManagerFixture, NoHandlerRunsAfterStopAndSendsAreRefused) {
  service_->SetPushHandler(calls_.Handler(-1));
  Connect();
  server_.SetReplyDelay(200ms);
  ASSERT_TRUE(Send(1));
  ASSERT_TRUE(server_.WaitForRequests(1));
  service_->StopConnection();
  EXPECT_FALSE(Send(2));
  server_.PushForcedLogout();
  std::this_thread::sleep_for(500ms);  // past the reply delay and the reconnect delay
  EXPECT_EQ(0u, calls_.Count());
  EXPECT_EQ(1u, server_.AcceptedConnectionCount());
}

TEST_F(ManagerFixture, DestroyingTheServiceDropsEveryRequestWithoutCallingItsHandler) {
  Connect();
  server_.SetSilent(true);
  ASSERT_TRUE(Send(1));
  ASSERT_TRUE(server_.WaitForRequests(1));
  for (int tag = 2; tag <= 4; ++tag) ASSERT_TRUE(Send(tag));
  service_.reset();
  EXPECT_EQ(0u, calls_.Count());
}

TEST_F(ManagerFixture, AddServerRefusesHostsThatAreNotNumericIpv4AndBadPorts) {
  struct Case {
    const char* host;
    int32_t port;
  };
  const Case cases[] = {{"", 6200},          {"localhost", 6200}, {"::1", 6200},     {"1.2.3", 6200},
                        {"127.0.0.1 ", 6200}, {"256.0.0.1", 6200}, {"127.0.0.1", 0},  {"127.0.0.1", -1},
                        {"127.0.0.1", 65536}};
  for (const Case& c : cases) EXPECT_FALSE(service_->AddServer(c.host, c.port, "x")) << c.host << " " << c.port;
  EXPECT_EQ("", service_->GetServerAddress());
  EXPECT_EQ(0u, service_->Manager().GetCurrentServer().port);
}

// ---- several servers ----

class RotationFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto& s : servers_) {
      s = std::make_unique<StandinServer>(FastStandin());
      ASSERT_TRUE(s->Start()) << s->LastError();
    }
  }
  // Which server the client is connected to now, by its open connection.
  int Connected() {
    for (int i = 0; i < 3; ++i)
      if (servers_[i]->OpenConnectionCount() > 0) return i;
    return -1;
  }
  int NextAfterClosing(int current) {
    servers_[current]->CloseConnections();
    int next = -1;
    EXPECT_TRUE(WaitUntil([&] {
      next = Connected();
      return next >= 0 && next != current;
    }));
    return next;
  }

  std::unique_ptr<StandinServer> servers_[3];
  CNetService service_{NetTimings::Fast()};
};

TEST_F(RotationFixture, TwoServersAlternateAndOnlyTheFirstIsConnectedAtOnce) {
  ASSERT_TRUE(service_.AddServer("127.0.0.1", servers_[0]->MarketPort(), "A"));
  ASSERT_TRUE(service_.AddServer("127.0.0.1", servers_[1]->MarketPort(), "B"));
  ASSERT_TRUE(servers_[0]->WaitForConnections(1));
  EXPECT_EQ(0u, servers_[1]->AcceptedConnectionCount());
  EXPECT_EQ("A", service_.GetServerAddress());
  int current = 0;
  std::vector<int> order{0};
  for (int i = 0; i < 3; ++i) order.push_back(current = NextAfterClosing(current));
  EXPECT_EQ((std::vector<int>{0, 1, 0, 1}), order);
  EXPECT_EQ("B", service_.GetServerAddress());
  EXPECT_EQ(4u, service_.Manager().Generation());
}

TEST_F(RotationFixture, ThreeServersGoFirstThenLastThenMiddle) {
  const char* labels[] = {"A", "B", "C"};
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(service_.AddServer("127.0.0.1", servers_[i]->MarketPort(), labels[i]));
  ASSERT_TRUE(servers_[0]->WaitForConnections(1));
  int current = 0;
  std::vector<int> order{0};
  for (int i = 0; i < 3; ++i) order.push_back(current = NextAfterClosing(current));
  EXPECT_EQ((std::vector<int>{0, 2, 1, 0}), order);
}

}  // namespace
