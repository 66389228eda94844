#include "tools/standin/market/PriceHistory.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "tools/standin/market/Hash.h"
#include "tools/standin/market/MarketTime.h"

namespace kiv::standin {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int kMinutes = 240;

int64_t FirstDay() { return DaysFromCivil(2005, 1, 4); }
int64_t LastDay() { return DaysFromCivil(2030, 12, 31); }
int WeekdayOf(int64_t day) { return static_cast<int>(((day % 7) + 7 + 4) % 7); }  // 0 Sunday
bool IsWeekday(int64_t day) { return WeekdayOf(day) >= 1 && WeekdayOf(day) <= 5; }

int64_t DayOfDate(int32_t yyyymmdd) {
  return DaysFromCivil(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
}

// Stamp of trading minute m (1..240) of a day: 09:31..11:30, 13:01..15:00.
int64_t MinuteStamp(int64_t day, int m) {
  const int64_t midnight = day * kSecondsPerDay - kBeijingOffsetSeconds;
  return m <= 120 ? midnight + (9 * 60 + 30 + m) * 60 : midnight + (13 * 60 + (m - 120)) * 60;
}

int32_t RoundTo(double price, int32_t tick) {
  return static_cast<int32_t>(std::llround(price / tick)) * tick;
}

struct Defaults {
  int32_t basePrice;     // x 10000
  double volatility;
  double beta;
  int limitPercent;
  int64_t floatShares;
  int32_t tick;
};

Defaults DefaultsOf(const Security& s) {
  Defaults d{};
  d.tick = s.priceDecimals == 3 ? 10 : 100;
  if (IsAShareGroup(s.group) || s.group == SecurityGroup::kShBShare || s.group == SecurityGroup::kSzBShare) {
    d.basePrice = s.basePrice;
    d.volatility = s.volatility;
    d.beta = s.beta;
    d.limitPercent = s.dailyLimitPercent;
    d.floatShares = s.floatShares;
  } else if (IsIndexGroup(s.group)) {
    d.basePrice = StockCode(s.id) == 1 ? 12000000 : 10000000;  // 1200 and 1000 points
    d.volatility = 0.004;
    d.beta = 1.0;
    d.limitPercent = 10;
    d.floatShares = 20000000000LL;
  } else if (IsSectorGroup(s.group)) {
    d.basePrice = 10000000;
    d.volatility = 0.006;
    d.beta = 1.1;
    d.limitPercent = 10;
    d.floatShares = 5000000000LL;
  } else if (s.group == SecurityGroup::kShFund || s.group == SecurityGroup::kSzFund) {
    d.basePrice = 10000;  // 1.000 yuan
    d.volatility = 0.003;
    d.beta = 1.0;
    d.limitPercent = 10;
    d.floatShares = 3000000000LL;
  } else {  // bonds
    d.basePrice = 1000000;  // 100 yuan
    d.volatility = 0.0015;
    d.beta = 0.05;
    d.limitPercent = 10;
    d.floatShares = 50000000LL;
  }
  if (d.basePrice <= 0) d.basePrice = 100000;
  if (d.volatility <= 0) d.volatility = 0.015;
  if (d.limitPercent <= 0) d.limitPercent = 10;
  if (d.floatShares <= 0) d.floatShares = 100000000LL;
  return d;
}

bool HasExRights(const Security& s) {
  return IsAShareGroup(s.group) || s.group == SecurityGroup::kShBShare || s.group == SecurityGroup::kSzBShare;
}

// The industry a security's own return follows (sectors: their own index).
int IndustryOf(const Security& s) { return s.industry >= 0 ? s.industry : (s.sectorIndex >= 0 ? s.sectorIndex : 0); }

// The k-th standard normal of a security's day (0 its return, 1 its open,
// 2 and 3 its high and low).
double DayNormal(uint64_t seed, uint64_t id, int64_t day, uint64_t k) {
  return NormalOf(Hash(seed, HashKind::kDailyReturn, id, day, 0, 2 * k),
                  Hash(seed, HashKind::kDailyReturn, id, day, 0, 2 * k + 1));
}

// Whether a share is suspended on a day (no bar); other securities always trade.
bool SuspendedOn(uint64_t seed, const Security& s, int64_t day) {
  return HasExRights(s) && UnitInterval(Hash(seed, HashKind::kSuspension, s.id, day)) < 0.002;
}

// A security's return of a day, clipped at its daily limit: the market
// factor times its beta, its industry's return (shares only) and its own
// noise.
double DailyReturnOf(uint64_t seed, const Security& s, const Defaults& d, int64_t day, double marketFactor) {
  const double limit = d.limitPercent / 100.0;
  const int industry = IndustryOf(s);
  const double industryReturn =
      0.006 * NormalOf(Hash(seed, HashKind::kIndustry, industry, day, 0, 1), Hash(seed, HashKind::kIndustry, industry, day, 0, 2));
  double r = d.beta * marketFactor + (HasExRights(s) ? industryReturn : 0.0) + d.volatility * DayNormal(seed, s.id, day, 0);
  return std::clamp(r, -limit, limit);
}

// Brownian bridges between the anchors (t ascending, first 0, last 240), in
// the anchors' units: one value per minute point, not rounded.
std::vector<double> BridgeBetween(uint64_t seed, uint64_t id, int64_t day, const std::vector<std::pair<int, double>>& anchors,
                                  double sigma) {
  std::vector<double> path(PriceHistory::kPathPoints, 0.0);
  for (size_t a = 0; a + 1 < anchors.size(); ++a) {
    const int fromT = anchors[a].first, toT = anchors[a + 1].first;
    const double fromV = anchors[a].second, toV = anchors[a + 1].second;
    const int span = toT - fromT;
    std::vector<double> walk(static_cast<size_t>(span) + 1, 0.0);
    for (int k = 1; k <= span; ++k) {
      walk[k] = walk[k - 1] + sigma * NormalOf(Hash(seed, HashKind::kMinutePath, id, day, fromT + k, 3),
                                               Hash(seed, HashKind::kMinutePath, id, day, fromT + k, 4));
    }
    for (int k = 0; k <= span; ++k) {
      const double share = span ? double(k) / span : 0.0;
      path[fromT + k] = fromV + (toV - fromV) * share + walk[k] - walk[span] * share;
    }
  }
  return path;
}

// The minutes at which a security's day touches its high and its low.
std::pair<int, int> ExtremeMinutes(uint64_t seed, uint64_t id, int64_t day) {
  const int highAt = static_cast<int>(UniformInt(Hash(seed, HashKind::kMinutePath, id, day, 0, 1), 1, 239));
  int lowAt = static_cast<int>(UniformInt(Hash(seed, HashKind::kMinutePath, id, day, 0, 2), 1, 238));
  if (lowAt >= highAt) ++lowAt;
  return {highAt, lowAt};
}

std::vector<std::pair<int, double>> SortedAnchors(int highAt, int lowAt, double open, double high, double low,
                                                  double close) {
  std::vector<std::pair<int, double>> anchors = {{0, open}, {highAt, high}, {lowAt, low}, {kMinutes, close}};
  std::sort(anchors.begin(), anchors.end(),
            [](const std::pair<int, double>& a, const std::pair<int, double>& b) { return a.first < b.first; });
  return anchors;
}

}  // namespace

bool BarPeriodOf(uint32_t dataType, BarPeriod& out) {
  switch (dataType) {
    case 20000017: out = BarPeriod::kDay; return true;
    case 20000018: out = BarPeriod::kMinute5; return true;
    case 20000019: out = BarPeriod::kMinute15; return true;
    case 20000020: out = BarPeriod::kMinute30; return true;
    case 20000021: out = BarPeriod::kHour; return true;
    case 20000022: out = BarPeriod::kWeek; return true;
    case 20000023: out = BarPeriod::kMonth; return true;
    case 20000111: out = BarPeriod::kMinute1; return true;
    default: return false;
  }
}

int64_t CloseStampOf(int64_t day) { return day * kSecondsPerDay - kBeijingOffsetSeconds + 15 * 3600; }

MarketInstant MarketInstantOf(int64_t nowUtc) {
  const int64_t local = nowUtc + kBeijingOffsetSeconds;
  MarketInstant out;
  out.day = local >= 0 ? local / kSecondsPerDay : (local - kSecondsPerDay + 1) / kSecondsPerDay;
  out.tradingDay = IsWeekday(out.day) && out.day >= FirstDay() && out.day <= LastDay();
  const int minuteOfDay = static_cast<int>((local - out.day * kSecondsPerDay) / 60);
  if (!out.tradingDay || minuteOfDay <= 9 * 60 + 30) {
    out.minutes = 0;
  } else if (minuteOfDay <= 11 * 60 + 30) {
    out.minutes = minuteOfDay - (9 * 60 + 30);
  } else if (minuteOfDay <= 13 * 60) {
    out.minutes = 120;  // lunch: frozen at 11:30
  } else if (minuteOfDay <= 15 * 60) {
    out.minutes = 120 + minuteOfDay - 13 * 60;
  } else {
    out.minutes = kMinutes;
  }
  return out;
}

PriceHistory::PriceHistory(const Universe& universe) : universe_(universe) {
  for (int64_t day = FirstDay(); day <= LastDay(); ++day) {
    if (IsWeekday(day)) tradingDays_.push_back(day);
  }
  // The market's regimes: a bull market to 2007-10-16, a bear market to
  // 2008-10-28, then ranges of about half a year alternately up and down.
  const int64_t bullEnd = DaysFromCivil(2007, 10, 16), bearEnd = DaysFromCivil(2008, 10, 28);
  marketFactor_.resize(tradingDays_.size());
  size_t sinceBear = 0;
  for (size_t i = 0; i < tradingDays_.size(); ++i) {
    const int64_t day = tradingDays_[i];
    double drift;
    if (day <= bullEnd) {
      drift = 0.0028;
    } else if (day <= bearEnd) {
      drift = -0.0045;
    } else {
      drift = ((sinceBear++ / 125) % 2 == 0) ? 0.0006 : -0.0005;
    }
    const uint64_t seed = universe_.Seed();
    marketFactor_[i] = drift + 0.012 * NormalOf(Hash(seed, HashKind::kMarketFactor, 0, day, 0, 1),
                                                Hash(seed, HashKind::kMarketFactor, 0, day, 0, 2));
  }
}

double PriceHistory::MarketFactor(size_t dayIndex) const { return marketFactor_[dayIndex]; }

std::shared_ptr<const PriceHistory::History> PriceHistory::HistoryOf(StockId stock) {
  const Security* security = universe_.Find(stock);
  if (!security) return nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = memo_.find(security->id);
    if (found != memo_.end()) return found->second;
  }
  // Built outside the lock: a pure function, so two builders agree.
  std::shared_ptr<const History> built = Build(*security);
  std::lock_guard<std::mutex> lock(mutex_);
  return memo_.emplace(security->id, built).first->second;
}

std::shared_ptr<const PriceHistory::History> PriceHistory::Build(const Security& s) const {
  auto history = std::make_shared<History>();
  history->security = &s;
  const Defaults d = DefaultsOf(s);
  history->tick = d.tick;
  const uint64_t seed = universe_.Seed();
  const uint64_t id = s.id;
  const int64_t start = std::max(FirstDay(), s.listDate > 0 ? DayOfDate(s.listDate) : FirstDay());
  const double limit = d.limitPercent / 100.0;
  const bool shares = HasExRights(s);

  // This year's ex-date (a day in June 15 .. July 31) and its terms.
  auto exDateOf = [&](int year) {
    const int64_t first = DaysFromCivil(year, 6, 15), last = DaysFromCivil(year, 7, 31);
    return UniformInt(Hash(seed, HashKind::kDividend, id, year, 0, 1), first, last);
  };
  int eventYear = 0;
  int64_t pendingExDate = 0;
  double prev = d.basePrice;
  history->days.reserve(tradingDays_.size());
  for (size_t i = 0; i < tradingDays_.size(); ++i) {
    const int64_t day = tradingDays_[i];
    if (day < start) continue;
    const BeijingDateTime date = ToBeijing(CloseStampOf(day));
    if (shares && date.year != eventYear) {
      eventYear = date.year;
      pendingExDate = exDateOf(date.year);
    }
    if (SuspendedOn(seed, s, day)) continue;

    double ref = prev;
    if (shares && pendingExDate != 0 && day >= pendingExDate && !history->days.empty()) {
      ExRightsEvent event;
      event.day = day;
      const double yield = 0.005 + 0.015 * UnitInterval(Hash(seed, HashKind::kDividend, id, date.year, 0, 2));
      event.cashX1000 = std::max<int32_t>(10, static_cast<int32_t>(std::lround(prev / 10000.0 * yield * 1000)));
      if (UnitInterval(Hash(seed, HashKind::kDividend, id, date.year, 0, 3)) < 0.15) {
        event.bonusX1000 = static_cast<int32_t>(100 * UniformInt(Hash(seed, HashKind::kDividend, id, date.year, 0, 4), 1, 5));
      }
      ref = (prev - event.cashX1000 * 10.0) / (1.0 + event.bonusX1000 / 1000.0);
      history->events.push_back(event);
      pendingExDate = 0;
    }

    auto normal = [&](uint64_t k) { return DayNormal(seed, id, day, k); };
    const double r = DailyReturnOf(seed, s, d, day, MarketFactor(i));
    const double up = ref * (1 + limit), down = ref * (1 - limit);
    const int32_t tick = d.tick;
    const int32_t floor = tick * 10;
    auto inBand = [&](double p) {
      int32_t v = RoundTo(p, tick);
      while (v > up && v - tick >= floor) v -= tick;
      while (v < down) v += tick;
      return std::max(v, floor);
    };
    MarketBar bar;
    bar.time = CloseStampOf(day);
    bar.close = inBand(ref * (1 + r));
    bar.open = inBand(ref * (1 + std::clamp(normal(1) * d.volatility * 0.3, -limit, limit)));
    bar.high = std::max(bar.open, bar.close);
    bar.low = std::min(bar.open, bar.close);
    bar.high = std::max(bar.high, inBand(bar.high * (1 + std::fabs(normal(2)) * d.volatility * 0.5)));
    bar.low = std::min(bar.low, inBand(bar.low * (1 - std::fabs(normal(3)) * d.volatility * 0.5)));
    const double turnover = std::min(0.05, 0.004 + 0.3 * std::fabs(r) +
                                               0.004 * UnitInterval(Hash(seed, HashKind::kVolume, id, day)));
    bar.volume = std::max<int64_t>(1, static_cast<int64_t>(d.floatShares / 100 * turnover));
    const double average = (double(bar.open) + bar.high + bar.low + bar.close) / 4.0 / 10000.0;
    bar.amount = static_cast<int64_t>(bar.volume * 100 * average);
    const double tilt = std::clamp(r * 2, -0.05, 0.05);
    bar.flowIn = static_cast<int64_t>(bar.amount * (0.20 + 0.25 * UnitInterval(Hash(seed, HashKind::kFlow, id, day, 0, 1)) + tilt));
    bar.flowOut = static_cast<int64_t>(bar.amount * (0.20 + 0.25 * UnitInterval(Hash(seed, HashKind::kFlow, id, day, 0, 2)) - tilt));
    history->days.push_back(DayRecord{day, bar});
    prev = bar.close;
  }
  return history;
}

std::vector<int32_t> PriceHistory::PathOf(const History& history, const DayRecord& record) const {
  const MarketBar& bar = record.bar;
  const uint64_t seed = universe_.Seed();
  const uint64_t id = history.security->id;
  // The path touches the high and the low at hashed minutes.
  const auto [highAt, lowAt] = ExtremeMinutes(seed, id, record.day);
  const std::vector<std::pair<int, double>> anchors =
      SortedAnchors(highAt, lowAt, double(bar.open), double(bar.high), double(bar.low), double(bar.close));
  const double sigma = std::max<double>(history.tick, (bar.high - bar.low) * 0.06);
  const std::vector<double> bridge = BridgeBetween(seed, id, record.day, anchors, sigma);
  std::vector<int32_t> path(kPathPoints);
  for (int t = 0; t < kPathPoints; ++t) path[t] = std::clamp(RoundTo(bridge[t], history.tick), bar.low, bar.high);
  for (const auto& anchor : anchors) path[anchor.first] = static_cast<int32_t>(anchor.second);
  return path;
}

const std::vector<int64_t>& PriceHistory::TradingDays() const { return tradingDays_; }

bool PriceHistory::ModelTrades(const Security& s, size_t dayIndex) const {
  if (dayIndex >= tradingDays_.size()) return false;
  const int64_t day = tradingDays_[dayIndex];
  if (s.listDate > 0 && day < DayOfDate(s.listDate)) return false;
  return !SuspendedOn(universe_.Seed(), s, day);
}

double PriceHistory::ModelReturn(const Security& s, size_t dayIndex) const {
  if (dayIndex >= tradingDays_.size()) return 0.0;
  return DailyReturnOf(universe_.Seed(), s, DefaultsOf(s), tradingDays_[dayIndex], MarketFactor(dayIndex));
}

ModelDay PriceHistory::ModelDayOf(const Security& s, size_t dayIndex) const {
  ModelDay out;
  if (!ModelTrades(s, dayIndex)) return out;
  const Defaults d = DefaultsOf(s);
  const uint64_t seed = universe_.Seed();
  const int64_t day = tradingDays_[dayIndex];
  const double limit = d.limitPercent / 100.0;
  out.traded = true;
  out.close = 1 + ModelReturn(s, dayIndex);
  out.open = 1 + std::clamp(DayNormal(seed, s.id, day, 1) * d.volatility * 0.3, -limit, limit);
  // High and low as the bars make them, within the daily band.
  out.high = std::min(1 + limit, std::max(out.open, out.close) * (1 + std::fabs(DayNormal(seed, s.id, day, 2)) * d.volatility * 0.5));
  out.low = std::max(1 - limit, std::min(out.open, out.close) * (1 - std::fabs(DayNormal(seed, s.id, day, 3)) * d.volatility * 0.5));
  out.high = std::max(out.high, std::max(out.open, out.close));
  out.low = std::min(out.low, std::min(out.open, out.close));
  return out;
}

std::vector<double> PriceHistory::ModelPath(const Security& s, int64_t day, const ModelDay& shape, double tickShare) const {
  const uint64_t seed = universe_.Seed();
  const auto [highAt, lowAt] = ExtremeMinutes(seed, s.id, day);
  const std::vector<std::pair<int, double>> anchors =
      SortedAnchors(highAt, lowAt, shape.open, shape.high, shape.low, shape.close);
  const double sigma = std::max(tickShare, (shape.high - shape.low) * 0.06);
  std::vector<double> path = BridgeBetween(seed, s.id, day, anchors, sigma);
  for (double& v : path) v = std::clamp(v, shape.low, shape.high);
  for (const auto& anchor : anchors) path[anchor.first] = anchor.second;
  return path;
}

namespace {

// Lots traded in each minute 1..240, summing to the day's volume: more at
// the open and the close.
std::vector<int64_t> MinuteVolumes(uint64_t seed, uint64_t id, int64_t day, int64_t volume) {
  std::vector<double> weight(kMinutes + 1, 0.0);
  double total = 0;
  for (int m = 1; m <= kMinutes; ++m) {
    const double x = (m - 120.5) / 120.0;
    weight[m] = (1.0 + 1.5 * x * x) * (0.6 + 0.8 * UnitInterval(Hash(seed, HashKind::kVolume, id, day, m)));
    total += weight[m];
  }
  std::vector<int64_t> out(kMinutes + 1, 0);
  int64_t given = 0;
  for (int m = 1; m <= kMinutes; ++m) {
    out[m] = static_cast<int64_t>(volume * weight[m] / total);
    given += out[m];
  }
  out[kMinutes] += volume - given;
  return out;
}

}  // namespace

MarketBar PriceHistory::DayBarAt(const History& history, const DayRecord& record, int minutes) const {
  if (minutes >= kMinutes) return record.bar;
  std::vector<MarketBar> minuteBars;
  IntradayBars(history, record, minutes, 1, minuteBars);
  MarketBar bar = record.bar;
  bar.open = record.bar.open;
  bar.high = bar.low = bar.close = bar.open;
  bar.volume = bar.amount = bar.flowIn = bar.flowOut = 0;
  for (const MarketBar& m : minuteBars) {
    bar.high = std::max(bar.high, m.high);
    bar.low = std::min(bar.low, m.low);
    bar.close = m.close;
    bar.volume += m.volume;
    bar.amount += m.amount;
    bar.flowIn += m.flowIn;
    bar.flowOut += m.flowOut;
  }
  return bar;
}

void PriceHistory::IntradayBars(const History& history, const DayRecord& record, int minutes, int period,
                                std::vector<MarketBar>& out) const {
  const std::vector<int32_t> path = PathOf(history, record);
  const uint64_t seed = universe_.Seed();
  const uint64_t id = history.security->id;
  const std::vector<int64_t> volumes = MinuteVolumes(seed, id, record.day, record.bar.volume);
  MarketBar block;
  bool open = false;
  for (int m = 1; m <= std::min(minutes, kMinutes); ++m) {
    const int32_t o = path[m - 1], c = path[m];
    const int64_t amount = static_cast<int64_t>(volumes[m] * 100 * (double(o) + c) / 2.0 / 10000.0);
    const double share = 0.25 * (UnitInterval(Hash(seed, HashKind::kFlow, id, record.day, m, 1)) - 0.5);
    const double tilt = std::clamp((double(c) - o) / std::max(o, 1) * 5, -0.1, 0.1);
    const int64_t in = static_cast<int64_t>(amount * (0.3 + share + tilt));
    const int64_t outFlow = static_cast<int64_t>(amount * (0.3 - share - tilt));
    if (!open) {
      block = MarketBar();
      block.open = o;
      block.high = std::max(o, c);
      block.low = std::min(o, c);
      open = true;
    }
    block.high = std::max({block.high, o, c});
    block.low = std::min({block.low, o, c});
    block.close = c;
    block.volume += volumes[m];
    block.amount += amount;
    block.flowIn += in;
    block.flowOut += outFlow;
    const int blockEnd = ((m - 1) / period + 1) * period;
    block.time = MinuteStamp(record.day, blockEnd);  // the block's final stamp, even while it forms
    if (m == blockEnd || m == minutes) {
      out.push_back(block);
      open = false;
    }
  }
}

std::vector<MarketBar> PriceHistory::Bars(StockId stock, BarPeriod period, int64_t nowUtc, int count,
                                          const DayBarShaper& shaper) {
  std::vector<MarketBar> out;
  std::shared_ptr<const History> history = HistoryOf(stock);
  if (!history || count < 1) return out;
  const MarketInstant now = MarketInstantOf(nowUtc);
  const std::vector<DayRecord>& days = history->days;
  // Days up to now; today only once it has traded.
  size_t end = std::upper_bound(days.begin(), days.end(), now.day,
                                [](int64_t d, const DayRecord& r) { return d < r.day; }) - days.begin();
  int todayMinutes = kMinutes;
  if (end > 0 && days[end - 1].day == now.day) {
    todayMinutes = now.minutes;
    if (todayMinutes == 0) --end;
  }
  auto dayBar = [&](size_t i) {
    const bool forming = i + 1 == end && days[i].day == now.day;
    MarketBar bar = forming ? DayBarAt(*history, days[i], todayMinutes) : days[i].bar;
    if (shaper) shaper(days[i].day, forming ? todayMinutes : kMinutes, bar);
    return bar;
  };
  constexpr int kWarmUp = 120;  // bars before the window that the signals need
  if (period == BarPeriod::kDay || period == BarPeriod::kWeek || period == BarPeriod::kMonth) {
    std::vector<MarketBar> all;
    all.reserve(end);
    for (size_t i = 0; i < end; ++i) {
      const MarketBar bar = dayBar(i);
      if (period == BarPeriod::kDay) {
        all.push_back(bar);
        continue;
      }
      // The stamp of the week's (month's) last weekday.
      int64_t last = days[i].day;
      if (period == BarPeriod::kWeek) {
        last += 5 - WeekdayOf(last);
      } else {
        const BeijingDateTime t = ToBeijing(CloseStampOf(last));
        const int64_t nextMonth = t.month == 12 ? DaysFromCivil(t.year + 1, 1, 1) : DaysFromCivil(t.year, t.month + 1, 1);
        last = nextMonth - 1;
        while (!IsWeekday(last)) --last;
      }
      const int64_t stamp = CloseStampOf(last);
      if (!all.empty() && all.back().time == stamp) {
        MarketBar& agg = all.back();
        agg.high = std::max(agg.high, bar.high);
        agg.low = std::min(agg.low, bar.low);
        agg.close = bar.close;
        agg.volume += bar.volume;
        agg.amount += bar.amount;
        agg.flowIn += bar.flowIn;
        agg.flowOut += bar.flowOut;
      } else {
        MarketBar agg = bar;
        agg.time = stamp;
        all.push_back(agg);
      }
    }
    ComputeSignalWords(all);
    const size_t from = all.size() > size_t(count) ? all.size() - count : 0;
    out.assign(all.begin() + from, all.end());
    return out;
  }
  int minutesPer = 1;
  switch (period) {
    case BarPeriod::kMinute5: minutesPer = 5; break;
    case BarPeriod::kMinute15: minutesPer = 15; break;
    case BarPeriod::kMinute30: minutesPer = 30; break;
    case BarPeriod::kHour: minutesPer = 60; break;
    default: minutesPer = 1; break;
  }
  const size_t perDay = kMinutes / minutesPer;
  const size_t wanted = size_t(count) + kWarmUp;
  const size_t daysNeeded = wanted / perDay + 2;
  const size_t first = end > daysNeeded ? end - daysNeeded : 0;
  std::vector<MarketBar> all;
  for (size_t i = first; i < end; ++i) {
    const int minutes = i + 1 == end && days[i].day == now.day ? todayMinutes : kMinutes;
    IntradayBars(*history, days[i], minutes, minutesPer, all);
  }
  ComputeSignalWords(all);
  const size_t from = all.size() > size_t(count) ? all.size() - count : 0;
  out.assign(all.begin() + from, all.end());
  return out;
}

int32_t PriceHistory::CloseOnOrBefore(StockId stock, int64_t day) {
  std::shared_ptr<const History> history = HistoryOf(stock);
  if (!history) return 0;
  auto after = std::upper_bound(history->days.begin(), history->days.end(), day,
                                [](int64_t d, const DayRecord& r) { return d < r.day; });
  return after == history->days.begin() ? 0 : std::prev(after)->bar.close;
}

bool PriceHistory::QuoteAt(StockId stock, int64_t nowUtc, MarketQuote* out) {
  std::shared_ptr<const History> history = HistoryOf(stock);
  if (!history || out == nullptr) return false;
  const std::vector<DayRecord>& days = history->days;
  const MarketInstant now = MarketInstantOf(nowUtc);
  const size_t end = std::upper_bound(days.begin(), days.end(), now.day,
                                      [](int64_t d, const DayRecord& r) { return d < r.day; }) - days.begin();
  if (end == 0) return false;
  const size_t t = end - 1;
  // The reference price of a day: the close before it, after the day's
  // ex-rights event if it has one.
  auto referenceOf = [&](size_t i) {
    const int32_t previous = i > 0 ? days[i - 1].bar.close : DefaultsOf(*history->security).basePrice;
    for (const ExRightsEvent& e : history->events) {
      if (e.day != days[i].day) continue;
      return RoundTo((previous - e.cashX1000 * 10.0) / (1.0 + e.bonusX1000 / 1000.0), history->tick);
    }
    return previous;
  };
  if (days[t].day != now.day) {
    if (now.tradingDay) {  // suspended today
      out->last = out->previousClose = days[t].bar.close;
    } else {
      out->last = days[t].bar.close;
      out->previousClose = referenceOf(t);
    }
    return true;
  }
  out->previousClose = referenceOf(t);
  const BeijingDateTime local = ToBeijing(nowUtc);
  if (local.hour * 60 + local.minute < 9 * 60 + 30) {
    out->last = out->previousClose;  // before the open, and through the auction
  } else if (now.minutes >= kMinutes) {
    out->last = days[t].bar.close;
  } else {
    out->last = PathOf(*history, days[t])[static_cast<size_t>(now.minutes)];
  }
  return true;
}

std::vector<ExRightsEvent> PriceHistory::ExRights(StockId stock, int64_t nowUtc) {
  std::vector<ExRightsEvent> out;
  std::shared_ptr<const History> history = HistoryOf(stock);
  if (!history) return out;
  const MarketInstant now = MarketInstantOf(nowUtc);
  for (const ExRightsEvent& event : history->events) {
    if (event.day <= now.day) out.push_back(event);
  }
  return out;
}

std::vector<int32_t> PriceHistory::MinutePath(StockId stock, int64_t day) {
  std::shared_ptr<const History> history = HistoryOf(stock);
  if (!history) return {};
  auto found = std::lower_bound(history->days.begin(), history->days.end(), day,
                                [](const DayRecord& r, int64_t d) { return r.day < d; });
  if (found == history->days.end() || found->day != day) return {};
  return PathOf(*history, *found);
}

int32_t PriceHistory::CloseOf(StockId stock, int64_t day) {
  std::shared_ptr<const History> history = HistoryOf(stock);
  if (!history) return 0;
  auto found = std::lower_bound(history->days.begin(), history->days.end(), day,
                                [](const DayRecord& r, int64_t d) { return r.day < d; });
  return found == history->days.end() || found->day != day ? 0 : found->bar.close;
}

std::string PriceHistory::OptionNameUtf8(uint32_t code) {
  char strike[16];
  std::snprintf(strike, sizeof(strike), "%u", 2300 + 100 * ((code - 1) / 2));
  return std::string(code % 2 ? u8"50ETF购3月" : u8"50ETF沽3月") + strike;
}

std::vector<MarketBar> PriceHistory::OptionBars(uint32_t code, int64_t nowUtc, int count) {
  std::vector<MarketBar> out;
  if (code < 1 || code > 8 || count < 1) return out;
  const std::vector<MarketBar> underlying = Bars(MakeStockId(510050, kMarketShanghai), BarPeriod::kDay, nowUtc, 1 << 30);
  const int64_t listed = CloseStampOf(DaysFromCivil(2015, 2, 9));
  const bool call = code % 2 == 1;
  const double strikeShare = 0.85 + 0.05 * ((code - 1) / 2);
  double strike = 0;
  int32_t prev = 0;
  const uint64_t seed = universe_.Seed();
  std::vector<MarketBar> all;
  for (const MarketBar& day : underlying) {
    if (day.time < listed) continue;
    if (strike == 0) strike = day.close * strikeShare;
    // Days to the fourth Wednesday of the month (or of the next one).
    const BeijingDateTime t = ToBeijing(day.time);
    auto fourthWednesday = [](int year, int month) {
      int64_t d = DaysFromCivil(year, month, 1);
      while (WeekdayOf(d) != 3) ++d;
      return d + 21;
    };
    const int64_t today = DaysFromCivil(t.year, t.month, t.day);
    int64_t expiry = fourthWednesday(t.year, t.month);
    if (expiry < today) expiry = t.month == 12 ? fourthWednesday(t.year + 1, 1) : fourthWednesday(t.year, t.month + 1);
    const double intrinsic = std::max(0.0, call ? day.close - strike : strike - day.close);
    const double timeValue = day.close * 0.03 * std::sqrt(std::max<int64_t>(1, expiry - today) / 30.0);
    MarketBar bar;
    bar.time = day.time;
    bar.close = std::max<int32_t>(1, static_cast<int32_t>(std::lround(intrinsic + timeValue)));
    bar.open = prev > 0 ? prev : bar.close;
    bar.high = std::max(bar.open, bar.close) + static_cast<int32_t>(UnitInterval(Hash(seed, HashKind::kOption, code, today, 0, 1)) * 30);
    bar.low = std::max<int32_t>(1, std::min(bar.open, bar.close) - static_cast<int32_t>(UnitInterval(Hash(seed, HashKind::kOption, code, today, 0, 2)) * 30));
    bar.volume = 1000 + static_cast<int64_t>(UnitInterval(Hash(seed, HashKind::kOption, code, today, 0, 3)) * 50000);
    bar.amount = static_cast<int64_t>(bar.volume * 10000 * (bar.close / 10000.0));
    all.push_back(bar);
    prev = bar.close;
  }
  ComputeSignalWords(all);
  const size_t from = all.size() > size_t(count) ? all.size() - count : 0;
  out.assign(all.begin() + from, all.end());
  return out;
}

void ComputeSignalWords(std::vector<MarketBar>& bars) {
  const size_t n = bars.size();
  auto averages = [&](size_t period) {
    std::vector<double> out(n, 0.0);
    double sum = 0;
    for (size_t i = 0; i < n; ++i) {
      sum += bars[i].close;
      if (i >= period) sum -= bars[i - period].close;
      if (i + 1 >= period) out[i] = sum / period / 10000.0;
    }
    return out;
  };
  const std::vector<double> m18 = averages(18), m90 = averages(90), m60 = averages(60), m120 = averages(120);
  uint32_t state = 0;
  for (size_t i = 0; i < n; ++i) {
    if (i == 89) {
      state = 2;
    } else if (i >= 90) {
      const double c = bars[i].close / 10000.0;
      double up, down;
      if (c > 10) up = 1.004, down = 0.996;
      else if (c > 8) up = 1.006, down = 0.994;
      else if (c > 6) up = 1.008, down = 0.993;
      else if (c > 4) up = 1.001, down = 0.990;
      else if (c > 2) up = 1.012, down = 0.998;
      else up = 1.015, down = 0.985;
      switch (state) {
        case 2: {
          const double distance = m90[i] == 0 ? 0 : (c - m90[i]) / m90[i];
          const bool stays = c <= m18[i] * up || m18[i] <= m18[i - 1] || (m90[i - 1] > m90[i] && distance >= -0.1);
          state = stays ? 2 : 1;
          break;
        }
        case 4: {
          const bool falls = m18[i - 2] > m18[i - 1] && m18[i - 1] > m18[i] && c < down * m18[i] &&
                             bars[i - 1].close / 10000.0 < down * m18[i - 1];
          state = falls ? 3 : 4;
          break;
        }
        case 1: state = 4; break;
        default: state = 2; break;
      }
    }
    uint32_t mid = 0;
    if (i >= 120) {
      if (m60[i - 1] <= m120[i - 1] && m60[i] > m120[i]) mid = 1;
      if (m60[i - 1] >= m120[i - 1] && m60[i] < m120[i]) mid = 3;
    }
    bars[i].signal = state | (mid << 8);
  }
}

}  // namespace kiv::standin
