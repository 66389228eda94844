// Helpers of the link tests: an io_context on its own thread, a bare
// loopback listener the test drives byte by byte, and bounded waits.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>

#include "net/Frame.h"
#include "tests/support/TestSupport.h"

namespace nettest {

using kiv::test::WaitUntil;

// Runs an io_context on one thread until destroyed.
class IoThread {
 public:
  IoThread();
  ~IoThread();
  boost::asio::io_context& io() { return io_; }
  // Runs f on the I/O thread and waits for it.
  void RunAndWait(const std::function<void()>& f);

 private:
  boost::asio::io_context io_;
  boost::asio::executor_work_guard<boost::asio::io_context::executor_type> guard_;
  std::thread thread_;
};

// A listening loopback socket; every call is blocking with a bound.
class RawServer {
 public:
  explicit RawServer(int backlog = 8);
  ~RawServer();
  // Fills the accept queue with connections nobody accepts, so that a
  // further connect is never answered (the kernel drops its handshake).
  // Meant for a server made with backlog 0.
  void FillAcceptQueue();
  uint16_t port() const { return port_; }
  // Accepts one connection; false after the bound.
  bool Accept(std::chrono::milliseconds bound = std::chrono::seconds(10));
  // Reads exactly n bytes from the accepted connection.
  bool ReadExactly(size_t n, std::string& out, std::chrono::milliseconds bound = std::chrono::seconds(10));
  // Reads one frame; the body as it came (not inflated).
  bool ReadFrame(FrameHeader& header, std::string& body,
                 std::chrono::milliseconds bound = std::chrono::seconds(10));
  // True when nothing arrives within the wait (used only to show an absence).
  bool NothingArrives(std::chrono::milliseconds wait);
  // True once the peer has closed the connection (read returns 0 or fails).
  bool PeerClosed(std::chrono::milliseconds bound = std::chrono::seconds(10));
  bool Write(const std::string& bytes);
  void CloseConnection();

 private:
  int listenFd_ = -1;
  int connFd_ = -1;
  uint16_t port_ = 0;
  std::vector<int> fillers_;
};

// A frame of the given message bytes, framed as the terminal frames.
std::string FrameOf(const std::string& message);

}  // namespace nettest
