// Finance: the quarterly reports of the synthetic market's shares (A and B
// shares), one per quarter from the quarter of the listing date to the
// price model's last day, each made public at the close of its quarter end.
//
// Per quarter a share has:
//   - its return on equity, drifting around a level of its own;
//   - four scores, 0 to 100 (x 10000 on the wire): profitability from the
//     return on equity, solvency, growth (with the change of the return on
//     equity over the year) and valuation, each a slowly moving quantity of
//     its own;
//   - its sector's averages of the four: the means over the shares of its
//     industry listed by then;
//   - its price at the quarter end (the last close on or before it; the
//     listing price before its first bar);
//   - its price-to-book ratio, low where the valuation score is high, so
//     that the ratios stay plausible wherever the price wanders (the book
//     value per share is the price over it), and its price-to-earnings
//     ratio over the trailing four quarters' earnings per share (each the
//     book value's return of its quarter; earlier ones divided by each bonus
//     issue, as the price is);
//   - its share capital: Security::totalShares at the market clock, and
//     before each bonus issue up to the clock the count after it divided by
//     (1 + the bonus ratio), as the ex-rights records give them.
//
// A true ranking would place every share among all others at every quarter
// end, which needs every share's price history; the scores instead map each
// quantity through the normal distribution onto 0..100, which spreads the
// market over the scale as percentiles would, and make a sector's average
// cost only its members' hashes.
//
// Everything but the capital is memoised per share and per industry; the
// capital follows the clock. Thread-safe: the memo takes its own lock; the
// rest is pure.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "net/StockId.h"
#include "tools/standin/market/PriceHistory.h"
#include "tools/standin/market/Universe.h"

namespace kiv::standin {

constexpr int kScoreCount = 4;  // profitability, solvency, growth, valuation

struct QuarterReport {
  int32_t quarterEnd = 0;   // yyyymmdd
  int64_t day = 0;          // the quarter end, days since 1970
  int32_t priceX1000 = 0;   // price at the quarter end, yuan x 1000
  std::array<int32_t, kScoreCount> scores{};          // x 10000: 0 .. 1 000 000
  std::array<int32_t, kScoreCount> sectorAverages{};  // likewise
  int64_t shareCapital = 0;  // shares
  int32_t pbX10000 = 0;      // price to book value
  int32_t pbValid = 0;       // 1 when the book value is positive
  int32_t peX10000 = 0;      // price to trailing earnings (negative on losses)
  int32_t peValid = 0;       // 1 when the trailing earnings are positive
};

class FinanceModel {
 public:
  FinanceModel(const Universe& universe, PriceHistory& prices);

  // The reports of a share public at nowUtc (its quarter end's 15:00
  // Beijing passed), oldest first; empty for any other security.
  std::vector<QuarterReport> Reports(StockId stock, int64_t nowUtc);

 private:
  using Averages = std::vector<std::array<int32_t, kScoreCount>>;  // per quarter from kFirstQuarter
  std::shared_ptr<const std::vector<QuarterReport>> ReportsOf(const Security& share);
  std::shared_ptr<const Averages> AveragesOf(int industry);

  const Universe& universe_;
  PriceHistory& prices_;
  std::mutex mutex_;
  std::map<StockId, std::shared_ptr<const std::vector<QuarterReport>>> reports_;
  std::map<int, std::shared_ptr<const Averages>> averages_;
};

}  // namespace kiv::standin
