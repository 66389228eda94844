#include "tools/standin/market/IndexLevels.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "tools/standin/market/MarketTime.h"

namespace kiv::standin {

namespace {

constexpr int kSessionOpenMinute = 9 * 60 + 30;
constexpr int32_t kShareTick = 100;  // 0.01 yuan, x 10000: every A share quotes two decimals

// Total value by which the large-cap indices pick their members.
double ShareValue(const Security& s) { return double(s.totalShares) * double(s.basePrice); }

bool IsShanghaiA(const Security& s) {
  return s.group == SecurityGroup::kShShare || s.group == SecurityGroup::kStarShare;
}
bool IsShenzhenA(const Security& s) {
  return s.group == SecurityGroup::kSzMainShare || s.group == SecurityGroup::kSmeShare ||
         s.group == SecurityGroup::kChiNextShare;
}

int32_t ToWire(double level) { return static_cast<int32_t>(std::llround(level * 10000.0)); }

}  // namespace

IndexLevels::IndexLevels(const Universe& universe, const PriceHistory& prices)
    : universe_(universe), prices_(prices) {
  for (const Security& s : universe_.Securities()) {
    if (!IsAShareGroup(s.group)) continue;
    Member m;
    m.security = &s;
    m.price = s.basePrice;
    shares_.push_back(std::move(m));
  }
  // Value ranks, largest first (ties by id, so the order is total).
  std::vector<size_t> byValue(shares_.size());
  for (size_t i = 0; i < byValue.size(); ++i) byValue[i] = i;
  std::sort(byValue.begin(), byValue.end(), [&](size_t a, size_t b) {
    const double va = ShareValue(*shares_[a].security), vb = ShareValue(*shares_[b].security);
    return va != vb ? va > vb : shares_[a].security->id < shares_[b].security->id;
  });
  std::vector<bool> top300(shares_.size(), false);
  for (size_t r = 0; r < byValue.size() && r < 300; ++r) top300[byValue[r]] = true;
  std::vector<bool> top50Sh(shares_.size(), false);
  size_t picked = 0;
  for (size_t r = 0; r < byValue.size() && picked < 50; ++r) {
    if (shares_[byValue[r]].security->group == SecurityGroup::kShShare) {
      top50Sh[byValue[r]] = true;
      ++picked;
    }
  }

  struct Rule {
    uint32_t code;
    uint32_t market;
    double base;
  };
  const Rule rules[kIndexCount] = {{1, kMarketShanghai, 1266},   {300, kMarketShanghai, 1000},
                                   {16, kMarketShanghai, 850},   {905, kMarketShanghai, 1000},
                                   {688, kMarketShanghai, 1000}, {399001, kMarketShenzhen, 3100},
                                   {399005, kMarketShenzhen, 1000}, {399006, kMarketShenzhen, 1000},
                                   {399106, kMarketShenzhen, 350}};
  for (const Rule& rule : rules) {
    Definition d;
    d.id = MakeStockId(rule.code, rule.market);
    d.base = rule.base;
    for (size_t i = 0; i < shares_.size(); ++i) {
      const Security& s = *shares_[i].security;
      bool in = false;
      switch (rule.code) {
        case 1: in = IsShanghaiA(s); break;
        case 300: in = top300[i]; break;
        case 16: in = top50Sh[i]; break;
        case 905: in = !top300[i]; break;
        case 688: in = s.group == SecurityGroup::kStarShare; break;
        case 399001: in = s.group == SecurityGroup::kSzMainShare || s.group == SecurityGroup::kSmeShare; break;
        case 399005: in = s.group == SecurityGroup::kSmeShare; break;
        case 399006: in = s.group == SecurityGroup::kChiNextShare; break;
        case 399106: in = IsShenzhenA(s); break;
        default: break;
      }
      if (in) d.members.push_back(i);
    }
    definitions_.push_back(std::move(d));
  }
  levels_.resize(definitions_.size());
}

int IndexLevels::FindDefinition(StockId index) const {
  StockId id = index;
  FillMissingMarket(&id);
  for (size_t d = 0; d < definitions_.size(); ++d) {
    if (definitions_[d].id == id) return static_cast<int>(d);
  }
  return -1;
}

bool IndexLevels::Computes(StockId index) const { return FindDefinition(index) >= 0; }

std::vector<const Security*> IndexLevels::Members(StockId index) const {
  std::vector<const Security*> out;
  const int d = FindDefinition(index);
  if (d < 0) return out;
  for (size_t i : definitions_[d].members) out.push_back(shares_[i].security);
  return out;
}

long IndexLevels::DayIndexOf(int64_t day) const {
  const std::vector<int64_t>& days = prices_.TradingDays();
  auto found = std::lower_bound(days.begin(), days.end(), day);
  return found != days.end() && *found == day ? static_cast<long>(found - days.begin()) : -1;
}

void IndexLevels::ComputeThrough(size_t dayIndex) {
  const size_t end = std::min(dayIndex + 1, prices_.TradingDays().size());
  if (end <= computed_) return;
  const size_t first = computed_, days = end - first;
  // Each share's returns and weights of the new days: a chain of its own
  // (its price moves with its returns), independent of every other share's,
  // so the shares are shared out among a few threads. The sums below then
  // add them in one fixed order, so the levels do not depend on the threads.
  std::vector<std::vector<double>> returns(shares_.size());
  auto runShares = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      Member& m = shares_[i];
      returns[i].assign(days, std::nan(""));
      m.weights.reserve(end);
      for (size_t t = first; t < end; ++t) {
        if (!prices_.ModelTrades(*m.security, t)) {
          m.weights.push_back(0.0f);
          continue;
        }
        const double r = prices_.ModelReturn(*m.security, t);
        m.weights.push_back(static_cast<float>(double(m.security->floatShares) * m.price));
        m.price *= 1.0 + r;
        returns[i][t - first] = r;
      }
    }
  };
  const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, kMaxThreads);
  const size_t chunk = (shares_.size() + threads - 1) / threads;
  std::vector<std::thread> workers;
  for (size_t from = chunk; from < shares_.size(); from += chunk) {
    workers.emplace_back(runShares, from, std::min(shares_.size(), from + chunk));
  }
  runShares(0, std::min(shares_.size(), chunk));
  for (std::thread& w : workers) w.join();

  // Which indices each share counts in.
  std::vector<std::vector<int>> countsIn(shares_.size());
  for (size_t d = 0; d < definitions_.size(); ++d) {
    for (size_t i : definitions_[d].members) countsIn[i].push_back(static_cast<int>(d));
  }
  for (auto& levels : levels_) levels.reserve(end);
  std::vector<double> sumWeight(definitions_.size()), sumWeighted(definitions_.size());
  for (size_t t = first; t < end; ++t) {
    std::fill(sumWeight.begin(), sumWeight.end(), 0.0);
    std::fill(sumWeighted.begin(), sumWeighted.end(), 0.0);
    for (size_t i = 0; i < shares_.size(); ++i) {
      const double r = returns[i][t - first];
      if (std::isnan(r)) continue;
      const float weight = shares_[i].weights[t];
      for (int d : countsIn[i]) {
        sumWeight[d] += weight;
        sumWeighted[d] += double(weight) * r;
      }
    }
    for (size_t d = 0; d < definitions_.size(); ++d) {
      const double before = t == 0 ? definitions_[d].base : levels_[d][t - 1];
      const double r = sumWeight[d] > 0 ? sumWeighted[d] / sumWeight[d] : 0.0;
      levels_[d].push_back(before * (1.0 + r));
    }
  }
  computed_ = end;
}

double IndexLevels::LevelAfter(int definition, size_t dayIndex) const { return levels_[definition][dayIndex]; }

int32_t IndexLevels::CloseLocked(int definition, size_t dayIndex) {
  ComputeThrough(dayIndex);
  return ToWire(LevelAfter(definition, dayIndex));
}

std::vector<int32_t> IndexLevels::PathLocked(int definition, size_t dayIndex) {
  auto kept = paths_.find({definition, dayIndex});
  if (kept != paths_.end()) return kept->second;
  ComputeThrough(dayIndex);
  const Definition& def = definitions_[definition];
  const int64_t day = prices_.TradingDays()[dayIndex];
  const double before = dayIndex == 0 ? def.base : LevelAfter(definition, dayIndex - 1);
  std::vector<double> sum(PriceHistory::kPathPoints, 0.0);
  double sumWeight = 0;
  for (size_t i : def.members) {
    const Member& m = shares_[i];
    const float weight = m.weights[dayIndex];
    if (weight <= 0.0f) continue;
    const ModelDay shape = prices_.ModelDayOf(*m.security, dayIndex);
    const double price = double(weight) / double(m.security->floatShares);
    const std::vector<double> path = prices_.ModelPath(*m.security, day, shape, price > 0 ? kShareTick / price : 0.0);
    for (int p = 0; p < PriceHistory::kPathPoints; ++p) sum[p] += double(weight) * path[p];
    sumWeight += weight;
  }
  std::vector<int32_t> out(PriceHistory::kPathPoints);
  for (int p = 0; p < PriceHistory::kPathPoints; ++p) {
    out[p] = ToWire(sumWeight > 0 ? before * sum[p] / sumWeight : before);
  }
  // The path ends on the day's close, to the unit.
  out.back() = ToWire(LevelAfter(definition, dayIndex));
  if (paths_.size() >= kKeptPaths) paths_.erase(paths_.begin());
  paths_.emplace(std::make_pair(definition, dayIndex), out);
  return out;
}

int32_t IndexLevels::CloseOf(StockId index, int64_t day) {
  const int d = FindDefinition(index);
  const long t = DayIndexOf(day);
  if (d < 0 || t < 0) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  return CloseLocked(d, static_cast<size_t>(t));
}

std::vector<int32_t> IndexLevels::MinutePath(StockId index, int64_t day) {
  const int d = FindDefinition(index);
  const long t = DayIndexOf(day);
  if (d < 0 || t < 0) return {};
  std::lock_guard<std::mutex> lock(mutex_);
  return PathLocked(d, static_cast<size_t>(t));
}

void IndexLevels::ShapeDayBar(StockId index, int64_t day, int minutes, MarketBar& bar) {
  const int d = FindDefinition(index);
  const long t = DayIndexOf(day);
  if (d < 0 || t < 0) return;
  const int last = PriceHistory::kPathPoints - 1;
  if (minutes > 0 && minutes < last) {
    std::vector<int32_t> path;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      path = PathLocked(d, static_cast<size_t>(t));
    }
    if (path.size() != PriceHistory::kPathPoints) return;
    bar.open = bar.high = bar.low = path[0];
    for (int m = 1; m <= minutes; ++m) {
      bar.high = std::max(bar.high, path[static_cast<size_t>(m)]);
      bar.low = std::min(bar.low, path[static_cast<size_t>(m)]);
    }
    bar.close = path[static_cast<size_t>(minutes)];
    return;
  }
  int32_t close = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    close = CloseLocked(d, static_cast<size_t>(t));
  }
  if (close <= 0) return;
  if (bar.close <= 0) {
    bar.open = bar.high = bar.low = bar.close = close;
    return;
  }
  // The bar's own shape around its close, on the index's level.
  const double scale = static_cast<double>(close) / bar.close;
  auto scaled = [scale](int32_t price) { return static_cast<int32_t>(std::lround(price * scale)); };
  bar.open = scaled(bar.open);
  bar.high = std::max(scaled(bar.high), close);
  bar.low = std::min(scaled(bar.low), close);
  bar.close = close;
  bar.open = std::min(std::max(bar.open, bar.low), bar.high);
}

bool IndexLevels::QuoteAt(StockId index, int64_t nowUtc, IndexQuote* out) {
  const int d = FindDefinition(index);
  if (d < 0 || out == nullptr) return false;
  const MarketInstant now = MarketInstantOf(nowUtc);
  const std::vector<int64_t>& days = prices_.TradingDays();
  // The last trading day up to today.
  const size_t upTo = static_cast<size_t>(std::upper_bound(days.begin(), days.end(), now.day) - days.begin());
  if (upTo == 0) return false;
  const size_t t = upTo - 1;
  std::lock_guard<std::mutex> lock(mutex_);
  ComputeThrough(t);
  auto closeOf = [&](size_t dayIndex) { return ToWire(LevelAfter(d, dayIndex)); };
  const int32_t baseLevel = ToWire(definitions_[d].base);
  if (days[t] != now.day) {
    // No session today: the last session's close against the one before.
    out->last = closeOf(t);
    out->previousClose = t > 0 ? closeOf(t - 1) : baseLevel;
    return true;
  }
  out->previousClose = t > 0 ? closeOf(t - 1) : baseLevel;
  const BeijingDateTime local = ToBeijing(nowUtc);
  if (local.hour * 60 + local.minute < kSessionOpenMinute) {
    out->last = out->previousClose;  // before the open, and through the auction
  } else if (now.minutes >= PriceHistory::kPathPoints - 1) {
    out->last = closeOf(t);
  } else {
    out->last = PathLocked(d, t)[static_cast<size_t>(now.minutes)];
  }
  return true;
}

}  // namespace kiv::standin
