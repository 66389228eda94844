#include "tools/standin/serve/StandinServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "data/HttpClient.h"
#include "net/FieldIds.h"
#include "tests/tools/standin/StandinClient.h"
#include "tools/standin/serve/MarketService.h"
#include "tools/standin/serve/ReplyIds.h"

namespace kiv::standin {
namespace {

using testing::StandinClient;
using namespace std::chrono_literals;

constexpr uint32_t kUnknownType = 20000099;

class StandinServerTest : public ::testing::Test {
 protected:
  void SetUp() override { StartServer(std::chrono::seconds(60)); }

  void StartServer(std::chrono::milliseconds keepAlive) {
    StandinOptions options;
    options.seed = 42;
    options.fixedNowUtc = BeijingTime(2026, 3, 16, 10, 30, 0);
    options.keepAlive = keepAlive;
    server_ = std::make_unique<StandinServer>(options);
    ASSERT_TRUE(server_->Start()) << server_->LastError();
    ASSERT_NE(server_->MarketPort(), 0);
  }

  std::unique_ptr<StandinClient> Connect() {
    auto client = std::make_unique<StandinClient>(server_->MarketPort());
    EXPECT_TRUE(client->IsConnected());
    return client;
  }

  static KivNetPack StockPayload(StockId id) {
    KivNetPack payload;
    payload.SetInt32(static_cast<int32_t>(id), FIELD_STOCK_ID, 0);
    return payload;
  }

  std::unique_ptr<StandinServer> server_;
};

TEST_F(StandinServerTest, AnswersTheStockTableByItsIdCompressed) {
  auto client = Connect();
  ASSERT_TRUE(client->Send(1001, DT_STOCK_TABLE));
  std::optional<testing::RawFrame> frame = client->ReadFrame();
  ASSERT_TRUE(frame.has_value());
  ASSERT_EQ(frame->check, FrameHeaderCheck::kOk);
  EXPECT_EQ(frame->header.Method(), kFrameMethodZlib) << "a large reply travels compressed";
  std::string data;
  ASSERT_EQ(DecodeFrameBody(frame->header, frame->body.data(), frame->body.size(), data), FrameBodyResult::kOk);
  std::vector<NetMessage> messages;
  ASSERT_TRUE(ParseMessages(data.data(), data.size(), messages));
  ASSERT_EQ(messages.size(), 1u);
  std::optional<NetMessage> reply = std::move(messages[0]);
  EXPECT_EQ(reply->header.requestId, 1001u);
  EXPECT_EQ(reply->header.type, DT_STOCK_TABLE);
  EXPECT_EQ(reply->header.extra, 0u);
  KivNetPack group;
  ASSERT_TRUE(reply->payload.GetPack(group, GROUP_STOCK_TABLE, 0)) << group.GetErrorText();
  EXPECT_EQ(group.GetRecordCount(), server_->Service().GetUniverse().Securities().size());
}

TEST_F(StandinServerTest, AnswersUnknownTypesWithAnEmptyPayloadAndPipelinedRequestsInOrder) {
  auto client = Connect();
  const uint32_t types[] = {kUnknownType, DT_ALL_STOCKS, DT_USER_ID, DT_STOCK_TABLE, 20000043,
                            kUnknownType + 1, 20000010, 20000017, 20000024, 20000036};
  uint64_t id = 2000;
  for (uint32_t type : types) ASSERT_TRUE(client->Send(id++, type, StockPayload(MakeStockId(600000, 1))));
  id = 2000;
  for (uint32_t type : types) {
    std::optional<NetMessage> reply = client->ReadMessage();
    ASSERT_TRUE(reply.has_value()) << "reply to " << id;
    EXPECT_EQ(reply->header.requestId, id++);
    EXPECT_EQ(reply->header.type, type);
    if (!MarketService::Serves(type)) {
      EXPECT_EQ(reply->payload.GetFieldCount(), 0u) << type;
      EXPECT_EQ(reply->payload.GetRecordCount(), 0u) << type;
    }
  }
}

TEST_F(StandinServerTest, EchoesHeartbeatsAndCountsThemApartFromRequests) {
  auto client = Connect();
  ASSERT_TRUE(client->Send(1000, kTypeHeartbeat));
  std::optional<std::vector<NetMessage>> echo = client->ReadMessages(true);
  ASSERT_TRUE(echo.has_value());
  ASSERT_EQ(echo->size(), 1u);
  EXPECT_EQ((*echo)[0].header.type, kTypeHeartbeat);
  EXPECT_EQ((*echo)[0].header.requestId, kHeartbeatRequestId);
  EXPECT_EQ((*echo)[0].payload.GetFieldCount(), 0u);
  EXPECT_TRUE(server_->WaitForHeartbeats(1));
  EXPECT_EQ(server_->RequestCount(), 0u);
}

TEST_F(StandinServerTest, LogsEveryRequestWithItsPayloadInArrivalOrder) {
  auto first = Connect();
  auto second = Connect();
  ASSERT_TRUE(first->Send(1001, 20000043, StockPayload(MakeStockId(600000, 1))));
  ASSERT_TRUE(first->ReadMessage().has_value());
  ASSERT_TRUE(second->Send(1001, 20000030, StockPayload(MakeStockId(399001, 2))));
  ASSERT_TRUE(second->ReadMessage().has_value());
  ASSERT_TRUE(first->Send(1002, DT_STOCK_TABLE));
  ASSERT_TRUE(first->ReadMessage().has_value());
  ASSERT_TRUE(server_->WaitForRequests(3));

  std::vector<LoggedRequest> log = server_->Requests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].header.type, 20000043u);
  EXPECT_EQ(log[0].header.requestId, 1001u);
  EXPECT_TRUE(log[0].header.NoResend());
  EXPECT_EQ(static_cast<StockId>(log[0].payload.GetInt32(FIELD_STOCK_ID, 0)), MakeStockId(600000, 1));
  EXPECT_EQ(log[1].header.type, 20000030u);
  EXPECT_NE(log[1].connection, log[0].connection);
  EXPECT_EQ(static_cast<StockId>(log[1].payload.GetInt32(FIELD_STOCK_ID, 0)), MakeStockId(399001, 2));
  EXPECT_EQ(log[2].payload.GetFieldCount(), 0u);
  EXPECT_EQ(server_->RequestsOfType(DT_STOCK_TABLE).size(), 1u);

  server_->ClearRequests();
  EXPECT_EQ(server_->RequestCount(), 0u);
}

// A stand-in serving for days keeps its logs at a fixed size: the newest
// requests, and the count of all.
TEST(StandinRequestLog, KeepsTheLastRequestsAndCountsThemAll) {
  StandinOptions options;
  options.requestLogLimit = 5;
  StandinServer server(options);
  ASSERT_TRUE(server.Start()) << server.LastError();
  StandinClient client(server.MarketPort());
  ASSERT_TRUE(client.IsConnected());
  constexpr uint64_t kSent = 12;
  for (uint64_t id = 1; id <= kSent; ++id) {
    ASSERT_TRUE(client.Send(id, id % 2 == 0 ? DT_STOCK_TABLE : kUnknownType));
    ASSERT_TRUE(client.ReadMessage().has_value());
  }
  ASSERT_TRUE(server.WaitForRequests(kSent));
  EXPECT_EQ(server.RequestCount(), kSent);
  const std::vector<LoggedRequest> log = server.Requests();
  ASSERT_EQ(log.size(), 5u);
  for (size_t i = 0; i < log.size(); ++i) EXPECT_EQ(log[i].header.requestId, kSent - 4 + i);
  EXPECT_EQ(server.RequestsOfType(DT_STOCK_TABLE).size(), 3u);  // 8, 10, 12

  server.ClearRequests();
  EXPECT_EQ(server.RequestCount(), 0u);
  EXPECT_TRUE(server.Requests().empty());
}

TEST(StandinRequestLog, BoundedLogDropsTheOldestAndCountsEverything) {
  struct Case {
    size_t limit;
    int added;
    std::vector<int> kept;
  } cases[] = {
      {3, 0, {}},
      {3, 2, {1, 2}},
      {3, 3, {1, 2, 3}},
      {3, 7, {5, 6, 7}},
      {1, 4, {4}},
      {0, 4, {}},  // counts only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "limit " << c.limit << ", " << c.added << " added");
    BoundedLog<int> log(c.limit);
    for (int i = 1; i <= c.added; ++i) log.Add(i);
    EXPECT_EQ(log.Copy(), c.kept);
    EXPECT_EQ(log.Added(), static_cast<uint64_t>(c.added));
    log.Clear();
    EXPECT_EQ(log.Added(), 0u);
    EXPECT_TRUE(log.Entries().empty());
  }
}

TEST_F(StandinServerTest, AcceptsCompressedRequests) {
  // A payload of 200 bytes or more travels compressed, as the terminal sends it.
  KivNetPack payload = StockPayload(MakeStockId(1, 2));
  std::string filler(400, 'x');
  payload.SetText(filler.data(), static_cast<int32_t>(filler.size()), 700000015, 0);
  auto client = Connect();
  ASSERT_TRUE(client->Send(1001, kUnknownType, payload));
  std::optional<NetMessage> reply = client->ReadMessage();
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->header.requestId, 1001u);
  ASSERT_TRUE(server_->WaitForRequests(1));
  EXPECT_EQ(server_->Requests()[0].payload.GetValueText(700000015, 0), filler);
}

TEST_F(StandinServerTest, ClosesALinkThatSendsABrokenHeaderOrABodyThatIsNoRecordSet) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::string junk = "not a record set";
  std::string badSignature = FrameBytes(FrameHeader::Make(0, static_cast<uint32_t>(junk.size()), 0), junk);
  badSignature[1] = 'X';
  const Case cases[] = {
      {"bad signature", badSignature},
      {"zero length", FrameBytes(FrameHeader::Make(0, 0, 0), "")},
      {"oversized", FrameBytes(FrameHeader::Make(0, kMaxFrameLength + 1, 0), "")},
      {"not a pack", FrameBytes(FrameHeader::Make(0, static_cast<uint32_t>(junk.size()), 0), junk)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto client = Connect();
    ASSERT_TRUE(client->SendRaw(c.bytes));
    EXPECT_TRUE(client->WaitForClose());
  }
  // The server itself carries on.
  auto client = Connect();
  ASSERT_TRUE(client->Send(1001, DT_STOCK_TABLE));
  EXPECT_TRUE(client->ReadMessage().has_value());
}

TEST_F(StandinServerTest, SkipsAClientFrameThatDoesNotDecodeAndReadsTheNext) {
  auto client = Connect();
  const std::string garbage(24, '\xFF');
  ASSERT_TRUE(client->SendRaw(FrameBytes(FrameHeader::Make(kFrameMethodZlib, 24, 300), garbage)));
  ASSERT_TRUE(client->SendRaw(FrameBytes(FrameHeader::Make(2, 24, 0), garbage)));
  ASSERT_TRUE(client->Send(1001, kUnknownType));
  std::optional<NetMessage> reply = client->ReadMessage();
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->header.requestId, 1001u);
}

TEST(StandinKeepAliveTest, AnIdleLinkReceivesKeepAliveMessages) {
  StandinOptions options;
  options.keepAlive = std::chrono::milliseconds(50);
  StandinServer server(options);
  ASSERT_TRUE(server.Start()) << server.LastError();
  StandinClient client(server.MarketPort());
  for (int i = 0; i < 3; ++i) {
    std::optional<std::vector<NetMessage>> messages = client.ReadMessages(true);
    ASSERT_TRUE(messages.has_value());
    ASSERT_EQ(messages->size(), 1u);
    EXPECT_EQ((*messages)[0].header.type, kTypeHeartbeat);
    EXPECT_EQ((*messages)[0].header.requestId, kHeartbeatRequestId);
  }
}

TEST_F(StandinServerTest, SilentWithholdsRepliesUntilSwitchedOff) {
  auto client = Connect();
  server_->SetSilent(true);
  ASSERT_TRUE(client->Send(1001, DT_STOCK_TABLE));
  ASSERT_TRUE(client->Send(1000, kTypeHeartbeat));
  ASSERT_TRUE(server_->WaitForRequests(1));
  ASSERT_TRUE(server_->WaitForHeartbeats(1));
  server_->SetSilent(false);
  ASSERT_TRUE(client->Send(1002, kUnknownType));
  // The first thing on the wire is the reply to the request made after the
  // switch: nothing was written for the two before it.
  std::optional<std::vector<NetMessage>> messages = client->ReadMessages(true);
  ASSERT_TRUE(messages.has_value());
  ASSERT_EQ(messages->size(), 1u);
  EXPECT_EQ((*messages)[0].header.requestId, 1002u);
}

TEST_F(StandinServerTest, CloseConnectionsDropsTheLinkAndCountsIt) {
  auto client = Connect();
  ASSERT_TRUE(server_->WaitForConnections(1));
  EXPECT_TRUE(server_->WaitForOpenConnections(1));
  server_->CloseConnections();
  EXPECT_TRUE(client->WaitForClose());
  EXPECT_TRUE(server_->WaitForOpenConnections(0));
  EXPECT_EQ(server_->AcceptedConnectionCount(), 1u);
}

TEST_F(StandinServerTest, SwitchesAimedAtOneConnectionLeaveTheOthersAlone) {
  auto first = Connect();
  auto second = Connect();
  ASSERT_TRUE(server_->WaitForConnections(2));
  // Connections are numbered in accept order; find the first one's number.
  ASSERT_TRUE(first->Send(1001, kUnknownType));
  ASSERT_TRUE(first->ReadMessage().has_value());
  ASSERT_TRUE(server_->WaitForRequests(1));
  const uint64_t firstNumber = server_->Requests()[0].connection;
  server_->CloseConnections(firstNumber);
  EXPECT_TRUE(first->WaitForClose());
  ASSERT_TRUE(second->Send(1001, kUnknownType));
  EXPECT_TRUE(second->ReadMessage().has_value());
}

TEST_F(StandinServerTest, SendsEachKindOfMalformedFrame) {
  struct Case {
    MalformedFrame kind;
    FrameHeaderCheck check;            // what the header check says
    std::optional<FrameBodyResult> body;  // what decoding says, when the header passes
    bool bodyIsPack;
  };
  const Case cases[] = {
      {MalformedFrame::BadSignature, FrameHeaderCheck::kBadSignature, std::nullopt, false},
      {MalformedFrame::ZeroLength, FrameHeaderCheck::kEmptyBody, std::nullopt, false},
      {MalformedFrame::OversizedLength, FrameHeaderCheck::kBodyTooLong, std::nullopt, false},
      {MalformedFrame::UnknownMethod, FrameHeaderCheck::kOk, FrameBodyResult::kUnknownMethod, true},
      {MalformedFrame::BadDeflate, FrameHeaderCheck::kOk, FrameBodyResult::kBadCompression, false},
      {MalformedFrame::NotAPack, FrameHeaderCheck::kOk, FrameBodyResult::kOk, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    auto client = Connect();
    // Make sure the session is up before the switch is aimed at it.
    ASSERT_TRUE(client->Send(1000, kTypeHeartbeat));
    ASSERT_TRUE(client->ReadMessages(true).has_value());
    server_->SendMalformedFrame(c.kind);
    std::optional<testing::RawFrame> frame = client->ReadFrame();
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->check, c.check);
    if (c.body) {
      std::string data;
      EXPECT_EQ(DecodeFrameBody(frame->header, frame->body.data(), frame->body.size(), data), *c.body);
      if (*c.body == FrameBodyResult::kOk) {
        std::vector<NetMessage> messages;
        EXPECT_EQ(ParseMessages(data.data(), data.size(), messages), c.bodyIsPack);
      }
    }
    server_->CloseConnections();
    ASSERT_TRUE(client->WaitForClose());
  }
}

TEST_F(StandinServerTest, ShortBodyFrameIsCutByTheClose) {
  auto client = Connect();
  ASSERT_TRUE(client->Send(1000, kTypeHeartbeat));
  ASSERT_TRUE(client->ReadMessages(true).has_value());
  server_->SendMalformedFrame(MalformedFrame::ShortBody);
  EXPECT_FALSE(client->ReadFrame().has_value()) << "the promised body never completes";
  EXPECT_TRUE(server_->WaitForOpenConnections(0));
}

TEST_F(StandinServerTest, DelayedRepliesStillArriveInOrder) {
  auto client = Connect();
  server_->SetReplyDelay(100ms);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(client->Send(1001, kUnknownType));
  ASSERT_TRUE(client->Send(1002, DT_STOCK_TABLE));
  std::optional<NetMessage> first = client->ReadMessage();
  ASSERT_TRUE(first.has_value());
  EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms) << "held back at least the delay";
  EXPECT_EQ(first->header.requestId, 1001u);
  std::optional<NetMessage> second = client->ReadMessage();
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->header.requestId, 1002u);
}

TEST_F(StandinServerTest, BatchesRepliesIntoOneFrame) {
  auto client = Connect();
  server_->SetBatchSize(3);
  for (uint64_t id = 1001; id <= 1003; ++id) ASSERT_TRUE(client->Send(id, kUnknownType));
  std::optional<std::vector<NetMessage>> batch = client->ReadMessages();
  ASSERT_TRUE(batch.has_value());
  ASSERT_EQ(batch->size(), 3u) << "one frame holds all three";
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ((*batch)[i].header.requestId, 1001 + i);

  // Held replies go out when batching is switched off.
  ASSERT_TRUE(client->Send(1004, kUnknownType));
  ASSERT_TRUE(server_->WaitForRequests(4));
  server_->SetBatchSize(0);
  std::optional<NetMessage> held = client->ReadMessage();
  ASSERT_TRUE(held.has_value());
  EXPECT_EQ(held->header.requestId, 1004u);
}

TEST_F(StandinServerTest, PushesForcedLogoutStatusAndArbitraryMessages) {
  auto client = Connect();
  ASSERT_TRUE(client->Send(1000, kTypeHeartbeat));
  ASSERT_TRUE(client->ReadMessages(true).has_value());

  server_->PushForcedLogout(kLogoutLoggedInElsewhere, "10.1.2.3");
  std::optional<NetMessage> logout = client->ReadMessage();
  ASSERT_TRUE(logout.has_value());
  EXPECT_EQ(logout->header.type, kTypeForcedLogout);
  EXPECT_EQ(logout->payload.GetInt32(FIELD_STATUS, 0), kLogoutLoggedInElsewhere);
  EXPECT_EQ(logout->payload.GetValueText(FIELD_OTHER_LOGIN_IP, 0), "10.1.2.3");

  server_->PushStatus(1);
  std::optional<NetMessage> status = client->ReadMessage();
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(status->header.type, kTypeStatus);
  EXPECT_EQ(status->payload.GetInt32(FIELD_STATUS, 0), 1);

  KivNetPack payload;
  payload.SetInt32(7, FIELD_STATUS, 0);
  server_->Push(kTypePush, 77, payload);
  std::optional<NetMessage> push = client->ReadMessage();
  ASSERT_TRUE(push.has_value());
  EXPECT_EQ(push->header.type, kTypePush);
  EXPECT_EQ(push->header.requestId, 77u);
}

TEST_F(StandinServerTest, SecondLoginOfAUserLogsTheFirstOutOnlyWhenSwitchedOn) {
  KivNetPack user;
  user.SetInt32(10001, FIELD_USER_ID, 0);
  auto first = Connect();
  auto second = Connect();
  ASSERT_TRUE(first->Send(1001, DT_USER_ID, user));
  ASSERT_TRUE(first->ReadMessage().has_value());
  ASSERT_TRUE(second->Send(1001, DT_USER_ID, user));
  ASSERT_TRUE(second->ReadMessage().has_value());
  // Off by default: the first link's next message is its own reply.
  ASSERT_TRUE(first->Send(1002, kUnknownType));
  std::optional<NetMessage> next = first->ReadMessage();
  ASSERT_TRUE(next.has_value());
  EXPECT_EQ(next->header.requestId, 1002u);

  server_->SetLogoutOnDuplicateUser(true);
  auto third = Connect();
  ASSERT_TRUE(third->Send(1001, DT_USER_ID, user));
  ASSERT_TRUE(third->ReadMessage().has_value());
  // The latest older announcer is told; the new link is not.
  std::optional<NetMessage> logout = second->ReadMessage();
  ASSERT_TRUE(logout.has_value());
  EXPECT_EQ(logout->header.type, kTypeForcedLogout);
  EXPECT_EQ(logout->payload.GetInt32(FIELD_STATUS, 0), kLogoutLoggedInElsewhere);
  EXPECT_EQ(logout->payload.GetValueText(FIELD_OTHER_LOGIN_IP, 0), "127.0.0.1");
  ASSERT_TRUE(third->Send(1002, kUnknownType));
  std::optional<NetMessage> own = third->ReadMessage();
  ASSERT_TRUE(own.has_value());
  EXPECT_EQ(own->header.requestId, 1002u);

  // Another user id on another link is no duplicate.
  KivNetPack other;
  other.SetInt32(10002, FIELD_USER_ID, 0);
  ASSERT_TRUE(first->Send(1003, DT_USER_ID, other));
  ASSERT_TRUE(first->Send(1004, kUnknownType));
  std::optional<NetMessage> announced = first->ReadMessage();
  ASSERT_TRUE(announced.has_value());
  EXPECT_EQ(announced->header.requestId, 1003u);
  std::optional<NetMessage> after = first->ReadMessage();
  ASSERT_TRUE(after.has_value());
  EXPECT_EQ(after->header.requestId, 1004u);
}

TEST_F(StandinServerTest, ReplyOverrideReplacesOneTypeUntilRemoved) {
  server_->SetReplyOverride(DT_STOCK_TABLE, [](const LoggedRequest& request) {
    KivNetPack payload;
    payload.SetInt32(static_cast<int32_t>(request.header.requestId), FIELD_STATUS, 0);
    return payload;
  });
  auto client = Connect();
  ASSERT_TRUE(client->Send(1001, DT_STOCK_TABLE));
  std::optional<NetMessage> replaced = client->ReadMessage();
  ASSERT_TRUE(replaced.has_value());
  EXPECT_EQ(replaced->payload.GetInt32(FIELD_STATUS, 0), 1001);

  server_->SetReplyOverride(DT_STOCK_TABLE, nullptr);
  ASSERT_TRUE(client->Send(1002, DT_STOCK_TABLE));
  std::optional<NetMessage> served = client->ReadMessage();
  ASSERT_TRUE(served.has_value());
  KivNetPack group;
  EXPECT_TRUE(served->payload.GetPack(group, GROUP_STOCK_TABLE, 0));
}

TEST_F(StandinServerTest, ReplyOverrideMayPushAndMayFailWithoutHarm) {
  StandinServer* server = server_.get();
  server_->SetReplyOverride(kUnknownType, [server](const LoggedRequest& request) {
    server->PushStatus(1, request.connection);  // written after the reply
    return KivNetPack();
  });
  server_->SetReplyOverride(kUnknownType + 1, [](const LoggedRequest&) -> KivNetPack {
    throw std::runtime_error("broken override");
  });
  auto client = Connect();
  ASSERT_TRUE(client->Send(1001, kUnknownType));
  std::optional<NetMessage> reply = client->ReadMessage();
  ASSERT_TRUE(reply.has_value());
  EXPECT_EQ(reply->header.requestId, 1001u);
  std::optional<NetMessage> status = client->ReadMessage();
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(status->header.type, kTypeStatus);

  ASSERT_TRUE(client->Send(1002, kUnknownType + 1));
  std::optional<NetMessage> failed = client->ReadMessage();
  ASSERT_TRUE(failed.has_value());
  EXPECT_EQ(failed->header.requestId, 1002u) << "answered, with an empty payload";
  EXPECT_EQ(failed->payload.GetFieldCount(), 0u);
}

TEST_F(StandinServerTest, DropAndReopenDropsLinksAndListensAgainOnTheSamePort) {
  const uint16_t port = server_->MarketPort();
  auto client = Connect();
  ASSERT_TRUE(server_->WaitForConnections(1));
  server_->DropAndReopen(0ms);
  EXPECT_TRUE(client->WaitForClose());
  EXPECT_EQ(server_->MarketPort(), port);
  // A new link may race the reopening; retry within the bound.
  std::unique_ptr<StandinClient> again;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < deadline) {
    again = std::make_unique<StandinClient>(port);
    if (again->IsConnected() && again->Send(1001, kUnknownType) && again->ReadMessage(2s)) break;
    again.reset();
  }
  ASSERT_TRUE(again != nullptr);
  EXPECT_GE(server_->AcceptedConnectionCount(), 2u);
}

TEST_F(StandinServerTest, RefusesConnectionsWhileDroppedThenAcceptsAgain) {
  const uint16_t port = server_->MarketPort();
  server_->DropAndReopen(std::chrono::seconds(30));
  // Wait until the listener is gone (the switch runs on the server's thread).
  bool refused = false;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!refused && std::chrono::steady_clock::now() < deadline) {
    refused = !StandinClient(port).IsConnected();
  }
  EXPECT_TRUE(refused);
  server_->DropAndReopen(0ms);  // the latest call decides: listen now
  std::unique_ptr<StandinClient> again;
  const auto reopenDeadline = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < reopenDeadline) {
    again = std::make_unique<StandinClient>(port);
    if (again->IsConnected()) break;
    again.reset();
  }
  ASSERT_TRUE(again != nullptr);
  ASSERT_TRUE(again->Send(1001, kUnknownType));
  EXPECT_TRUE(again->ReadMessage().has_value());
}

TEST_F(StandinServerTest, StopsCleanlyAndStartsAgain) {
  auto client = Connect();
  ASSERT_TRUE(client->Send(1001, kUnknownType));
  ASSERT_TRUE(client->ReadMessage().has_value());
  server_->Stop();
  EXPECT_FALSE(server_->IsRunning());
  EXPECT_TRUE(client->WaitForClose());
  EXPECT_EQ(server_->MarketPort(), 0);
  EXPECT_EQ(server_->RequestCount(), 1u) << "the log outlives a stop";
  server_->Stop();  // twice is harmless

  ASSERT_TRUE(server_->Start()) << server_->LastError();
  EXPECT_FALSE(server_->Start()) << "already running";
  auto again = Connect();
  ASSERT_TRUE(again->Send(1002, DT_STOCK_TABLE));
  EXPECT_TRUE(again->ReadMessage().has_value());

  // A second server in the same test cannot take a port in use.
  StandinOptions clash;
  clash.marketPort = server_->MarketPort();
  StandinServer other(clash);
  EXPECT_FALSE(other.Start());
  EXPECT_FALSE(other.LastError().empty());
}

TEST(StandinPortsTest, PortsLineNamesEveryPort) {
  StandinServer server;
  EXPECT_EQ(server.PortsLine(), "ports market=0 block=0 list=0 http=0");
  ASSERT_TRUE(server.Start()) << server.LastError();
  EXPECT_NE(server.ListPort(), 0);
  EXPECT_NE(server.HttpPort(), 0);
  EXPECT_NE(server.BlockPort(), 0);
  EXPECT_EQ(server.PortsLine(), "ports market=" + std::to_string(server.MarketPort()) +
                                    " block=" + std::to_string(server.BlockPort()) +
                                    " list=" + std::to_string(server.ListPort()) +
                                    " http=" + std::to_string(server.HttpPort()));
  server.Stop();
  EXPECT_EQ(server.PortsLine(), "ports market=0 block=0 list=0 http=0");
}

// The server list names the server's own HTTP port, so a terminal pointed
// at the list finds every other service of the same stand-in.
TEST(StandinPortsTest, ServerListPointsAtTheSameStandin) {
  StandinServer server;
  ASSERT_TRUE(server.Start()) << server.LastError();
  std::string body;
  DWORD error = 0;
  ASSERT_TRUE(HttpGet("http://127.0.0.1:" + std::to_string(server.ListPort()) + "/get&2326&33&", body,
                      error));
  EXPECT_NE(body.find("127.0.0.1:" + std::to_string(server.HttpPort())), std::string::npos) << body;
}

}  // namespace
}  // namespace kiv::standin
