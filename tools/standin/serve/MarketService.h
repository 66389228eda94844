// MarketService: what the market-data port answers. It turns one request
// (data type and payload) at one market instant into the payload of its
// reply, from the synthetic market of one seed.
//
// Every request is answered: types not served yet get an empty payload (the
// terminal never resends a request and never gives up waiting for one).
// Replies are cached per (type, request payload, minute), so a terminal that
// polls every second costs one build per minute; the cache forgets earlier
// minutes as soon as a later one is asked for, and is bounded in size.
// Thread-safe.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "net/KivNetPack.h"
#include "tools/standin/market/Finance.h"
#include "tools/standin/market/IndexLevels.h"
#include "tools/standin/market/PriceHistory.h"
#include "tools/standin/market/Universe.h"
#include "tools/standin/serve/BarReplies.h"

namespace kiv::standin {

class MarketService {
 public:
  explicit MarketService(uint64_t seed);

  const Universe& GetUniverse() const { return universe_; }
  // The bars of the market (memoised, thread-safe).
  PriceHistory& Prices() { return history_; }
  // The index levels made from the members (memoised, thread-safe).
  IndexLevels& Indices() const { return indices_; }
  // The shares' quarterly reports (memoised, thread-safe).
  FinanceModel& Finance() const { return finance_; }

  // Breaks every later bar reply in the given way (kNone mends them).
  void SetBarFault(BarFault fault) { fault_ = static_cast<int>(fault); }

  // The payload of the reply to a request of this type and payload, with the
  // market clock at nowUtc (seconds since 1970 UTC).
  KivNetPack Reply(uint32_t type, const KivNetPack& request, int64_t nowUtc);

  // Whether the type has a reply of its own (others are answered empty).
  static bool Serves(uint32_t type);

  uint64_t CacheHits() const;
  uint64_t CacheMisses() const;

 private:
  static constexpr size_t kMaxCachedReplies = 4096;

  KivNetPack Build(uint32_t type, const KivNetPack& request, int64_t nowUtc) const;

  const Universe universe_;
  mutable PriceHistory history_{universe_};  // thread-safe memo; replies read it
  mutable IndexLevels indices_{universe_, history_};  // likewise
  mutable FinanceModel finance_{universe_, history_};  // likewise
  std::atomic<int> fault_{static_cast<int>(BarFault::kNone)};
  mutable std::mutex mutex_;
  int64_t cacheMinute_ = 0;
  std::map<std::pair<uint32_t, std::string>, KivNetPack> cache_;  // of cacheMinute_
  uint64_t hits_ = 0;
  uint64_t misses_ = 0;
};

}  // namespace kiv::standin
