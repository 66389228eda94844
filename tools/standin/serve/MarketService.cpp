#include "tools/standin/serve/MarketService.h"

#include "net/DataTypes.h"
#include "tools/standin/serve/FinanceReplies.h"
#include "tools/standin/serve/IndexQuoteReplies.h"
#include "tools/standin/serve/ReplyBuilder.h"
#include "tools/standin/serve/ReplyIds.h"
#include "tools/standin/serve/SectorReplies.h"

namespace kiv::standin {

namespace {

int64_t MinuteOf(int64_t utcSeconds) {
  return utcSeconds >= 0 ? utcSeconds / 60 : (utcSeconds - 59) / 60;
}

}  // namespace

MarketService::MarketService(uint64_t seed) : universe_(seed) {}

namespace {

constexpr uint32_t kExRightsType = 20000029;

bool IsBarType(uint32_t type) {
  BarPeriod period;
  return BarPeriodOf(type, period);
}

}  // namespace

bool MarketService::Serves(uint32_t type) {
  return type == DT_STOCK_TABLE || type == DT_INDEX_QUOTES || type == kExRightsType ||
         type == DT_STOCK_INDUSTRY || type == DT_FINANCE || IsBarType(type);
}

KivNetPack MarketService::Reply(uint32_t type, const KivNetPack& request, int64_t nowUtc) {
  if (!Serves(type)) return KivNetPack();
  const BarFault fault = static_cast<BarFault>(fault_.load());
  if (fault != BarFault::kNone && IsBarType(type)) {
    return BuildBarReply(history_, indices_, type, request, nowUtc, fault);
  }

  std::string key;
  request.GetAllPackData(key);
  const int64_t minute = MinuteOf(nowUtc);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (minute != cacheMinute_) {
      cache_.clear();
      cacheMinute_ = minute;
    }
    auto found = cache_.find({type, key});
    if (found != cache_.end()) {
      ++hits_;
      return KivNetPack(found->second);
    }
    ++misses_;
  }

  // Built outside the lock: replies are pure functions of their key, so two
  // threads building the same one at once store equal packs.
  KivNetPack reply = Build(type, request, nowUtc);
  std::lock_guard<std::mutex> lock(mutex_);
  if (minute == cacheMinute_) {
    if (cache_.size() >= kMaxCachedReplies) cache_.clear();
    cache_.emplace(std::make_pair(type, std::move(key)), reply);
  }
  return reply;
}

KivNetPack MarketService::Build(uint32_t type, const KivNetPack& request, int64_t nowUtc) const {
  switch (type) {
    case DT_STOCK_TABLE:
      return BuildStockTableReply(universe_);
    case DT_INDEX_QUOTES:
      return BuildIndexQuotesReply(indices_, request, nowUtc);
    case kExRightsType:
      return BuildExRightsReply(history_, request, nowUtc);
    case DT_STOCK_INDUSTRY:
      return BuildSectorMembersReply(universe_, history_, request, nowUtc);
    case DT_FINANCE:
      return BuildFinanceReply(universe_, finance_, request, nowUtc);
    default:
      if (IsBarType(type)) return BuildBarReply(history_, indices_, type, request, nowUtc);
      return KivNetPack();
  }
}

uint64_t MarketService::CacheHits() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hits_;
}

uint64_t MarketService::CacheMisses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return misses_;
}

}  // namespace kiv::standin
