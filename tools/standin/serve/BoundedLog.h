// BoundedLog: the last `limit` entries of a log, with the number added
// since it was last cleared, so that a server that runs for days keeps a
// log of fixed size while tests still see what they sent and how much.
// Not thread-safe: its owner guards it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace kiv::standin {

// Entries a stand-in log keeps unless told otherwise: far more than any test
// sends, a few megabytes at most.
constexpr size_t kDefaultLogLimit = 10000;

template <class T>
class BoundedLog {
 public:
  explicit BoundedLog(size_t limit = kDefaultLogLimit) : limit_(limit) {}

  // Adds an entry, dropping the oldest when the log is full; a log of limit
  // 0 only counts.
  void Add(T entry) {
    ++added_;
    if (limit_ == 0) return;
    if (entries_.size() >= limit_) entries_.pop_front();
    entries_.push_back(std::move(entry));
  }
  void Clear() {
    entries_.clear();
    added_ = 0;
  }

  // The kept entries, oldest first: the last min(Added(), limit) added.
  const std::deque<T>& Entries() const { return entries_; }
  std::vector<T> Copy() const { return std::vector<T>(entries_.begin(), entries_.end()); }
  // Entries added since the log was last cleared, kept or not.
  uint64_t Added() const { return added_; }
  size_t Limit() const { return limit_; }

 private:
  size_t limit_;
  std::deque<T> entries_;
  uint64_t added_ = 0;
};

}  // namespace kiv::standin
