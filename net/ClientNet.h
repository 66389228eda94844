// CClientNet: one TCP connection to a market-data server. It frames every
// outgoing message (Frame.h), reads frames back, checks and inflates them,
// and hands each message body to its owner through a callback. It knows
// nothing of record sets or requests: a body is a byte string.
//
// Always held by shared_ptr: every pending asynchronous operation keeps the
// object alive through one, so a closed connection lives until its last
// completion has run. A closed object is never reused; the owner makes a
// new one.
//
// Threads: completions run on the thread that runs the io_context. Send and
// the close forms may be called from any thread; one mutex makes the flag
// tests and the start of every socket or timer operation atomic. Callbacks
// are always called with that mutex released, so they may call back in.
//
// States: connecting -> connected (idle or writing) -> closed. Any receive
// or write error, a bad frame header, a short body, a refusal by the data
// callback, the connect time-out and a silent link (no frame for the
// inactivity time-out) all end in close(), which reports once through the
// close callback. A frame whose body cannot be decoded is skipped and the
// link stays up.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include "net/Frame.h"
#include "net/NetTimings.h"

class CClientNet : public std::enable_shared_from_this<CClientNet> {
 public:
  // Takes one message body; false closes the connection.
  using DataCallback = std::function<bool(const char* data, uint32_t length)>;
  // true when the connection was just made, false when a write finished.
  using ConnectedCallback = std::function<void(bool connectedNow)>;
  using CloseCallback = std::function<void()>;

  CClientNet(boost::asio::io_context& io, const boost::asio::ip::tcp::endpoint& endpoint,
             DataCallback onData, ConnectedCallback onConnected, CloseCallback onClose,
             const NetTimings& timings = NetTimings());
  CClientNet(const CClientNet&) = delete;
  CClientNet& operator=(const CClientNet&) = delete;

  // Starts connecting; the connect time-out starts with it.
  void Connect();

  // Frames and writes one message. True when the write was started; false
  // when refused (not connected, a write in flight, no data, socket closed).
  // One write is in flight at a time: the next waits for the completion,
  // which the connected callback reports.
  bool Send(const char* data, const uint32_t& length);

  bool IsConnected() const;
  bool IsClosed() const;

  // Closes and reports to the close callback; a second close does nothing.
  void close();
  // Closes without calling the close callback (the owner replaces the link).
  void CloseSilently();

  const std::string& Address() const { return address_; }
  uint16_t Port() const { return port_; }

 private:
  void handle_connect(const boost::system::error_code& error);
  void HandleReadHeader(const boost::system::error_code& error, size_t bytes);
  void HandleReadBody(const boost::system::error_code& error, size_t bytes);
  void HandleWrite(const boost::system::error_code& error, size_t bytes);
  void OnTimeout(const boost::system::error_code& error);

  // Callers hold mutex_.
  void StartReadHeaderLocked();
  void ArmTimerLocked(std::chrono::milliseconds after);
  // Marks closed and shuts the socket; false when it was closed already.
  bool CloseLocked();

  boost::asio::ip::tcp::socket socket_;
  boost::asio::steady_timer timer_;  // connect time-out, then inactivity time-out
  boost::asio::ip::tcp::endpoint endpoint_;
  NetTimings timings_;

  std::array<unsigned char, FrameHeader::kSize> recvHeader_{};
  std::array<unsigned char, FrameHeader::kSize> sendHeader_{};
  FrameHeader recvFrame_;
  std::string recvBody_;
  std::string sendBody_;

  DataCallback onData_;
  ConnectedCallback onConnected_;
  CloseCallback onClose_;

  bool m_bwrite = false;    // a write is in flight
  bool m_bconnect = false;  // connected
  bool closed_ = false;     // closed for good

  std::string address_;
  uint16_t port_ = 0;

  mutable std::mutex mutex_;
};
