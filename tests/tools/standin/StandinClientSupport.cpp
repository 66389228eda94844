#include "tests/tools/standin/StandinClient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kiv::standin::testing {

StandinClient::StandinClient(uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
}

StandinClient::~StandinClient() {
  if (fd_ >= 0) ::close(fd_);
}

bool StandinClient::Send(uint64_t requestId, uint32_t type, const KivNetPack& payload) {
  RequestHeader header;
  header.requestId = requestId;
  header.flags = RequestHeader::MakeFlags(0, true);
  header.type = type;
  std::string message;
  if (!BuildMessage(header, payload, message)) return false;
  FrameHeader frame;
  std::string body;
  if (!EncodeFrame(message.data(), message.size(), frame, body)) return false;
  return SendRaw(FrameBytes(frame, body));
}

bool StandinClient::SendRaw(const std::string& bytes) {
  size_t sent = 0;
  while (fd_ >= 0 && sent < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return fd_ >= 0;
}

std::optional<std::string> StandinClient::ReadRaw(size_t length, std::chrono::milliseconds bound) {
  std::string bytes(length, '\0');
  if (!ReadExactly(&bytes[0], length, std::chrono::steady_clock::now() + bound)) return std::nullopt;
  return bytes;
}

bool StandinClient::ReadExactly(void* out, size_t length, std::chrono::steady_clock::time_point deadline) {
  char* cursor = static_cast<char*>(out);
  while (length > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (fd_ < 0 || left.count() <= 0) return false;
    pollfd waiting{fd_, POLLIN, 0};
    const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::recv(fd_, cursor, length, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    cursor += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

std::optional<RawFrame> StandinClient::ReadFrame(std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  unsigned char header[FrameHeader::kSize];
  if (!ReadExactly(header, sizeof(header), deadline)) return std::nullopt;
  RawFrame frame;
  frame.header = FrameHeader::Decode(header);
  frame.check = CheckFrameHeader(frame.header);
  if (frame.check != FrameHeaderCheck::kOk) return frame;
  frame.body.resize(frame.header.bodyLength);
  if (!ReadExactly(&frame.body[0], frame.body.size(), deadline)) return std::nullopt;
  return frame;
}

std::optional<std::vector<NetMessage>> StandinClient::ReadMessages(bool keepHeartbeats,
                                                                   std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    std::optional<RawFrame> frame = ReadFrame(left);
    if (!frame || frame->check != FrameHeaderCheck::kOk) return std::nullopt;
    std::string data;
    if (DecodeFrameBody(frame->header, frame->body.data(), frame->body.size(), data) != FrameBodyResult::kOk) {
      continue;
    }
    std::vector<NetMessage> messages;
    if (!ParseMessages(data.data(), data.size(), messages)) return std::nullopt;
    if (!keepHeartbeats) {
      std::vector<NetMessage> kept;
      for (NetMessage& message : messages) {
        if (message.header.type != 102) kept.push_back(std::move(message));
      }
      messages.swap(kept);
    }
    if (!messages.empty()) return messages;
  }
}

std::optional<NetMessage> StandinClient::ReadMessage(std::chrono::milliseconds bound) {
  if (pending_.empty()) {
    std::optional<std::vector<NetMessage>> messages = ReadMessages(false, bound);
    if (!messages) return std::nullopt;
    pending_ = std::move(*messages);
  }
  NetMessage first = std::move(pending_.front());
  pending_.erase(pending_.begin());
  return first;
}

bool StandinClient::WaitForClose(std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  char scratch[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (fd_ < 0) return true;
    if (left.count() <= 0) return false;
    pollfd waiting{fd_, POLLIN, 0};
    const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::recv(fd_, scratch, sizeof(scratch), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
  }
}

}  // namespace kiv::standin::testing
