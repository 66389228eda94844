// IndexLevels: the levels of the synthetic market's nine indices, made from
// their members as an exchange makes them. An index's daily return is the
// float-cap-weighted mean of its traded members' returns of the day (each
// member weighted by its float shares times its price at the day's start);
// its level is its base times the product of (1 + return) from 2005-01-04.
// Within a day its level follows the same weighting over the members' minute
// paths, so the close of the path is the day's close. Members and their
// returns are the price model's (PriceHistory::ModelReturn, ModelDayOf,
// ModelPath): the values the members' bars are rounded from.
//
//   index          market  base    members
//   000001 上证指数   1      1266    every Shanghai A share (600xxx, 688xxx)
//   000300 沪深300    1      1000    the 300 A shares of the largest value
//   000016 上证50     1       850    the 50 Shanghai 600xxx shares of largest value
//   000905 中证500    1      1000    the A shares outside the 300
//   000688 科创50     1      1000    the STAR shares (688xxx)
//   399001 深证成指   2      3100    Shenzhen main board and SME shares
//   399005 中小板指   2      1000    SME shares (002xxx)
//   399006 创业板指   2      1000    ChiNext shares (300xxx)
//   399106 深证综指   2       350    every Shenzhen A share
// Value ranks a share by its total shares times its listing price, so the
// membership does not change with time. An index none of whose members
// trade on a day keeps its level.
//
// Quotes at an instant of the market clock (QuoteAt): on a trading day
// before 09:30 the last is the previous close; from 09:30 the level at the
// minute the clock has reached (frozen at 11:30 over lunch, the close from
// 15:00); on a day without trading, the last session's close against the
// one before it.
//
// Everything is a pure function of the seed: computed once, as far as the
// latest day asked for, and memoised (the daily series grows forward; the
// minute paths of the last few days asked for are kept). The members' chains
// are computed on a few threads of its own, joined before the call returns,
// and summed in one fixed order. Thread-safe: one lock over the memo; the
// price model it reads is pure.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "net/StockId.h"
#include "tools/standin/market/PriceHistory.h"
#include "tools/standin/market/Universe.h"

namespace kiv::standin {

using IndexQuote = MarketQuote;  // levels x 10000

class IndexLevels {
 public:
  static constexpr size_t kIndexCount = 9;
  static constexpr size_t kKeptPaths = 16;  // minute paths memoised
  static constexpr size_t kMaxThreads = 8;  // sharing out the members' chains

  IndexLevels(const Universe& universe, const PriceHistory& prices);

  // Whether the security is one of the nine (by its whole StockId; a market
  // byte of 0 is filled from the code as Universe::Find does).
  bool Computes(StockId index) const;
  // Its members in universe order; empty for any other security.
  std::vector<const Security*> Members(StockId index) const;
  // Its close on a trading day (x 10000); 0 for another day or security.
  int32_t CloseOf(StockId index, int64_t day);
  // Its 241 levels of a trading day (x 10000): 09:30 first, then each
  // minute to 11:30 and from 13:01 to 15:00, the close last; empty for
  // another day or security.
  std::vector<int32_t> MinutePath(StockId index, int64_t day);
  // Gives a day bar of the index the index's own levels: a whole day
  // (minutes 240) closes at CloseOf, its open, high and low scaled with it
  // from the bar's shape; a forming day's bar (minutes 1 to 239) is cut from
  // the day's minute path, so its close is the quote's last at that minute.
  // A bar of another security or day is left as it is.
  void ShapeDayBar(StockId index, int64_t day, int minutes, MarketBar& bar);
  // Last and previous close at nowUtc (seconds since 1970 UTC); false for a
  // security it does not compute or an instant before its first day.
  bool QuoteAt(StockId index, int64_t nowUtc, IndexQuote* out);

 private:
  struct Definition {
    StockId id = 0;
    double base = 0;  // points on the first trading day's start
    std::vector<size_t> members;  // indexes into shares_
  };
  struct Member {
    const Security* security = nullptr;
    double price = 0;  // the model price at the start of the next day to compute, yuan x 10000
    // Float shares times the model price at each computed day's start: the
    // day's weight (0 while not listed). Kept as float, and read back as
    // such by both the daily and the minute computation, so that the two
    // agree to the bit.
    std::vector<float> weights;
  };

  int FindDefinition(StockId index) const;
  // Extends the daily series through trading day `dayIndex`. Lock held.
  void ComputeThrough(size_t dayIndex);
  // Level at the end of a computed trading day (day index), in points.
  double LevelAfter(int definition, size_t dayIndex) const;
  // Lock held.
  std::vector<int32_t> PathLocked(int definition, size_t dayIndex);
  int32_t CloseLocked(int definition, size_t dayIndex);
  // The trading day's index of `day`, or -1.
  long DayIndexOf(int64_t day) const;

  const Universe& universe_;
  const PriceHistory& prices_;
  std::vector<Definition> definitions_;

  std::mutex mutex_;
  std::vector<Member> shares_;                // every A share, universe order
  size_t computed_ = 0;                       // trading days computed
  std::vector<std::vector<double>> levels_;   // per definition: level after each computed day
  std::map<std::pair<int, size_t>, std::vector<int32_t>> paths_;  // (definition, day index)
};

}  // namespace kiv::standin
