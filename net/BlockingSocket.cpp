#include "net/BlockingSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "net/KivMessages.h"
#include "platform/sys/ByteOrder.h"
#include "platform/sys/Trace.h"

namespace kiv {

const char* const kServerUnreachableLabel = "无法连接服务器";

namespace {

// The Winsock number of the last socket error, for messages that operators
// compare with those of the Windows program.
int WsaErrorOf(int error) {
  switch (error) {
    case 0: return 0;
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EMSGSIZE: return 10040;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case EPIPE: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ETIMEDOUT: return kWsaTimedOut;
    case ECONNREFUSED: return kWsaConnRefused;
    case EHOSTUNREACH: return 10065;
    default: return 10000 + error;
  }
}

[[noreturn]] void Fail(const char* step, int error) { throw CKivBlockingSocketException(step, WsaErrorOf(error)); }

// Waits for the socket to become readable or writable; 1 ready, 0 time-out,
// -1 error (errno set).
int WaitFor(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int r = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (r < 0 && errno == EINTR) continue;
    return r < 0 ? -1 : (r == 0 ? 0 : 1);
  }
}

void PostPlain(HWND hwnd, UINT msg) {
  if (hwnd != nullptr) PostMessage(hwnd, msg, 0, 0);
}

int ConnectRecord(CKivBlockingSocket& socket, HWND hwnd, const BlockContext& context, bool next) {
  try {
    DataServerRecord record;
    const bool have = context.servers != nullptr &&
                      (next ? context.servers->Next(record) : context.servers->Current(record));
    // No record (the configuration store has none yet): nothing to resolve.
    if (!have || record.address.empty()) throw CKivBlockingSocketException("GetHostByName", 11001);
    socket.Create();
    const sockaddr_in address = CKivBlockingSocket::GetHostByName(record.address, record.port);
    socket.Connect(address, context.timings.connectMs);
    if (context.label != nullptr) context.label->Set(record.label);
    PostPlain(hwnd, WM_KIV_SERVER_CONNECTED);
    return 0;
  } catch (const CKivBlockingSocketException& e) {
    char text[128];
    e.GetErrorMessage(text, sizeof(text));
    KivTrace("block data server: %s\n", text);
    socket.Close();
    if (context.label != nullptr) context.label->Set(kServerUnreachableLabel);
    PostPlain(hwnd, WM_KIV_SERVER_UNREACHABLE);
    return -1;
  }
}

}  // namespace

BOOL CKivBlockingSocketException::GetErrorMessage(char* text, UINT size, UINT* /*helpContext*/) const {
  if (text == nullptr || size == 0) return TRUE;
  char buffer[256];
  if (error_ != 0)
    std::snprintf(buffer, sizeof(buffer), "%s error #%d", step_.c_str(), error_);
  else
    std::snprintf(buffer, sizeof(buffer), "%s error", step_.c_str());
  std::snprintf(text, size, "%s", buffer);
  return TRUE;
}

void CKivBlockingSocket::Create() {
  if (IsOpen()) Close();
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) Fail("Create", errno);
  fd_ = fd;
}

sockaddr_in CKivBlockingSocket::GetHostByName(const std::string& host, uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    throw CKivBlockingSocketException("GetHostByName", 11001);
  }
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof(address));
  ::freeaddrinfo(found);
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  return address;
}

void CKivBlockingSocket::Connect(const sockaddr_in& address, int connectTimeoutMs) {
  if (!IsOpen()) return;
  // Non-blocking for the connect only, so that an address that never
  // answers cannot hold the thread for the system's minutes-long default.
  const int flags = ::fcntl(fd_, F_GETFL, 0);
  ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
  int r = ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
  if (r < 0 && errno != EINPROGRESS) Fail("Connect", errno);
  if (r < 0) {
    const int ready = WaitFor(fd_, POLLOUT, connectTimeoutMs);
    if (ready == 0) Fail("Connect", ETIMEDOUT);
    if (ready < 0) Fail("Connect", errno);
    int error = 0;
    socklen_t length = sizeof(error);
    ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length);
    if (error != 0) Fail("Connect", error);
  }
  ::fcntl(fd_, F_SETFL, flags);
}

int CKivBlockingSocket::Send(const void* data, int length, int timeoutMs) {
  if (!IsOpen()) return 0;
  int ready = 0;
  for (int wait = 0; wait < 10 && ready == 0; ++wait) {
    ready = WaitFor(fd_, POLLOUT, timeoutMs);
    if (ready < 0) Fail("Send", errno);
  }
  if (ready == 0) Fail("Send timeout", ETIMEDOUT);
  const ssize_t sent = ::send(fd_, data, static_cast<size_t>(length), MSG_NOSIGNAL);
  if (sent < 0) Fail("Send", errno);
  return static_cast<int>(sent);
}

int CKivBlockingSocket::Receive(void* data, int length, int timeoutMs) {
  if (!IsOpen()) return 0;
  const int ready = WaitFor(fd_, POLLIN, timeoutMs);
  if (ready == 0) Fail("Receive timeout", ETIMEDOUT);
  if (ready < 0) Fail("Receive timeout", errno);
  ssize_t got;
  do {
    got = ::recv(fd_, data, static_cast<size_t>(length), 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0) Fail("Receive", errno);
  return static_cast<int>(got);
}

int CKivBlockingSocket::SendAll(const void* data, int length, int timeoutMs) {
  const char* bytes = static_cast<const char*>(data);
  int done = 0;
  while (done < length) {
    const int sent = Send(bytes + done, length - done, timeoutMs);
    if (sent <= 0) break;
    done += sent;
  }
  return done;
}

void CKivBlockingSocket::Close() {
  if (!IsOpen()) return;
  ::close(fd_);
  fd_ = -1;
}

void DataServerLabel::Set(const std::string& label) {
  lock_.Lock(CKivRWLock::kWrite, -1);
  label_ = label;
  lock_.Unlock();
}

std::string DataServerLabel::Get() const {
  lock_.Lock(CKivRWLock::kRead, -1);
  std::string copy = label_;
  lock_.Unlock();
  return copy;
}

int ConnectDataServer(CKivBlockingSocket& socket, HWND hwnd, const BlockContext& context) {
  return ConnectRecord(socket, hwnd, context, false);
}

int ConnectNextDataServer(CKivBlockingSocket& socket, HWND hwnd, const BlockContext& context) {
  return ConnectRecord(socket, hwnd, context, true);
}

int CloseBlockingSocket(CKivBlockingSocket& socket) {
  socket.Close();
  return 0;
}

std::array<uint8_t, 12> EncodeBlockRequest(const BlockRequestFields& fields) {
  const uint32_t key = (uint32_t(fields.selector) << 24) | (fields.value & 0xFFFFFFu);
  std::array<uint8_t, 12> bytes{};
  StoreLe16(&bytes[0], fields.kind);
  StoreLe16(&bytes[2], fields.subKind);
  StoreLe32(&bytes[8], key);
  return bytes;
}

BlockReplyStatus ReadBlockReplyHeader(const uint8_t* data, size_t size, BlockReplyHeader& header) {
  ByteReader reader(data, size);
  const uint32_t total = reader.Be32();
  const uint32_t inflated = reader.Be32();
  if (!reader.Ok()) return BlockReplyStatus::kFailed;
  header.total = total;
  header.inflated = inflated;
  if (header.inflated == 0) return BlockReplyStatus::kEnded;
  if (header.total < 8 || header.total > kBlockMaxTotal || header.inflated > kBlockMaxInflated)
    return BlockReplyStatus::kFailed;
  return BlockReplyStatus::kOk;
}

BlockReplyStatus DecodeBlockReplyBody(const uint8_t* body, size_t size, const BlockReplyHeader& header,
                                      NameConverter convertName, std::unique_ptr<char[]>& out,
                                      uint32_t& outCount) {
  if (header.inflated == 0 || header.inflated > kBlockMaxInflated) return BlockReplyStatus::kFailed;
  const size_t capacity = size_t(header.inflated) + 10;
  std::unique_ptr<char[]> buffer(new char[capacity]());
  uLongf produced = static_cast<uLongf>(capacity);
  if (::uncompress(reinterpret_cast<Bytef*>(buffer.get()), &produced, body, static_cast<uLong>(size)) != Z_OK)
    return BlockReplyStatus::kFailed;
  uint32_t count = 0;
  const BlockReplyStatus status =
      DecodeInflatedBlockBody(reinterpret_cast<uint8_t*>(buffer.get()), produced, convertName, count);
  if (status != BlockReplyStatus::kOk) return status;
  out = std::move(buffer);
  outCount = count;
  return BlockReplyStatus::kOk;
}

BlockReplyStatus DecodeInflatedBlockBody(uint8_t* bytes, size_t produced, NameConverter convertName,
                                         uint32_t& outCount) {
  // The count and every record must lie inside what was actually inflated.
  if (bytes == nullptr || produced < kBlockLeadingBytes + 4) return BlockReplyStatus::kFailed;
  const uint32_t count = LoadBe32(bytes + kBlockLeadingBytes);
  const size_t room = (produced - kBlockLeadingBytes - 4) / kBlockRecordSize;
  if (count > room) return BlockReplyStatus::kFailed;
  std::memcpy(bytes + kBlockLeadingBytes, &count, 4);
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t* record = bytes + kBlockLeadingBytes + 4 + size_t(i) * kBlockRecordSize;
    const uint32_t key = LoadBe32(record);
    std::memcpy(record, &key, 4);
    if (convertName != nullptr) {
      // Copy out and back: the name is not aligned for WCHAR access.
      WCHAR name[8];
      std::memcpy(name, record + 4, 16);
      convertName(name, 16);
      std::memcpy(record + 4, name, 16);
    }
  }
  outCount = count;
  return BlockReplyStatus::kOk;
}

BlockReplyStatus DecodeBlockReply(const uint8_t* data, size_t size, NameConverter convertName,
                                  std::unique_ptr<char[]>& out, uint32_t& outCount) {
  BlockReplyHeader header;
  const BlockReplyStatus status = ReadBlockReplyHeader(data, size, header);
  if (status != BlockReplyStatus::kOk) return status;
  if (size != header.total) return BlockReplyStatus::kFailed;
  return DecodeBlockReplyBody(data + 8, size - 8, header, convertName, out, outCount);
}

int BlockingRequest(HWND hwnd, CKivBlockingSocket& socket, const BlockRequestFields& fields,
                    const BlockContext& context) {
  const std::array<uint8_t, 12> request = EncodeBlockRequest(fields);
  auto fail = [&](UINT msg, int result) {
    socket.Close();
    PostPlain(hwnd, msg);
    return result;
  };
  // Every wait is cut to what is left of the request's deadline; once none
  // is left the request fails as a read that timed out.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(context.timings.requestMs);
  auto within = [&](int waitMs, const char* step, int waits = 1) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) throw CKivBlockingSocketException(step, kWsaTimedOut);
    const auto share = left / waits > 0 ? left / waits : 1;
    return share < waitMs ? static_cast<int>(share) : waitMs;
  };
  // A send waits for writability up to ten times.
  const auto sendWait = [&] { return within(context.timings.sendMs, "Send timeout", 10); };

  if (!socket.IsOpen()) {
    if (ConnectDataServer(socket, hwnd, context) != 0 && ConnectNextDataServer(socket, hwnd, context) != 0)
      return fail(WM_KIV_REQUEST_FAILED, -1);
  }
  try {
    socket.SendAll(request.data(), int(request.size()), sendWait());
  } catch (const CKivBlockingSocketException&) {
    // The held link went stale: try the next server once.
    socket.Close();
    if (ConnectNextDataServer(socket, hwnd, context) != 0) return fail(WM_KIV_REQUEST_FAILED, -1);
    try {
      socket.SendAll(request.data(), int(request.size()), sendWait());
    } catch (const CKivBlockingSocketException&) {
      return fail(WM_KIV_REQUEST_FAILED, -1);
    }
  }

  try {
    std::vector<uint8_t> chunk(8192, 0);
    int got = socket.Receive(chunk.data(), int(chunk.size()), within(context.timings.firstReadMs, "Receive timeout"));
    if (got == 0) return fail(WM_KIV_REQUEST_ENDED, 0);
    BlockReplyHeader header;
    const BlockReplyStatus status = ReadBlockReplyHeader(chunk.data(), size_t(got), header);
    if (status == BlockReplyStatus::kEnded) return fail(WM_KIV_REQUEST_ENDED, 0);
    if (status == BlockReplyStatus::kFailed) return fail(WM_KIV_REQUEST_FAILED, -1);
    if (uint32_t(got) > header.total) return fail(WM_KIV_REQUEST_FAILED, -1);

    std::vector<uint8_t> body;
    body.reserve(header.total - 8);
    body.insert(body.end(), chunk.begin() + 8, chunk.begin() + got);
    size_t have = size_t(got);
    while (have < header.total) {
      got = socket.Receive(chunk.data(), int(chunk.size()), within(context.timings.nextReadMs, "Receive timeout"));
      if (got == 0) return fail(WM_KIV_REQUEST_ENDED, 0);
      if (have + size_t(got) > header.total) return fail(WM_KIV_REQUEST_FAILED, -1);
      body.insert(body.end(), chunk.begin(), chunk.begin() + got);
      have += size_t(got);
    }

    std::unique_ptr<char[]> result;
    uint32_t count = 0;
    if (DecodeBlockReplyBody(body.data(), body.size(), header, context.convertName, result, count) !=
        BlockReplyStatus::kOk)
      return fail(WM_KIV_REQUEST_FAILED, -1);
    // The window owns the buffer once the post succeeds; a window that is
    // gone (or none was given) leaves it to be freed here.
    if (hwnd != nullptr) PostOwned(hwnd, WM_KIV_FORMULA_RESULT, std::move(result), 0);
    return 0;
  } catch (const CKivBlockingSocketException& e) {
    char text[128];
    e.GetErrorMessage(text, sizeof(text));
    KivTrace("block data request: %s\n", text);
    return fail(WM_KIV_REQUEST_FAILED, -1);
  }
}

}  // namespace kiv
