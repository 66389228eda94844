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

IoThread::IoThread() : m_guard(boost::asio::make_work_guard(m_io)), m_thread([this]() { m_io.run(); }) {}

IoThread::~IoThread() {
  m_guard.reset();
  m_io.stop();
  m_thread.join();
}

void IoThread::RunAndWait(const std::function<void()>& f) {
  std::promise<void> done;
  boost::asio::post(m_io, [&]() {
    f();
    done.set_value();
  });
  done.get_future().wait();
}

RawServer::RawServer(int backlog) {
  m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
  ::listen(m_listen, backlog);
  socklen_t len = sizeof(addr);
  ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
  m_port = ntohs(addr.sin_port);
}

RawServer::~RawServer() {
  CloseConnection();
  for (int fd : m_fillers) ::close(fd);
  if (m_listen >= 0) ::close(m_listen);
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
  addr.sin_port = htons(m_port);
  for (int i = 0; i < 3; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    m_fillers.push_back(fd);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

bool RawServer::Accept(std::chrono::milliseconds bound) {
  if (!WaitReadable(m_listen, bound)) return false;
  CloseConnection();
  m_conn = ::accept(m_listen, nullptr, nullptr);
  return m_conn >= 0;
}

bool RawServer::ReadExactly(size_t n, std::string& out, std::chrono::milliseconds bound) {
  out.clear();
  const auto until = std::chrono::steady_clock::now() + bound;
  while (out.size() < n) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !WaitReadable(m_conn, left)) return false;
    char buffer[65536];
    const size_t want = std::min(sizeof(buffer), n - out.size());
    const ssize_t got = ::recv(m_conn, buffer, want, 0);
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

bool RawServer::NothingArrives(std::chrono::milliseconds wait) { return !WaitReadable(m_conn, wait); }

bool RawServer::PeerClosed(std::chrono::milliseconds bound) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < until) {
    if (!WaitReadable(m_conn, std::chrono::milliseconds(100))) continue;
    char buffer[4096];
    const ssize_t got = ::recv(m_conn, buffer, sizeof(buffer), 0);
    if (got <= 0) return true;
  }
  return false;
}

bool RawServer::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::send(m_conn, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (put <= 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

void RawServer::CloseConnection() {
  if (m_conn >= 0) ::close(m_conn);
  m_conn = -1;
}

std::string FrameOf(const std::string& message) {
  FrameHeader header;
  std::string body;
  EncodeFrame(message.data(), message.size(), header, body);
  return FrameBytes(header, body);
}

}  // namespace nettest
