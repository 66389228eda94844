#include "tools/standin/serve/RequestLog.h"

namespace kiv::standin {

void RequestLog::Add(LoggedRequest request) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.Add(std::move(request));
  }
  changed_.notify_all();
}

void RequestLog::AddHeartbeat() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++heartbeats_;
  }
  changed_.notify_all();
}

std::vector<LoggedRequest> RequestLog::All() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.Copy();
}

std::vector<LoggedRequest> RequestLog::OfType(uint32_t type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<LoggedRequest> out;
  for (const LoggedRequest& request : requests_.Entries()) {
    if (request.header.type == type) out.push_back(request);
  }
  return out;
}

size_t RequestLog::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<size_t>(requests_.Added());
}

uint64_t RequestLog::Heartbeats() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return heartbeats_;
}

void RequestLog::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.Clear();
  heartbeats_ = 0;
}

bool RequestLog::WaitForCount(size_t count, std::chrono::milliseconds bound) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, bound, [&] { return requests_.Added() >= count; });
}

bool RequestLog::WaitForHeartbeats(uint64_t count, std::chrono::milliseconds bound) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, bound, [&] { return heartbeats_ >= count; });
}

}  // namespace kiv::standin
