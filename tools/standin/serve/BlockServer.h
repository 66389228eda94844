// BlockServer: the stand-in for the block data servers (port 5150 in
// production). A client sends 12-byte requests (u16 kind, u16 sub-kind,
// u32 0, u32 key: selector byte in bits 24-31 (0 all, 1 Shanghai,
// 2 Shenzhen), condition mask in bits 0-23, all little-endian) and gets for
// each a reply of two big-endian words (total length with these 8 bytes,
// inflated length) and a zlib stream that inflates to 16 leading bytes
// (big-endian kind, sub-kind, key, 0), a big-endian record count and
// 20-byte records (big-endian StockId, 8 UTF-16LE name characters).
// Several requests are served per connection.
//
// Which stocks meet a mask is a pure function of the stock and the mask
// (at most 200 A shares), so tests can predict it with BlockPick.
//
// Switches for tests: silence (requests are logged, never answered), split
// replies (written in small pieces with pauses), closing the link instead of
// answering, and a raw reply override.
//
// Threads: Start creates an accept thread and one thread per connection;
// a connection's thread is joined soon after its link ends (the terminal
// opens a link per request, so a stand-in serving for days would otherwise
// keep a finished thread, stack and all, for every request). Stop closes
// everything and joins the rest. Every public method may be called from
// any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/standin/serve/BoundedLog.h"

namespace kiv::standin {

class Universe;

struct BlockRequestEntry {
  uint64_t connection = 0;  // 1, 2, ... in accept order
  uint16_t kind = 0;
  uint16_t subKind = 0;
  uint32_t zero = 0;
  uint32_t key = 0;
};

enum class BlockReplyMode {
  kNormal,  // one write per reply
  kSilent,  // log, never answer, keep the link open
  kSplit,   // the 8 header bytes, then the body in pieces of 5 with pauses
  kClose,   // close the link instead of answering
};

// Raw reply bytes for one request; replaces the served reply while set.
using BlockReplyOverride = std::function<std::string(const BlockRequestEntry&)>;

struct BlockRecord {
  uint32_t key = 0;
  std::u16string name;  // first 8 characters sent
};

// A reply: header, then the zlib stream of leading bytes, count and records.
std::string BuildBlockReply(const std::string& leading16, const std::vector<BlockRecord>& records);
// A reply with a header as given over a body as given (for bad replies).
std::string BuildRawBlockReply(uint32_t total, uint32_t inflated, const std::string& body);
// The zlib stream of raw bytes.
std::string CompressBlockBody(const std::string& raw);

// Whether the stand-in's market meets the mask for this stock.
bool BlockPick(uint32_t stockId, uint32_t mask);

class BlockServer {
 public:
  // The request log keeps the last logLimit requests (see BoundedLog).
  explicit BlockServer(const Universe* universe, size_t logLimit = kDefaultLogLimit);
  ~BlockServer();
  BlockServer(const BlockServer&) = delete;
  BlockServer& operator=(const BlockServer&) = delete;

  bool Start(const std::string& bindAddress, uint16_t port, std::string& error);
  void Stop();
  uint16_t Port() const { return port_.load(); }

  // The kept requests, oldest first; the wait counts every request since
  // the last ClearRequests, kept or not.
  std::vector<BlockRequestEntry> Requests() const;
  bool WaitForRequests(size_t count, std::chrono::milliseconds bound = std::chrono::seconds(10)) const;
  uint64_t AcceptedConnections() const;
  // Connection threads not joined yet: those serving a link, and those
  // whose link ended a moment ago.
  size_t SessionThreads() const;
  void ClearRequests();

  void SetMode(BlockReplyMode mode) { mode_.store(mode); }
  void SetOverride(BlockReplyOverride reply);
  // The served reply for a request (records of the universe).
  std::string ServedReply(const BlockRequestEntry& request) const;

 private:
  void AcceptLoop();
  void Serve(int fd, uint64_t connection);
  // Joins the threads of connections whose link has ended.
  void ReapFinishedSessions();

  const Universe* universe_;
  std::atomic<uint16_t> port_{0};
  std::atomic<bool> stopping_{false};
  std::atomic<BlockReplyMode> mode_{BlockReplyMode::kNormal};
  int listenFd_ = -1;
  std::thread acceptThread_;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  BoundedLog<BlockRequestEntry> log_;
  BlockReplyOverride override_;
  uint64_t accepted_ = 0;
  std::map<uint64_t, int> open_;  // connection -> fd
  std::map<uint64_t, std::thread> sessions_;  // connection -> its thread
  std::vector<uint64_t> finished_;            // connections whose thread has ended
};

}  // namespace kiv::standin
