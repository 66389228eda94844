// CClientNet against a bare loopback listener: what goes on the wire, which
// frames close the link and which are skipped, and the close rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include <boost/asio/ip/address_v4.hpp>
#include <boost/asio/post.hpp>

#include "net/ClientNet.h"
#include "platform/sys/Trace.h"
#include "tests/net/NetTestSupport.h"

namespace {

using namespace std::chrono_literals;
using nettest::WaitUntil;

// A client on its own I/O thread that records what its callbacks saw.
class ClientFixture : public ::testing::Test {
 protected:
  void Connect(NetTimings timings = NetTimings::Fast()) {
    const boost::asio::ip::tcp::endpoint endpoint(boost::asio::ip::make_address_v4("127.0.0.1"), server_.port());
    client_ = std::make_shared<CClientNet>(
        io_.io(), endpoint,
        [this](const char* data, uint32_t length) {
          std::lock_guard<std::mutex> lock(mutex_);
          received_.emplace_back(data, length);
          return acceptData_.load();
        },
        [this](bool now) { (now ? connects_ : writes_)++; }, [this]() { closes_++; }, timings);
    client_->Connect();
  }
  void ConnectAndAccept() {
    Connect();
    ASSERT_TRUE(server_.Accept());
    ASSERT_TRUE(WaitUntil([&] { return connects_.load() == 1; }));
  }
  std::vector<std::string> Received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

  nettest::RawServer server_;
  nettest::IoThread io_;
  std::shared_ptr<CClientNet> client_;
  std::mutex mutex_;
  std::vector<std::string> received_;
  std::atomic<bool> acceptData_{true};
  std::atomic<int> connects_{0};
  std::atomic<int> writes_{0};
  std::atomic<int> closes_{0};
};

std::string Random(size_t n) {
  std::mt19937 gen(42);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

TEST_F(ClientFixture, FramesBodiesBelow200PlainAndLargerOnesCompressedUnlessZlibCannotShrinkThem) {
  ConnectAndAccept();
  struct Case {
    std::string data;
    uint32_t method;
    uint32_t uncompressed;
  };
  const Case cases[] = {
      {std::string(199, 'x'), 0, 0},
      {std::string(200, 'x'), 1, 200},
      {Random(200), 0, 0},  // sent as it is rather than refused
  };
  for (const Case& c : cases) {
    const int before = writes_.load();
    ASSERT_TRUE(client_->Send(c.data.data(), static_cast<uint32_t>(c.data.size())));
    FrameHeader header;
    std::string body;
    ASSERT_TRUE(server_.ReadFrame(header, body));
    EXPECT_EQ(c.method, header.Method());
    EXPECT_EQ(c.uncompressed, header.uncompressedLength);
    EXPECT_EQ(0u, header.reserved1);
    EXPECT_EQ(0u, header.reserved2);
    EXPECT_EQ(0u, header.flags & ~FrameHeader::kMethodMask);
    std::string back;
    ASSERT_EQ(FrameBodyResult::kOk, DecodeFrameBody(header, body.data(), body.size(), back));
    EXPECT_EQ(c.data, back);
    ASSERT_TRUE(WaitUntil([&] { return writes_.load() == before + 1; }));  // completion reported
  }
}

TEST_F(ClientFixture, RefusesASecondSendWhileAWriteIsInFlight) {
  ConnectAndAccept();
  std::vector<std::string> lines;
  std::mutex linesMutex;
  kiv::SetTraceSinkForTesting([&](const std::string& line) {
    std::lock_guard<std::mutex> lock(linesMutex);
    lines.push_back(line);
  });
  // Hold the I/O thread so that the first write's completion cannot run.
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> holding{false};
  boost::asio::post(io_.io(), [&, released]() {
    holding = true;
    released.wait();
  });
  ASSERT_TRUE(WaitUntil([&] { return holding.load(); }));
  EXPECT_TRUE(client_->Send("one", 3));
  EXPECT_FALSE(client_->Send("two", 3));
  release.set_value();
  kiv::SetTraceSinkForTesting(nullptr);
  {
    std::lock_guard<std::mutex> lock(linesMutex);
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "m_bwrite  buflenth=3,port=" +
                                                                     std::to_string(server_.port()) + "\r\n"));
  }
  ASSERT_TRUE(WaitUntil([&] { return writes_.load() == 1; }));
  EXPECT_TRUE(client_->Send("two", 3));
  FrameHeader header;
  std::string body;
  ASSERT_TRUE(server_.ReadFrame(header, body));
  EXPECT_EQ("one", body);
  ASSERT_TRUE(server_.ReadFrame(header, body));
  EXPECT_EQ("two", body);
}

TEST_F(ClientFixture, RefusesEmptySendsAndSendsAfterClose) {
  ConnectAndAccept();
  EXPECT_FALSE(client_->Send(nullptr, 3));
  EXPECT_FALSE(client_->Send("x", 0));
  client_->close();
  EXPECT_FALSE(client_->Send("x", 1));
  EXPECT_FALSE(client_->IsConnected());
  EXPECT_TRUE(server_.NothingArrives(50ms) || server_.PeerClosed());
}

TEST_F(ClientFixture, DeliversEachBodyAndSkipsFramesItCannotDecode) {
  ConnectAndAccept();
  const std::string good1 = "first message";
  const std::string good2(5000, 'q');  // compressed on the wire
  FrameHeader unknown = FrameHeader::Make(2, 5, 5);
  FrameHeader broken = FrameHeader::Make(kFrameMethodZlib, 5, 100);
  ASSERT_TRUE(server_.Write(nettest::FrameOf(good1)));
  ASSERT_TRUE(server_.Write(FrameBytes(unknown, "abcde")));
  ASSERT_TRUE(server_.Write(FrameBytes(broken, "abcde")));
  ASSERT_TRUE(server_.Write(nettest::FrameOf(good2)));
  ASSERT_TRUE(WaitUntil([&] { return Received().size() == 2; }));
  EXPECT_EQ(good1, Received()[0]);
  EXPECT_EQ(good2, Received()[1]);
  EXPECT_EQ(0, closes_.load());
  EXPECT_TRUE(client_->IsConnected());
}

TEST_F(ClientFixture, ClosesOnceOnEveryFrameThatPutsTheLinkOutOfStep) {
  struct Case {
    const char* name;
    std::string bytes;
    bool serverCloses;
  };
  FrameHeader badSignature = FrameHeader::Make(0, 3, 0);
  badSignature.signature[0] = 'Q';
  const FrameHeader zero = FrameHeader::Make(0, 0, 0);
  const FrameHeader huge = FrameHeader::Make(0, kMaxFrameLength + 1, 0);
  const FrameHeader hugeInflated = FrameHeader::Make(1, 10, kMaxFrameLength + 1);
  const FrameHeader shortBody = FrameHeader::Make(0, 100, 0);
  const Case cases[] = {
      {"bad signature", FrameBytes(badSignature, "abc"), false},
      {"zero length", FrameBytes(zero, ""), false},
      {"body over 64 MiB", FrameBytes(huge, ""), false},
      {"inflated length over 64 MiB", FrameBytes(hugeInflated, std::string(10, 'z')), false},
      {"short body, then the server closes", FrameBytes(shortBody, "only a few bytes"), true},
      {"half a header, then the server closes", std::string("qwt48"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    closes_ = 0;
    connects_ = 0;
    ConnectAndAccept();
    ASSERT_TRUE(server_.Write(c.bytes));
    if (c.serverCloses) server_.CloseConnection();
    ASSERT_TRUE(WaitUntil([&] { return closes_.load() == 1; }));
    EXPECT_FALSE(client_->IsConnected());
    if (!c.serverCloses) {
      EXPECT_TRUE(server_.PeerClosed());
    }
    EXPECT_TRUE(Received().empty());
  }
}

TEST_F(ClientFixture, ClosesWhenTheDataCallbackRefusesABody) {
  ConnectAndAccept();
  acceptData_ = false;
  ASSERT_TRUE(server_.Write(nettest::FrameOf("refused")));
  ASSERT_TRUE(WaitUntil([&] { return closes_.load() == 1; }));
  EXPECT_TRUE(server_.PeerClosed());
}

TEST_F(ClientFixture, ClosesASilentLinkAfterTheInactivityTimeButNotABusyOne) {
  NetTimings timings = NetTimings::Fast();
  timings.inactivityTimeout = 1000ms;
  Connect(timings);
  ASSERT_TRUE(server_.Accept());
  ASSERT_TRUE(WaitUntil([&] { return connects_.load() == 1; }));
  // Frames every 100 ms for longer than the time-out keep the link up.
  for (int i = 0; i < 15; ++i) {
    ASSERT_TRUE(server_.Write(nettest::FrameOf("tick")));
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_EQ(0, closes_.load());
  EXPECT_TRUE(client_->IsConnected());
  ASSERT_TRUE(WaitUntil([&] { return closes_.load() == 1; }));
  EXPECT_TRUE(server_.PeerClosed());
}

TEST_F(ClientFixture, ClosingTwiceReportsOnce) {
  ConnectAndAccept();
  client_->close();
  client_->close();
  client_->CloseSilently();
  EXPECT_EQ(1, closes_.load());
  EXPECT_TRUE(client_->IsClosed());
  EXPECT_TRUE(server_.PeerClosed());
}

TEST_F(ClientFixture, SilentCloseNeverReports) {
  ConnectAndAccept();
  client_->CloseSilently();
  client_->close();
  EXPECT_TRUE(server_.PeerClosed());
  EXPECT_EQ(0, closes_.load());
}

TEST_F(ClientFixture, AFailedConnectClosesAndReports) {
  uint16_t port = 0;
  {
    nettest::RawServer gone;  // nobody listens on its port once it is destroyed
    port = gone.port();
  }
  const boost::asio::ip::tcp::endpoint endpoint(boost::asio::ip::make_address_v4("127.0.0.1"), port);
  client_ = std::make_shared<CClientNet>(
      io_.io(), endpoint, [](const char*, uint32_t) { return true; }, [this](bool) { connects_++; },
      [this]() { closes_++; }, NetTimings::Fast());
  client_->Connect();
  ASSERT_TRUE(WaitUntil([&] { return closes_.load() == 1; }));
  EXPECT_EQ(0, connects_.load());
  EXPECT_FALSE(client_->Send("x", 1));
}

TEST_F(ClientFixture, AConnectThatIsNeverAnsweredIsAbandonedAfterTheConnectTimeOut) {
  nettest::RawServer full(0);
  full.FillAcceptQueue();
  NetTimings timings = NetTimings::Fast();
  timings.connectTimeout = 200ms;
  const boost::asio::ip::tcp::endpoint endpoint(boost::asio::ip::make_address_v4("127.0.0.1"), full.port());
  client_ = std::make_shared<CClientNet>(
      io_.io(), endpoint, [](const char*, uint32_t) { return true; }, [this](bool) { connects_++; },
      [this]() { closes_++; }, timings);
  const auto start = std::chrono::steady_clock::now();
  client_->Connect();
  ASSERT_TRUE(WaitUntil([&] { return closes_.load() == 1; }));
  EXPECT_GE(std::chrono::steady_clock::now() - start, timings.connectTimeout);
  EXPECT_EQ(0, connects_.load());
  EXPECT_TRUE(client_->IsClosed());
}

}  // namespace
