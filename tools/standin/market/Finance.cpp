#include "tools/standin/market/Finance.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "tools/standin/market/Hash.h"
#include "tools/standin/market/MarketTime.h"

namespace kiv::standin {

namespace {

// Quarters are numbered year x 4 + (0..3); the table of sector averages
// starts before the earliest listing and ends with the price model.
constexpr int kFirstQuarter = 1990 * 4;
constexpr int kLastQuarter = 2030 * 4 + 3;

int QuarterOfDate(int32_t yyyymmdd) { return yyyymmdd / 10000 * 4 + (yyyymmdd / 100 % 100 - 1) / 3; }

int32_t QuarterEndDate(int quarter) {
  static const int32_t kEnds[4] = {331, 630, 930, 1231};
  return quarter / 4 * 10000 + kEnds[quarter % 4];
}

int64_t DayOf(int32_t yyyymmdd) { return DaysFromCivil(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100); }

bool HasReports(const Security& s) {
  return IsAShareGroup(s.group) || s.group == SecurityGroup::kShBShare || s.group == SecurityGroup::kSzBShare;
}

// A quantity on the normal scale as a score x 10000 (0 .. 1 000 000).
int32_t Score(double z) { return static_cast<int32_t>(std::lround(0.5 * std::erfc(-z / std::sqrt(2.0)) * 1e6)); }

// What the hashes give a share's quarter, before any price.
struct Fundamentals {
  double roe = 0;  // annual return on equity
  double pb = 1;   // price to book value
  std::array<int32_t, kScoreCount> scores{};
};

// From its listing quarter to kLastQuarter.
std::vector<Fundamentals> FundamentalsOf(uint64_t seed, const Security& s) {
  auto hash = [&](int64_t quarter, uint64_t k) { return Hash(seed, HashKind::kFinance, s.id, uint64_t(quarter), 0, k); };
  auto normal = [&](int64_t quarter, uint64_t k) { return NormalOf(hash(quarter, 2 * k), hash(quarter, 2 * k + 1)); };
  std::vector<Fundamentals> out;
  const double roeLevel = 0.02 + 0.16 * UnitInterval(hash(0, 1));
  const double solvencyLevel = normal(0, 2), growthLevel = normal(0, 3), valueLevel = normal(0, 4);
  const int first = std::max(kFirstQuarter, QuarterOfDate(s.listDate));
  double roe = roeLevel;
  std::deque<double> lastRoes;  // the four quarters before
  double drift[3] = {0, 0, 0};  // stationary, unit variance
  for (int q = first; q <= kLastQuarter; ++q) {
    roe = roeLevel + 0.7 * (roe - roeLevel) + 0.025 * normal(q, 1);
    for (int k = 0; k < 3; ++k) drift[k] = 0.8 * drift[k] + 0.6 * normal(q, 2 + k);
    const double yearAgo = lastRoes.size() == 4 ? lastRoes.front() : roeLevel;
    // A share its valuation calls cheap trades at a low price to book.
    const double value = 0.7 * valueLevel + 0.7 * drift[2];
    Fundamentals f;
    f.roe = roe;
    f.pb = std::clamp(2.5 * std::exp(-0.6 * value), 0.5, 12.0);
    f.scores[0] = Score((roe - 0.08) / 0.06);
    f.scores[1] = Score(0.7 * solvencyLevel + 0.7 * drift[0]);
    f.scores[2] = Score(0.4 * growthLevel + 0.6 * drift[1] + 0.6 * (roe - yearAgo) / 0.035);
    f.scores[3] = Score(value);
    out.push_back(f);
    lastRoes.push_back(roe);
    if (lastRoes.size() > 4) lastRoes.pop_front();
  }
  return out;
}

int32_t Ratio(double value) { return static_cast<int32_t>(std::lround(std::clamp(value, -99999.0, 99999.0) * 10000)); }

}  // namespace

FinanceModel::FinanceModel(const Universe& universe, PriceHistory& prices) : universe_(universe), prices_(prices) {}

std::shared_ptr<const FinanceModel::Averages> FinanceModel::AveragesOf(int industry) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = averages_.find(industry);
    if (found != averages_.end()) return found->second;
  }
  // Built outside the lock: a pure function, so two builders agree.
  const size_t quarters = kLastQuarter - kFirstQuarter + 1;
  std::vector<std::array<int64_t, kScoreCount>> sums(quarters);
  std::vector<int> counts(quarters, 0);
  const StockId sector = MakeStockId(880001 + static_cast<uint32_t>(industry), kMarketFourthBoard);
  for (const Security* member : universe_.SectorMembers(sector)) {
    if (!HasReports(*member)) continue;
    const std::vector<Fundamentals> figures = FundamentalsOf(universe_.Seed(), *member);
    const size_t offset = quarters - figures.size();
    for (size_t i = 0; i < figures.size(); ++i) {
      for (int k = 0; k < kScoreCount; ++k) sums[offset + i][k] += figures[i].scores[k];
      ++counts[offset + i];
    }
  }
  auto built = std::make_shared<Averages>(quarters);
  for (size_t i = 0; i < quarters; ++i) {
    for (int k = 0; k < kScoreCount; ++k) {
      (*built)[i][k] = counts[i] ? static_cast<int32_t>((sums[i][k] + counts[i] / 2) / counts[i]) : 0;
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  return averages_.emplace(industry, built).first->second;
}

std::shared_ptr<const std::vector<QuarterReport>> FinanceModel::ReportsOf(const Security& s) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = reports_.find(s.id);
    if (found != reports_.end()) return found->second;
  }
  const std::vector<Fundamentals> figures = FundamentalsOf(universe_.Seed(), s);
  std::shared_ptr<const Averages> averages = AveragesOf(s.industry);
  // Every event the price model holds: the reports run to its last day.
  const std::vector<ExRightsEvent> events = prices_.ExRights(s.id, BeijingTime(2030, 12, 31, 23, 59, 59));
  auto built = std::make_shared<std::vector<QuarterReport>>();
  const int first = kLastQuarter + 1 - static_cast<int>(figures.size());
  // The book value is the price over the quarter's price to book, so that
  // the ratios stay plausible wherever the price wanders; the earnings are
  // the book's return of the quarter. Earlier earnings per share are
  // divided by each bonus issue, as the price is.
  std::deque<double> earnings;  // per share, the last four quarters
  size_t next = 0;              // the next event to apply
  for (size_t i = 0; i < figures.size(); ++i) {
    const int quarter = first + static_cast<int>(i);
    QuarterReport r;
    r.quarterEnd = QuarterEndDate(quarter);
    r.day = DayOf(r.quarterEnd);
    const int32_t close = prices_.CloseOnOrBefore(s.id, r.day);
    const double price = (close > 0 ? close : s.basePrice) / 10000.0;
    r.priceX1000 = static_cast<int32_t>(std::lround(price * 1000));
    for (; next < events.size() && events[next].day <= r.day; ++next) {
      for (double& e : earnings) e /= 1.0 + events[next].bonusX1000 / 1000.0;
    }
    const double book = price / figures[i].pb;
    earnings.push_back(book * figures[i].roe / 4);
    if (earnings.size() > 4) earnings.pop_front();
    double trailing = 0;
    for (double e : earnings) trailing += e;
    trailing = trailing * 4 / static_cast<double>(earnings.size());
    r.scores = figures[i].scores;
    r.sectorAverages = (*averages)[static_cast<size_t>(quarter - kFirstQuarter)];
    r.pbX10000 = Ratio(figures[i].pb);
    r.pbValid = 1;
    r.peX10000 = trailing != 0 ? Ratio(price / trailing) : 0;
    r.peValid = trailing > 0 ? 1 : 0;
    built->push_back(r);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  return reports_.emplace(s.id, built).first->second;
}

std::vector<QuarterReport> FinanceModel::Reports(StockId stock, int64_t nowUtc) {
  std::vector<QuarterReport> out;
  const Security* s = universe_.Find(stock);
  if (s == nullptr || !HasReports(*s)) return out;
  std::shared_ptr<const std::vector<QuarterReport>> all = ReportsOf(*s);
  for (const QuarterReport& r : *all) {
    if (CloseStampOf(r.day) > nowUtc) break;
    out.push_back(r);
  }
  // The capital at the clock, and before each bonus issue the count after
  // it divided by (1 + the ratio), rounded to whole shares.
  const std::vector<ExRightsEvent> events = prices_.ExRights(s->id, nowUtc);
  int64_t shares = s->totalShares;
  size_t pending = events.size();  // events[0 .. pending) lie on or before the row's day
  for (auto r = out.rbegin(); r != out.rend(); ++r) {
    for (; pending > 0 && events[pending - 1].day > r->day; --pending) {
      const int64_t ratio = 1000 + events[pending - 1].bonusX1000;
      shares = (shares * 1000 + ratio / 2) / ratio;
    }
    r->shareCapital = shares;
  }
  return out;
}

}  // namespace kiv::standin
