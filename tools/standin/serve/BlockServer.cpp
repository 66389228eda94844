#include "tools/standin/serve/BlockServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "platform/sys/ByteOrder.h"
#include "platform/sys/CodePage.h"
#include "tools/standin/market/Universe.h"

namespace kiv::standin {

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

constexpr size_t kMaxRecords = 200;

}  // namespace

std::string CompressBlockBody(const std::string& raw) {
  uLongf size = compressBound(uLong(raw.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()));
  out.resize(size);
  return out;
}

std::string BuildRawBlockReply(uint32_t total, uint32_t inflated, const std::string& body) {
  std::string out;
  ByteWriter(&out).Be32(total).Be32(inflated).Bytes(body.data(), body.size());
  return out;
}

std::string BuildBlockReply(const std::string& leading16, const std::vector<BlockRecord>& records) {
  std::string raw = leading16;
  raw.resize(16, '\0');
  ByteWriter writer(&raw);
  writer.Be32(uint32_t(records.size()));
  for (const BlockRecord& r : records) {
    writer.Be32(r.key);
    // Eight UTF-16 units, little-endian, zero-padded.
    for (size_t i = 0; i < 8; ++i) writer.Le16(i < r.name.size() ? uint16_t(r.name[i]) : 0);
  }
  const std::string body = CompressBlockBody(raw);
  return BuildRawBlockReply(uint32_t(body.size() + 8), uint32_t(raw.size()), body);
}

bool BlockPick(uint32_t stockId, uint32_t mask) {
  // A fixed mix of the two words: about one stock in eight meets a mask.
  uint64_t h = (uint64_t(stockId) << 32) ^ mask ^ 0x9E3779B97F4A7C15ull;
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  return (h & 7) == 0;
}

BlockServer::BlockServer(const Universe* universe, size_t logLimit)
    : universe_(universe), log_(logLimit) {}

BlockServer::~BlockServer() { Stop(); }

bool BlockServer::Start(const std::string& bindAddress, uint16_t port, std::string& error) {
  Stop();
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = "block port: socket failed";
    return false;
  }
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (::inet_pton(AF_INET, bindAddress.c_str(), &address.sin_addr) != 1 ||
      ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd, 16) != 0) {
    error = "block port " + std::to_string(port) + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  socklen_t length = sizeof(address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  listenFd_ = fd;
  stopping_ = false;
  acceptThread_ = std::thread([this] { AcceptLoop(); });
  return true;
}

void BlockServer::Stop() {
  if (!acceptThread_.joinable()) return;
  stopping_ = true;
  acceptThread_.join();
  ::close(listenFd_);
  listenFd_ = -1;
  std::map<uint64_t, std::thread> sessions;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& entry : open_) ::shutdown(entry.second, SHUT_RDWR);
    sessions.swap(sessions_);
    finished_.clear();
  }
  for (auto& entry : sessions) entry.second.join();
  port_ = 0;
}

void BlockServer::AcceptLoop() {
  while (!stopping_) {
    ReapFinishedSessions();
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    const uint64_t connection = ++accepted_;
    open_[connection] = fd;
    sessions_.emplace(connection, std::thread([this, fd, connection] { Serve(fd, connection); }));
    changed_.notify_all();
  }
}

void BlockServer::ReapFinishedSessions() {
  std::vector<std::thread> ended;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const uint64_t connection : finished_) {
      const auto found = sessions_.find(connection);
      if (found == sessions_.end()) continue;
      ended.push_back(std::move(found->second));
      sessions_.erase(found);
    }
    finished_.clear();
  }
  // A finished session has only its last unlock left to run: the joins
  // are short, and taken outside the lock it needs.
  for (std::thread& t : ended) t.join();
}

void BlockServer::Serve(int fd, uint64_t connection) {
  std::string pending;
  bool open = true;
  while (open && !stopping_) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, 20);
    if (ready <= 0) continue;
    char chunk[256];
    const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
    if (n <= 0) break;
    pending.append(chunk, size_t(n));
    while (open && pending.size() >= 12) {
      const uint8_t* b = reinterpret_cast<const uint8_t*>(pending.data());
      BlockRequestEntry entry;
      entry.connection = connection;
      entry.kind = LoadLe16(b);
      entry.subKind = LoadLe16(b + 2);
      entry.zero = LoadLe32(b + 4);
      entry.key = LoadLe32(b + 8);
      pending.erase(0, 12);
      BlockReplyOverride reply;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.Add(entry);
        reply = override_;
        changed_.notify_all();
      }
      const BlockReplyMode mode = mode_.load();
      if (mode == BlockReplyMode::kSilent) continue;
      if (mode == BlockReplyMode::kClose) {
        open = false;
        break;
      }
      const std::string bytes = reply ? reply(entry) : ServedReply(entry);
      if (mode == BlockReplyMode::kSplit) {
        // The header goes whole: the terminal fails a first read shorter
        // than the header. The body follows in pieces of 5 bytes.
        for (size_t at = 0; open && at < bytes.size();) {
          const size_t piece = std::min<size_t>(at == 0 ? 8 : 5, bytes.size() - at);
          open = WriteAll(fd, bytes.data() + at, piece);
          at += piece;
          std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
      } else {
        open = WriteAll(fd, bytes.data(), bytes.size());
      }
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(connection);
  ::close(fd);
  finished_.push_back(connection);
}

std::string BlockServer::ServedReply(const BlockRequestEntry& request) const {
  const uint32_t selector = request.key >> 24;
  const uint32_t mask = request.key & 0xFFFFFF;
  std::vector<BlockRecord> records;
  if (universe_ != nullptr) {
    for (const Security& s : universe_->Securities()) {
      if (records.size() >= kMaxRecords) break;
      if (!IsAShareGroup(s.group)) continue;
      if (selector != 0 && (s.id >> 24) != selector) continue;
      if (!BlockPick(s.id, mask)) continue;
      records.push_back({s.id, kiv::DecodeToUtf16(936, s.name)});
    }
  }
  std::string leading;
  ByteWriter(&leading).Be16(request.kind).Be16(request.subKind).Be32(request.key).Zeros(8);
  return BuildBlockReply(leading, records);
}

std::vector<BlockRequestEntry> BlockServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_.Copy();
}

bool BlockServer::WaitForRequests(size_t count, std::chrono::milliseconds bound) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, bound, [&] { return log_.Added() >= count; });
}

uint64_t BlockServer::AcceptedConnections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return accepted_;
}

size_t BlockServer::SessionThreads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return sessions_.size();
}

void BlockServer::ClearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  log_.Clear();
}

void BlockServer::SetOverride(BlockReplyOverride reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  override_ = std::move(reply);
}

}  // namespace kiv::standin
