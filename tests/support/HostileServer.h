// A loopback TCP server that treats its clients the way a hostile or broken
// server would. For every connection it reads the request (an HTTP request
// head, or a fixed number of bytes), sends an opening, then sends one piece
// again and again: as fast as the client takes it, or one piece per
// interval. It stops when the client goes away, when the server is
// destroyed, or when the connection's lifetime has passed; then it closes
// the connection itself, which the tests count: a client that is bounded
// gives up long before that.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kiv::test {

class HostileServer {
 public:
  struct Script {
    size_t requestBytes = 0;  // bytes read before answering; 0 reads an HTTP request head
    std::string opening;      // sent at once
    std::string piece;        // then repeated; empty: silence after the opening
    std::chrono::milliseconds interval{0};
    std::chrono::milliseconds lifetime{60000};
  };

  // "200 OK" without a length, then body bytes without end.
  static Script EndlessBody() {
    Script s;
    s.opening = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
    s.piece = std::string(64 * 1024, 'x');
    return s;
  }
  // A status line, then header lines without end.
  static Script EndlessHeader() {
    Script s;
    s.opening = "HTTP/1.0 200 OK\r\n";
    s.piece = "X-Padding: " + std::string(1000, 'p') + "\r\n";
    return s;
  }
  // A status line, then one header line without end.
  static Script EndlessHeaderLine() {
    Script s;
    s.opening = "HTTP/1.0 200 OK\r\nX-Padding: ";
    s.piece = std::string(64 * 1024, 'p');
    return s;
  }
  // A length of 2 GB announced, then body bytes without end.
  static Script HugeContentLength() {
    Script s = EndlessBody();
    s.opening = "HTTP/1.1 200 OK\r\nContent-Length: 2000000000\r\nConnection: close\r\n\r\n";
    return s;
  }
  // A sound head, then one body byte per interval.
  static Script TrickledBody(std::chrono::milliseconds interval) {
    Script s;
    s.opening = "HTTP/1.0 200 OK\r\n\r\n";
    s.piece = "t";
    s.interval = interval;
    return s;
  }

  explicit HostileServer(Script script) : script_(std::move(script)) {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listen_, 16) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      if (listen_ >= 0) ::close(listen_);
      listen_ = -1;
      return;
    }
    port_ = ntohs(address.sin_port);
    // The constructor returns once the acceptor runs: a test may fork right
    // after it, and a thread still starting up may hold runtime locks that
    // the child would then wait on for ever.
    std::promise<void> running;
    std::future<void> started = running.get_future();
    acceptor_ = std::thread([this, &running] {
      running.set_value();
      Accept();
    });
    started.wait();
  }

  ~HostileServer() {
    stop_ = true;
    if (listen_ >= 0) ::shutdown(listen_, SHUT_RDWR);
    if (acceptor_.joinable()) acceptor_.join();
    std::vector<std::thread> serving;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      serving.swap(serving_);
    }
    for (std::thread& t : serving) t.join();
    if (listen_ >= 0) ::close(listen_);
  }

  HostileServer(const HostileServer&) = delete;
  HostileServer& operator=(const HostileServer&) = delete;

  bool ok() const { return listen_ >= 0; }
  uint16_t port() const { return port_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int Connections() const { return connections_; }
  // Connections the server closed because their lifetime passed.
  int OutlivedConnections() const { return outlived_; }
  uint64_t BytesSent() const { return sent_; }

 private:
  void Accept() {
    while (!stop_) {
      const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      ++connections_;
      std::lock_guard<std::mutex> hold(mutex_);
      serving_.emplace_back([this, client] {
        Serve(client);
        ::close(client);
      });
    }
  }

  // Waits up to `ms` for the socket to be ready for `events`; false when the
  // server stops or the wait failed.
  bool Wait(int fd, short events, int ms) {
    pollfd p{fd, events, 0};
    return !stop_ && ::poll(&p, 1, ms) >= 0 && !stop_;
  }

  bool ReadRequest(int fd, std::chrono::steady_clock::time_point end) {
    std::string request;
    char buffer[1024];
    for (;;) {
      if (script_.requestBytes > 0 ? request.size() >= script_.requestBytes
                                   : request.find("\r\n\r\n") != std::string::npos) {
        return true;
      }
      if (std::chrono::steady_clock::now() > end || !Wait(fd, POLLIN, 100)) return false;
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n == 0) return false;
      if (n > 0) request.append(buffer, static_cast<size_t>(n));
    }
  }

  // Sends all of `bytes`, giving up when the client is gone or the
  // connection has outlived its lifetime.
  bool SendAll(int fd, const std::string& bytes, std::chrono::steady_clock::time_point end) {
    size_t done = 0;
    while (done < bytes.size()) {
      if (std::chrono::steady_clock::now() > end) {
        ++outlived_;
        return false;
      }
      if (!Wait(fd, POLLOUT, 100)) return false;
      const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
      sent_ += static_cast<uint64_t>(n);
    }
    return true;
  }

  // True when the client closed its end (or the connection broke).
  static bool ClientGone(int fd) {
    char byte;
    const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
  }

  void Serve(int fd) {
    const auto end = std::chrono::steady_clock::now() + script_.lifetime;
    if (!ReadRequest(fd, end) || !SendAll(fd, script_.opening, end)) return;
    for (;;) {
      if (script_.piece.empty() || script_.interval.count() > 0) {
        // Pause, watching for the client to leave.
        const auto pause = script_.piece.empty() ? std::chrono::milliseconds(100) : script_.interval;
        const auto wake = std::chrono::steady_clock::now() + pause;
        while (std::chrono::steady_clock::now() < wake) {
          if (std::chrono::steady_clock::now() > end) {
            ++outlived_;
            return;
          }
          if (!Wait(fd, POLLIN, 20)) return;
          if (ClientGone(fd)) return;
        }
      }
      if (!script_.piece.empty() && !SendAll(fd, script_.piece, end)) return;
    }
  }

  Script script_;
  int listen_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::atomic<int> outlived_{0};
  std::atomic<uint64_t> sent_{0};
  std::mutex mutex_;
  std::vector<std::thread> serving_;
  std::thread acceptor_;
};

}  // namespace kiv::test
