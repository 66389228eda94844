// MarketSession: one connection to the market-data port. It reads frames,
// logs and answers every request by its id, echoes heartbeats, sends its own
// keep-alive, and carries out the test switches that concern one link.
//
// Held by shared_ptr: every pending operation keeps the session alive, and
// each completion handler does one step and starts the next. Everything runs
// on the server's one I/O thread; the public methods must be called there.
//
// Outgoing messages are framed with the terminal's own frame and message
// code and written one at a time from a queue, so replies keep the order in
// which they were queued.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include "net/Frame.h"
#include "net/Message.h"
#include "tools/standin/serve/MarketService.h"
#include "tools/standin/serve/RequestLog.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::standin {

// What every session of one server shares: the market, the log and the
// switches. Switches are read by the sessions at the moment they act.
struct MarketPortState {
  MarketPortState(uint64_t seed, std::optional<int64_t> fixedNowUtc, std::chrono::milliseconds keepAlive,
                  size_t logLimit)
      : keepAlive(keepAlive), service(seed), log(logLimit), fixedNow_(fixedNowUtc) {}

  // The market clock: the fixed instant, or the layer clock's wall time.
  int64_t NowUtc() const;
  void SetFixedNow(std::optional<int64_t> nowUtc);
  // The installed replacement of a type's reply, or an empty function.
  ReplyOverride OverrideOf(uint32_t type) const;
  void SetOverride(uint32_t type, ReplyOverride build);

  const std::chrono::milliseconds keepAlive;
  MarketService service;
  RequestLog log;
  // Told of every user id announcement (20000051), on the I/O thread.
  std::function<void(uint64_t connection, int32_t userId)> onUserAnnounced;
  std::atomic<bool> silent{false};
  std::atomic<int64_t> replyDelayMs{0};
  std::atomic<size_t> batchSize{0};

 private:
  mutable std::mutex mutex_;
  std::optional<int64_t> fixedNow_;
  std::map<uint32_t, ReplyOverride> overrides_;
};

class MarketSession : public std::enable_shared_from_this<MarketSession> {
 public:
  using ClosedCallback = std::function<void(uint64_t connection)>;

  MarketSession(boost::asio::ip::tcp::socket socket, uint64_t connection,
                std::shared_ptr<MarketPortState> state, ClosedCallback onClosed);

  uint64_t Connection() const { return connection_; }
  boost::asio::ip::tcp::endpoint RemoteEndpoint(boost::system::error_code& error) const {
    return socket_.remote_endpoint(error);
  }
  bool IsOpen() const { return !closed_; }

  // Starts reading and the keep-alive.
  void Start();
  // Closes the socket and cancels every wait; reports once through onClosed.
  void Close();

  // Writes a message the client did not ask for.
  void Push(const RequestHeader& header, const KivNetPack& payload);
  void SendMalformedFrame(MalformedFrame kind);
  // Writes the replies held for a batch now, as one batch frame.
  void FlushBatch();

 private:
  void ReadHeader();
  void OnHeader(const boost::system::error_code& error, size_t length);
  void OnBody(const boost::system::error_code& error, size_t length);
  void HandleMessage(NetMessage& message);
  void Answer(const LoggedRequest& request);
  void SendReply(std::string message);
  void SendMessage(const std::string& message);
  void SendBytes(std::string bytes, bool closeAfter = false);
  void WriteNext();
  void ArmKeepAlive();

  boost::asio::ip::tcp::socket socket_;
  const uint64_t connection_;
  std::shared_ptr<MarketPortState> state_;
  ClosedCallback onClosed_;

  unsigned char header_[FrameHeader::kSize] = {};
  FrameHeader frame_;
  std::string body_;

  struct Outgoing {
    std::string bytes;
    bool closeAfter = false;
  };
  std::deque<Outgoing> outgoing_;
  bool writing_ = false;
  bool closed_ = false;

  std::vector<std::string> batch_;  // replies held for the next batch frame
  boost::asio::steady_timer keepAliveTimer_;
  std::set<std::shared_ptr<boost::asio::steady_timer>> delayTimers_;
};

}  // namespace kiv::standin
