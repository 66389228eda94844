// RequestLog: the requests the market-data port received, in arrival order,
// for tests that assert what the terminal sent (or that it sent nothing).
// It keeps the last `limit` requests and counts them all, so that a stand-in
// serving for days holds a log of fixed size. Heartbeats are counted apart,
// so that an idle link does not fill the log. Thread-safe; the waits wake as
// soon as their condition holds.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "tools/standin/serve/BoundedLog.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::standin {

class RequestLog {
 public:
  explicit RequestLog(size_t limit = kDefaultLogLimit) : requests_(limit) {}

  void Add(LoggedRequest request);
  void AddHeartbeat();

  // The kept requests (the last `limit`), all or those of one type.
  std::vector<LoggedRequest> All() const;
  std::vector<LoggedRequest> OfType(uint32_t type) const;
  // Requests received since the last Clear, kept or not.
  size_t Count() const;
  uint64_t Heartbeats() const;
  void Clear();

  // Until Count() reaches count.
  bool WaitForCount(size_t count, std::chrono::milliseconds bound) const;
  bool WaitForHeartbeats(uint64_t count, std::chrono::milliseconds bound) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  BoundedLog<LoggedRequest> requests_;
  uint64_t heartbeats_ = 0;
};

}  // namespace kiv::standin
