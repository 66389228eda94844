// Small HTTP peers for the tests of the HTTP clients:
//  - PythonHttpServer: Debian's own `python3 -m http.server`, a real server
//    that the clients must get along with, serving a scratch folder;
//  - ScriptedHttpServer: answers every connection with a fixed byte string
//    (any status, malformed replies, bodies cut short) and closes;
//  - SilentServer: a listening socket that never answers, for time-outs.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include <algorithm>

extern char** environ;

namespace kiv::test {

// A loopback listening socket on an ephemeral port; -1 on failure.
inline int ListenLoopback(uint16_t* port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof(addr);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(fd, 16) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    ::close(fd);
    return -1;
  }
  *port = ntohs(addr.sin_port);
  return fd;
}

// Accepts no connection: the kernel completes the TCP handshakes from its
// backlog, so a client connects and then hears nothing.
class SilentServer {
 public:
  SilentServer() { fd_ = ListenLoopback(&port_); }
  ~SilentServer() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  uint16_t port() const { return port_; }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

// Answers every connection with `reply` after reading the request head,
// then closes; given several replies, connection i gets reply i (the last
// one once they run out). The last request head received is kept.
class ScriptedHttpServer {
 public:
  explicit ScriptedHttpServer(std::string reply) : ScriptedHttpServer(std::vector<std::string>{std::move(reply)}) {}
  explicit ScriptedHttpServer(std::vector<std::string> replies) : replies_(std::move(replies)) {
    fd_ = ListenLoopback(&port_);
    if (fd_ >= 0) thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedHttpServer() {
    stop_ = true;
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  uint16_t port() const { return port_; }
  std::string lastRequest() {
    std::lock_guard<std::mutex> hold(mutex_);
    return lastRequest_;
  }
  int connections() const { return connections_; }

 private:
  void Serve() {
    while (!stop_) {
      const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      const std::string& reply = replies_[std::min<size_t>(connections_, replies_.size() - 1)];
      ++connections_;
      std::string head;
      char buffer[1024];
      while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(client, buffer, sizeof(buffer), 0);
        if (n <= 0) break;
        head.append(buffer, static_cast<size_t>(n));
      }
      {
        std::lock_guard<std::mutex> hold(mutex_);
        lastRequest_ = head;
      }
      size_t sent = 0;
      while (sent < reply.size()) {
        const ssize_t n = ::send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
      }
      ::shutdown(client, SHUT_WR);
      ::close(client);
    }
  }

  std::vector<std::string> replies_;
  int fd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::mutex mutex_;
  std::string lastRequest_;
  std::thread thread_;
};

// `python3 -u -m http.server --bind 127.0.0.1 0` serving `folder`, started
// in the constructor and killed in the destructor. ok() is false when
// python3 is missing or did not report its port.
class PythonHttpServer {
 public:
  explicit PythonHttpServer(const std::string& folder) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"python3", "-u",     "-m", "http.server", "--bind", "127.0.0.1",
                          "--directory", folder.c_str(), "0", nullptr};
    const int rc = posix_spawnp(&pid_, "python3", &actions, nullptr,
                                const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
      pid_ = -1;
      ::close(out[0]);
      return;
    }
    // "Serving HTTP on 127.0.0.1 port 43127 (http://127.0.0.1:43127/) ..."
    std::string line;
    char c;
    while (line.find('\n') == std::string::npos && ::read(out[0], &c, 1) == 1) line.push_back(c);
    ::close(out[0]);
    const size_t at = line.find(" port ");
    if (at != std::string::npos) port_ = static_cast<uint16_t>(std::atoi(line.c_str() + at + 6));
  }
  ~PythonHttpServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
  }
  static bool Available() {
    return ::system("command -v python3 >/dev/null 2>&1") == 0;
  }
  bool ok() const { return pid_ > 0 && port_ != 0; }
  uint16_t port() const { return port_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  pid_t pid_ = -1;
  uint16_t port_ = 0;
};

}  // namespace kiv::test
