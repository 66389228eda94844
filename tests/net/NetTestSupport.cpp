#include "tests/net/NetTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <future>

#include <boost/asio/post.hpp>

namespace nettest {

IoThread::IoThread() : guard_(boost::asio::make_work_guard(io_)), thread_([this]() { io_.run(); }) {}

IoThread::~IoThread() {
  guard_.reset();
  io_.stop();
  thread_.join();
}

void IoThread::RunAndWait(const std::function<void()>& f) {
  std::promise<void> done;
  boost::asio::post(io_, [&]() {
    f();
    done.set_value();
  });
  done.get_future().wait();
}

RawServer::RawServer(int backlog) {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
  ::listen(listenFd_, backlog);
  socklen_t len = sizeof(addr);
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
}

RawServer::~RawServer() {
  CloseConnection();
  for (int fd : fillers_) ::close(fd);
  if (listenFd_ >= 0) ::close(listenFd_);
}

namespace {

bool WaitReadable(int fd, std::chrono::milliseconds bound) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, static_cast<int>(bound.count())) > 0;
}

}  // namespace

void RawServer::FillAcceptQueue() {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(port_);
  for (int i = 0; i < 3; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    fillers_.push_back(fd);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

bool RawServer::Accept(std::chrono::milliseconds bound) {
  if (!WaitReadable(listenFd_, bound)) return false;
  CloseConnection();
  connFd_ = ::accept(listenFd_, nullptr, nullptr);
  return connFd_ >= 0;
}

bool RawServer::ReadExactly(size_t n, std::string& out, std::chrono::milliseconds bound) {
  out.clear();
  const auto until = std::chrono::steady_clock::now() + bound;
  while (out.size() < n) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !WaitReadable(connFd_, left)) return false;
    char buffer[65536];
    const size_t want = std::min(sizeof(buffer), n - out.size());
    const ssize_t got = ::recv(connFd_, buffer, want, 0);
    if (got <= 0) return false;
    out.append(buffer, static_cast<size_t>(got));
  }
  return true;
}

bool RawServer::ReadFrame(FrameHeader& header, std::string& body, std::chrono::milliseconds bound) {
  std::string raw;
  if (!ReadExactly(FrameHeader::kSize, raw, bound)) return false;
  header = FrameHeader::Decode(reinterpret_cast<const unsigned char*>(raw.data()));
  if (CheckFrameHeader(header) != FrameHeaderCheck::kOk) return false;
  return ReadExactly(header.bodyLength, body, bound);
}

bool RawServer::NothingArrives(std::chrono::milliseconds wait) { return !WaitReadable(connFd_, wait); }

bool RawServer::PeerClosed(std::chrono::milliseconds bound) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < until) {
    if (!WaitReadable(connFd_, std::chrono::milliseconds(100))) continue;
    char buffer[4096];
    const ssize_t got = ::recv(connFd_, buffer, sizeof(buffer), 0);
    if (got <= 0) return true;
  }
  return false;
}

bool RawServer::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::send(connFd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

void RawServer::CloseConnection() {
  if (connFd_ >= 0) ::close(connFd_);
  connFd_ = -1;
}

std::string FrameOf(const std::string& message) {
  FrameHeader header;
  std::string body;
  EncodeFrame(message.data(), message.size(), header, body);
  return FrameBytes(header, body);
}

}  // namespace nettest
