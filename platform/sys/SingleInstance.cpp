#include "platform/sys/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/ByteOrder.h"
#include "platform/sys/Trace.h"

namespace kiv {

namespace {

constexpr uint8_t kKindRaise = 1;
constexpr uint8_t kKindCopyData = 2;
constexpr size_t kHeaderBytes = 3;
constexpr size_t kMaxMessageBytes = kHeaderBytes + SingleInstance::kMaxCopyDataBytes;
constexpr uint8_t kAnswerDelivered = 1;
constexpr uint8_t kAnswerRefused = 0;

using SteadyClock = std::chrono::steady_clock;

int RemainingMs(SteadyClock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until fd is readable or the deadline passes.
bool WaitReadable(int fd, SteadyClock::time_point deadline) {
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    int n = ::poll(&p, 1, RemainingMs(deadline));
    if (n > 0) return true;
    if (n == 0) return false;
    if (errno != EINTR) return false;
  }
}

bool FillAddress(const std::string& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.data(), path.size());
  return true;
}

bool SendAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

std::string JoinPath(const std::string& folder, const std::string& file) {
  if (!folder.empty() && folder.back() == '/') return folder + file;
  return folder + "/" + file;
}

InstanceSendResult SendInstanceMessage(const std::string& name, const std::string& folder,
                                       uint8_t kind, const std::string& data, int timeoutMs) {
  std::string base = folder.empty() ? SingleInstance::DefaultFolder() : folder;
  if (base.empty()) return InstanceSendResult::kUnreachable;
  sockaddr_un address;
  if (!FillAddress(JoinPath(base, name + ".sock"), &address))
    return InstanceSendResult::kUnreachable;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return InstanceSendResult::kUnreachable;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return InstanceSendResult::kUnreachable;
  }
  std::string message;
  kiv::ByteWriter(&message).U8(static_cast<uint8_t>(kind)).Le16(static_cast<uint16_t>(data.size()));
  message += data;
  InstanceSendResult result = InstanceSendResult::kRefused;
  if (SendAll(fd, message.data(), message.size())) {
    ::shutdown(fd, SHUT_WR);
    auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t answer = kAnswerRefused;
    while (WaitReadable(fd, deadline)) {
      ssize_t got = ::recv(fd, &answer, 1, 0);
      if (got < 0 && errno == EINTR) continue;
      if (got == 1 && answer == kAnswerDelivered) result = InstanceSendResult::kDelivered;
      break;
    }
  }
  ::close(fd);
  return result;
}

}  // namespace

SingleInstance::SingleInstance(std::string name, std::string folder) {
  if (folder.empty()) folder = DefaultFolder();
  if (folder.empty()) return;  // Acquire reports the failure
  lockPath_ = JoinPath(folder, name + ".lock");
  socketPath_ = JoinPath(folder, name + ".sock");
}

SingleInstance::~SingleInstance() {
  if (server_.joinable()) {
    uint64_t one = 1;
    ssize_t ignored = ::write(wakeFd_, &one, sizeof one);
    (void)ignored;
    server_.join();
  }
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    // Only the lock holder may remove the socket file: a later first start
    // could already have made its own.
    ::unlink(socketPath_.c_str());
  }
  if (wakeFd_ >= 0) ::close(wakeFd_);
  if (lockFd_ >= 0) ::close(lockFd_);  // releases the flock
}

std::string SingleInstance::DefaultFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') return runtime;
  std::string folder = "/tmp/kivdesk-" + std::to_string(::getuid());
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::string();
  // /tmp is shared: a folder someone else made, or one others can write to,
  // would let them take the instance or read what is sent to it.
  struct stat info;
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
      (info.st_mode & 022) != 0) {
    KivTrace("single instance: unsafe folder %s\n", folder.c_str());
    return std::string();
  }
  return folder;
}

SingleInstance::Role SingleInstance::Acquire() {
  if (lockFd_ >= 0) return Role::kFirst;
  if (lockPath_.empty()) return Role::kFailed;
  std::string folder = lockPath_.substr(0, lockPath_.find_last_of('/'));
  if (!folder.empty() && !CreateFolders(folder, 0700)) return Role::kFailed;
  lockFd_ = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (lockFd_ < 0) return Role::kFailed;
  int locked;
  do {
    locked = ::flock(lockFd_, LOCK_EX | LOCK_NB);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    bool taken = (errno == EWOULDBLOCK);
    ::close(lockFd_);
    lockFd_ = -1;
    return taken ? Role::kSecond : Role::kFailed;
  }
  // The holder's pid, for whoever looks at the folder.
  std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(lockFd_, 0) == 0) {
    ssize_t ignored = ::pwrite(lockFd_, pid.data(), pid.size(), 0);
    (void)ignored;
  }

  // From here on this process is the instance. Without the socket later
  // starts cannot reach it, but the program still runs.
  sockaddr_un address;
  if (!FillAddress(socketPath_, &address)) {
    KivTrace("single instance: socket path too long: %s\n", socketPath_.c_str());
    return Role::kFirst;
  }
  ::unlink(socketPath_.c_str());  // left by a first start that crashed
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return Role::kFirst;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 8) != 0) {
    KivTrace("single instance: cannot listen on %s: %s\n", socketPath_.c_str(),
             std::strerror(errno));
    ::close(fd);
    return Role::kFirst;
  }
  ::chmod(socketPath_.c_str(), 0600);
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC);
  if (wakeFd_ < 0) {
    ::close(fd);
    ::unlink(socketPath_.c_str());
    return Role::kFirst;
  }
  listenFd_ = fd;
  server_ = std::thread([this] { Serve(); });
  return Role::kFirst;
}

void SingleInstance::SetRaiseHandler(std::function<void()> handler) {
  std::lock_guard<std::mutex> lock(handlersMutex_);
  raiseHandler_ = std::move(handler);
}

void SingleInstance::SetCopyDataHandler(std::function<void(const std::string&)> handler) {
  std::lock_guard<std::mutex> lock(handlersMutex_);
  copyDataHandler_ = std::move(handler);
}

void SingleInstance::Serve() {
  for (;;) {
    pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    int n = ::poll(fds, 2, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      KivTrace("single instance: poll failed: %s\n", std::strerror(errno));
      return;
    }
    if (fds[1].revents) return;
    if (fds[0].revents & POLLIN) {
      int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client >= 0) {
        HandleConnection(client);
        ::close(client);
      }
    }
  }
}

void SingleInstance::HandleConnection(int fd) {
  // Read to the sender's end of file, one byte beyond the largest valid
  // message so that an over-long one is recognised, within the time-out.
  char buffer[kMaxMessageBytes + 1];
  size_t size = 0;
  bool complete = false;
  auto deadline = SteadyClock::now() + std::chrono::milliseconds(receiveTimeoutMs_.load());
  // A sender that stalls must not hold up the end of the program either.
  auto readable = [&] {
    for (;;) {
      pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
      int n = ::poll(fds, 2, RemainingMs(deadline));
      if (n < 0 && errno == EINTR) continue;
      return n > 0 && fds[1].revents == 0;
    }
  };
  while (size < sizeof buffer && readable()) {
    ssize_t got = ::recv(fd, buffer + size, sizeof buffer - size, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (got == 0) {
      complete = true;
      break;
    }
    size += static_cast<size_t>(got);
  }

  uint8_t answer = kAnswerRefused;
  if (complete && size >= kHeaderBytes) {
    uint8_t kind = static_cast<uint8_t>(buffer[0]);
    size_t length = kiv::LoadLe16(buffer + 1);
    bool lengthMatches = (length == size - kHeaderBytes);
    if (kind == kKindRaise && length == 0 && lengthMatches) {
      std::function<void()> handler;
      {
        std::lock_guard<std::mutex> lock(handlersMutex_);
        handler = raiseHandler_;
      }
      if (handler) {
        handler();
        answer = kAnswerDelivered;
      }
    } else if (kind == kKindCopyData && lengthMatches && length <= kMaxCopyDataBytes) {
      std::function<void(const std::string&)> handler;
      {
        std::lock_guard<std::mutex> lock(handlersMutex_);
        handler = copyDataHandler_;
      }
      if (handler) {
        const char* data = buffer + kHeaderBytes;
        const void* zero = std::memchr(data, 0, length);
        size_t textLength =
            zero ? static_cast<size_t>(static_cast<const char*>(zero) - data) : length;
        handler(std::string(data, textLength));
        answer = kAnswerDelivered;
      }
    } else {
      KivTrace("single instance: refused a message of %zu bytes\n", size);
    }
  } else {
    KivTrace("single instance: refused an incomplete or over-long message\n");
  }
  SendAll(fd, reinterpret_cast<const char*>(&answer), 1);
}

InstanceSendResult SendRaiseToInstance(const std::string& name, const std::string& folder,
                                       int timeoutMs) {
  return SendInstanceMessage(name, folder, kKindRaise, std::string(), timeoutMs);
}

InstanceSendResult SendCopyDataToInstance(const std::string& name, const std::string& data,
                                          const std::string& folder, int timeoutMs) {
  if (data.size() > SingleInstance::kMaxCopyDataBytes) return InstanceSendResult::kRefused;
  return SendInstanceMessage(name, folder, kKindCopyData, data, timeoutMs);
}

}  // namespace kiv
