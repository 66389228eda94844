// The blocking socket and the block data exchange against the stand-in's
// block port on loopback, and the reply codec on corrupt input.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "data/TextConvert.h"
#include "net/BlockingSocket.h"
#include "net/KivMessages.h"
#include "tests/support/HostileServer.h"
#include "tests/support/PeakMemory.h"
#include "tests/support/TestSupport.h"
#include "platform/sys/CodePage.h"
#include "tests/net/BlockWindowSupport.h"
#include "tools/standin/market/Universe.h"
#include "tools/standin/serve/BlockServer.h"
#include "tools/standin/serve/MarketService.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv {
namespace {

using standin::BlockRecord;
using standin::BlockReplyMode;
using standin::BuildBlockReply;
using standin::BuildRawBlockReply;
using standin::CompressBlockBody;
using test::RecordingWnd;

using kiv::test::ClosedLoopbackPort;

class ListSource : public DataServerSource {
 public:
  std::vector<DataServerRecord> records;
  size_t current = 0;
  bool Current(DataServerRecord& out) override {
    if (records.empty()) return false;
    out = records[current];
    return true;
  }
  bool Next(DataServerRecord& out) override {
    if (records.empty()) return false;
    current = (current + 1) % records.size();
    out = records[current];
    return true;
  }
};

uint32_t Host32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

class BlockExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystemForTesting();
    ASSERT_TRUE(server_.Start()) << server_.LastError();
    ASSERT_NE(server_.BlockPort(), 0);
    ASSERT_TRUE(window_.Open());
    source_.records = {{"127.0.0.1", "stand-in one", server_.BlockPort()}};
    context_.servers = &source_;
    context_.label = &label_;
    context_.convertName = &WideToAnsiInPlace;
    context_.timings.connectMs = 5000;
    context_.timings.sendMs = 5000;
    context_.timings.firstReadMs = 10000;
    context_.timings.nextReadMs = 10000;
  }
  void TearDown() override {
    window_.DestroyWindow();
    server_.Stop();
    ResetWindowSystemForTesting();
  }
  int Request(uint8_t selector = 1, uint32_t mask = 0x13555) {
    BlockRequestFields fields;
    fields.kind = 1;
    fields.subKind = 0;
    fields.selector = selector;
    fields.value = mask;
    const int result = BlockingRequest(window_.GetSafeHwnd(), socket_, fields, context_);
    PumpPendingMessages();
    return result;
  }
  std::vector<uint32_t> ExpectedKeys(uint8_t selector, uint32_t mask) const {
    std::vector<uint32_t> keys;
    for (const auto& s : server_.Service().GetUniverse().Securities()) {
      if (keys.size() >= 200) break;
      if (!standin::IsAShareGroup(s.group) || (selector != 0 && (s.id >> 24) != selector)) continue;
      if (standin::BlockPick(s.id, mask)) keys.push_back(s.id);
    }
    return keys;
  }

  standin::StandinServer server_;
  RecordingWnd window_;
  ListSource source_;
  DataServerLabel label_;
  BlockContext context_;
  CKivBlockingSocket socket_;
};

TEST_F(BlockExchangeTest, FullReplyIsDecodedAndPostedAndTheLinkIsKept) {
  ASSERT_EQ(Request(1, 0x13555), 0);
  ASSERT_EQ(window_.Messages(), (std::vector<UINT>{WM_KIV_SERVER_CONNECTED, WM_KIV_FORMULA_RESULT}));
  EXPECT_EQ(label_.Get(), "stand-in one");
  EXPECT_TRUE(socket_.IsOpen());

  const std::vector<uint32_t> keys = ExpectedKeys(1, 0x13555);
  ASSERT_FALSE(keys.empty());
  const std::string& result = window_.formulaResults.at(0);
  ASSERT_EQ(Host32(result, 16), keys.size());
  for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(Host32(result, 20 + 20 * i), keys[i]) << i;
  // Names arrive as zero-filled ANSI text.
  const auto* first = server_.Service().GetUniverse().Find(keys[0]);
  ASSERT_NE(first, nullptr);
  std::string name(result.data() + 24, 16);
  name.resize(std::strlen(name.c_str()));
  EXPECT_EQ(name, first->name);

  const auto logged = server_.Block().Requests();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].kind, 1);
  EXPECT_EQ(logged[0].subKind, 0);
  EXPECT_EQ(logged[0].zero, 0u);
  EXPECT_EQ(logged[0].key, (1u << 24) | 0x13555u);

  // A second request uses the open link: no new connection, no new connect message.
  window_.got.clear();
  ASSERT_EQ(Request(2, 0xCAAA), 0);
  EXPECT_EQ(window_.Messages(), (std::vector<UINT>{WM_KIV_FORMULA_RESULT}));
  EXPECT_EQ(server_.Block().AcceptedConnections(), 1u);
  EXPECT_EQ(Host32(window_.formulaResults.at(1), 16), ExpectedKeys(2, 0xCAAA).size());
}

TEST_F(BlockExchangeTest, SplitReplyIsReassembled) {
  server_.Block().SetMode(BlockReplyMode::kSplit);
  ASSERT_EQ(Request(0, 0x13555), 0);
  ASSERT_EQ(window_.formulaResults.size(), 1u);
  EXPECT_EQ(Host32(window_.formulaResults[0], 16), ExpectedKeys(0, 0x13555).size());
}

TEST_F(BlockExchangeTest, SilentServerFailsAfterTheReadWaitAndNextRequestReconnects) {
  server_.Block().SetMode(BlockReplyMode::kSilent);
  context_.timings.firstReadMs = 200;
  EXPECT_EQ(Request(), -1);
  EXPECT_EQ(window_.Messages(), (std::vector<UINT>{WM_KIV_SERVER_CONNECTED, WM_KIV_REQUEST_FAILED}));
  EXPECT_FALSE(socket_.IsOpen());

  server_.Block().SetMode(BlockReplyMode::kNormal);
  window_.got.clear();
  EXPECT_EQ(Request(), 0);
  EXPECT_EQ(window_.Messages(), (std::vector<UINT>{WM_KIV_SERVER_CONNECTED, WM_KIV_FORMULA_RESULT}));
  EXPECT_EQ(server_.Block().AcceptedConnections(), 2u);
}

TEST_F(BlockExchangeTest, ClosedLinkEndsTheRequest) {
  server_.Block().SetMode(BlockReplyMode::kClose);
  EXPECT_EQ(Request(), 0);
  EXPECT_EQ(window_.Messages(), (std::vector<UINT>{WM_KIV_SERVER_CONNECTED, WM_KIV_REQUEST_ENDED}));
  EXPECT_FALSE(socket_.IsOpen());
}

std::string Raw(const std::string& leading, uint32_t count, const std::string& records) {
  std::string raw = leading;
  raw.resize(16, '\0');
  for (int s = 24; s >= 0; s -= 8) raw.push_back(char(count >> s));
  return raw + records;
}

struct BadReply {
  const char* what;
  std::string bytes;
  UINT message;
  int result;
};

TEST_F(BlockExchangeTest, BadRepliesFailOrEndTheRequest) {
  const std::string oneRecordRaw = Raw("", 1, std::string(20, 'x'));
  const std::string body = CompressBlockBody(oneRecordRaw);
  const std::string countTooBig = CompressBlockBody(Raw("", 3, std::string(40, 'x')));
  const std::string noCount = CompressBlockBody(std::string(10, 'y'));
  const std::vector<BadReply> cases = {
      {"first read shorter than the header", std::string("\0\0\0", 3), WM_KIV_REQUEST_FAILED, -1},
      {"total below the header", BuildRawBlockReply(4, 20, ""), WM_KIV_REQUEST_FAILED, -1},
      {"total above the bound", BuildRawBlockReply(10000000, 20, body), WM_KIV_REQUEST_FAILED, -1},
      {"inflated above 64 MiB", BuildRawBlockReply(uint32_t(8 + body.size()), (64u << 20) + 1, body),
       WM_KIV_REQUEST_FAILED, -1},
      {"inflated length 0", BuildRawBlockReply(uint32_t(8 + body.size()), 0, body), WM_KIV_REQUEST_ENDED, 0},
      {"more than the total", BuildRawBlockReply(uint32_t(8 + body.size() - 1), uint32_t(oneRecordRaw.size()), body),
       WM_KIV_REQUEST_FAILED, -1},
      {"not zlib", BuildRawBlockReply(8 + 12, 40, "not a stream"), WM_KIV_REQUEST_FAILED, -1},
      {"inflates beyond the stated length", BuildRawBlockReply(uint32_t(8 + body.size()), 5, body),
       WM_KIV_REQUEST_FAILED, -1},
      {"count beyond the records", BuildRawBlockReply(uint32_t(8 + countTooBig.size()), 76, countTooBig),
       WM_KIV_REQUEST_FAILED, -1},
      {"no count", BuildRawBlockReply(uint32_t(8 + noCount.size()), 10, noCount), WM_KIV_REQUEST_FAILED, -1},
      {"count 0 still delivers", BuildBlockReply("", {}), WM_KIV_FORMULA_RESULT, 0},
  };
  for (const BadReply& c : cases) {
    SCOPED_TRACE(c.what);
    window_.got.clear();
    const std::string bytes = c.bytes;
    // Short replies must not be completed by a later write: close after them.
    server_.Block().SetOverride([bytes](const standin::BlockRequestEntry&) { return bytes; });
    const int result = Request();
    EXPECT_EQ(result, c.result);
    ASSERT_FALSE(window_.got.empty());
    EXPECT_EQ(window_.got.back().msg, c.message);
    if (c.message != WM_KIV_FORMULA_RESULT) {
      EXPECT_FALSE(socket_.IsOpen());
    }
  }
}

TEST_F(BlockExchangeTest, RotatesToTheNextServerAndReportsEachConnect) {
  source_.records = {{"127.0.0.1", "closed", ClosedLoopbackPort()}, {"127.0.0.1", "second", server_.BlockPort()}};
  ASSERT_EQ(Request(), 0);
  EXPECT_EQ(window_.Messages(),
            (std::vector<UINT>{WM_KIV_SERVER_UNREACHABLE, WM_KIV_SERVER_CONNECTED, WM_KIV_FORMULA_RESULT}));
  EXPECT_EQ(source_.current, 1u);
  EXPECT_EQ(label_.Get(), "second");
}

TEST_F(BlockExchangeTest, NoServerReachableFailsWithTheUnreachableLabel) {
  const uint16_t closed = ClosedLoopbackPort();
  source_.records = {{"127.0.0.1", "a", closed}, {"127.0.0.2", "b", closed}};
  EXPECT_EQ(Request(), -1);
  EXPECT_EQ(window_.Messages(),
            (std::vector<UINT>{WM_KIV_SERVER_UNREACHABLE, WM_KIV_SERVER_UNREACHABLE, WM_KIV_REQUEST_FAILED}));
  EXPECT_EQ(label_.Get(), kServerUnreachableLabel);
  EXPECT_FALSE(socket_.IsOpen());

  // No record at all (an empty configuration) is unreachable too.
  source_.records.clear();
  window_.got.clear();
  EXPECT_EQ(Request(), -1);
  EXPECT_EQ(window_.got.back().msg, WM_KIV_REQUEST_FAILED);
}

TEST_F(BlockExchangeTest, ResultForADestroyedWindowIsFreed) {
  // The post fails for a dead handle; the buffer must not leak (LeakSanitizer).
  HWND dead = window_.GetSafeHwnd();
  window_.DestroyWindow();
  BlockRequestFields fields;
  fields.kind = 1;
  fields.value = 0x13555;
  EXPECT_EQ(BlockingRequest(dead, socket_, fields, context_), 0);
  EXPECT_EQ(server_.Block().Requests().size(), 1u);
}

TEST_F(BlockExchangeTest, ATrickledReplyFailsAtTheDeadlineOfTheRequest) {
  // A header announcing 100000 bytes, then one byte every 50 ms: each read
  // comes well within its wait, the whole reply would take over an hour.
  test::HostileServer::Script script;
  script.requestBytes = 12;
  script.opening = BuildRawBlockReply(100000, 100, "");
  script.piece = "z";
  script.interval = std::chrono::milliseconds(50);
  test::HostileServer server(script);
  ASSERT_TRUE(server.ok());
  source_.records = {{"127.0.0.1", "trickle", server.port()}};
  context_.timings.firstReadMs = 5000;
  context_.timings.nextReadMs = 5000;
  context_.timings.requestMs = 400;
  const test::ChildRun run = test::RunInChild([&] {
    const int result = Request();
    std::string report = std::to_string(result);
    for (UINT msg : window_.Messages()) report += " " + std::to_string(msg);
    return report + (socket_.IsOpen() ? " open" : " closed");
  });
  ASSERT_TRUE(run.exited) << run.Describe();
  EXPECT_EQ(run.report, "-1 " + std::to_string(WM_KIV_SERVER_CONNECTED) + " " +
                            std::to_string(WM_KIV_REQUEST_FAILED) + " closed");
  EXPECT_EQ(server.OutlivedConnections(), 0);
  EXPECT_LT(server.BytesSent(), 100000u);
  ExpectPeakBelow(run, 16 * test::kMiB);
}

TEST(BlockTimingsTest, TheRequestDeadlineIsTwiceTheFirstReadsWait) {
  const BlockTimings timings;
  EXPECT_EQ(timings.requestMs, 2 * timings.firstReadMs);
}

TEST(BlockRequestEncoding, IsLittleEndianWithSelectorInTheTopByte) {
  BlockRequestFields fields;
  fields.kind = 0x0201;
  fields.subKind = 0x0403;
  fields.selector = 2;
  fields.value = 0xFF13555;  // only the low 24 bits count
  const auto bytes = EncodeBlockRequest(fields);
  const std::vector<uint8_t> expected = {1, 2, 3, 4, 0, 0, 0, 0, 0x55, 0x35, 0xF1, 2};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
}

TEST(BlockReplyCodec, HeaderBoundsAndCorruptBodies) {
  BlockReplyHeader header;
  const std::string ok = BuildRawBlockReply(9999999, 20, "");
  EXPECT_EQ(ReadBlockReplyHeader(reinterpret_cast<const uint8_t*>(ok.data()), ok.size(), header),
            BlockReplyStatus::kOk);
  EXPECT_EQ(header.total, 9999999u);
  const std::string tooLong = BuildRawBlockReply(10000000, 20, "");
  EXPECT_EQ(ReadBlockReplyHeader(reinterpret_cast<const uint8_t*>(tooLong.data()), tooLong.size(), header),
            BlockReplyStatus::kFailed);

  // Every truncation of a sound reply fails cleanly; the whole one decodes.
  const std::string good = BuildBlockReply("", {{MakeStockId(600000, 1), u"浦发"}, {MakeStockId(1, 2), u"AB"}});
  for (size_t n = 0; n < good.size(); ++n) {
    std::unique_ptr<char[]> out;
    uint32_t count = 0;
    EXPECT_EQ(DecodeBlockReply(reinterpret_cast<const uint8_t*>(good.data()), n, nullptr, out, count),
              BlockReplyStatus::kFailed)
        << n;
  }
  std::unique_ptr<char[]> out;
  uint32_t count = 0;
  ASSERT_EQ(DecodeBlockReply(reinterpret_cast<const uint8_t*>(good.data()), good.size(), &WideToAnsiInPlace, out,
                             count),
            BlockReplyStatus::kOk);
  ASSERT_EQ(count, 2u);
  uint32_t key = 0;
  std::memcpy(&key, out.get() + 40, 4);
  EXPECT_EQ(key, MakeStockId(1, 2));
  EXPECT_STREQ(out.get() + 44, "AB");
  EXPECT_EQ(std::string(out.get() + 24), kiv::EncodeFromUtf16(CP_ACP, u"浦发"));
}

TEST(BlockSocketException, MessageNamesTheStepAndTheCode) {
  struct Case {
    const char* step;
    int code;
    UINT size;
    const char* text;
  };
  const Case cases[] = {
      {"Receive", 0, 64, "Receive error"},
      {"Connect", kWsaTimedOut, 64, "Connect error #10060"},
      {"Connect", kWsaTimedOut, 8, "Connect"},
  };
  for (const Case& c : cases) {
    char text[64];
    std::memset(text, 'z', sizeof(text));
    EXPECT_TRUE(CKivBlockingSocketException(c.step, c.code).GetErrorMessage(text, c.size));
    EXPECT_STREQ(text, c.text);
  }
}

TEST(BlockSocket, ClosedSocketDoesNothingAndRefusedConnectThrows) {
  CKivBlockingSocket socket;
  char buffer[4] = {};
  EXPECT_EQ(socket.Send(buffer, 4, 100), 0);
  EXPECT_EQ(socket.Receive(buffer, 4, 100), 0);
  EXPECT_EQ(socket.SendAll(buffer, 4, 100), 0);
  socket.Create();
  try {
    socket.Connect(CKivBlockingSocket::GetHostByName("127.0.0.1", ClosedLoopbackPort()), 5000);
    FAIL() << "connect to a closed port succeeded";
  } catch (const CKivBlockingSocketException& e) {
    EXPECT_EQ(e.Step(), "Connect");
    EXPECT_EQ(e.ErrorCode(), kWsaConnRefused);
  }
}

}  // namespace
}  // namespace kiv
