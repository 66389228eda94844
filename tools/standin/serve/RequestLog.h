// RequestLog: every request the market-data port received, in arrival order,
// for tests that assert what the terminal sent (or that it sent nothing).
// Heartbeats are counted apart, so that an idle link does not fill the log.
// Thread-safe; the waits wake as soon as their condition holds.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "tools/standin/serve/StandinServer.h"

namespace kiv::standin {

class RequestLog {
 public:
  void Add(LoggedRequest request);
  void AddHeartbeat();

  std::vector<LoggedRequest> All() const;
  std::vector<LoggedRequest> OfType(uint32_t type) const;
  size_t Count() const;
  uint64_t Heartbeats() const;
  void Clear();

  bool WaitForCount(size_t count, std::chrono::milliseconds bound) const;
  bool WaitForHeartbeats(uint64_t count, std::chrono::milliseconds bound) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<LoggedRequest> requests_;
  uint64_t heartbeats_ = 0;
};

}  // namespace kiv::standin
