// PriceHistory: the synthetic market's bars. Everything is a pure function
// of the universe's seed, so any request at any time gets the same numbers.
//
// Daily series (memoised per security, from 2005-01-04 or the listing date
// to 2030-12-31, trading days Monday to Friday):
//   - a market factor with regimes (rising to 2007-10-16, falling to
//     2008-10-28, then alternating ranges), industry factors, and a share's
//     own return = beta x market + industry + its own noise, clipped at its
//     daily limit; rare suspension days have no bar;
//   - ex-rights events of shares: a cash dividend every June or July and
//     now and then bonus shares; the raw price drops on the ex-date by
//     (p - cash) / (1 + bonus), so a forward-adjusted series is continuous;
//   - prices in units of 1/10000 yuan on the security's tick (0.01 yuan, or
//     0.001 for three-decimal codes); volume in lots, amount in yuan; the
//     main-force inflow and outflow of the day, yuan;
//   - indices and sectors follow the market factor on their own scale (their
//     members are not summed here); the bar replies give the nine indices'
//     day, week and month bars the members' levels (IndexLevels) through a
//     day-bar shaper.
// Intraday: one minute path per security and day, 241 points (09:30, then
// 09:31..11:30 and 13:01..15:00) from the day's open to its close through
// its high and low at hashed minutes. Every intraday period and today's
// forming day bar are cut from it, so all periods agree at any instant.
// Bars carry stable stamps: days at 15:00 Beijing, intraday bars at their
// end, weeks and months at their last weekday's 15:00 even while incomplete.
//
// Thread-safe: the memo takes its own lock; the rest is pure.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/StockId.h"
#include "tools/standin/market/Universe.h"

namespace kiv::standin {

// One bar of any period as the replies carry it.
struct MarketBar {
  int64_t time = 0;    // seconds since 1970 UTC (its stable stamp)
  int32_t open = 0;    // yuan x 10000
  int32_t high = 0;
  int32_t low = 0;
  int32_t close = 0;
  int64_t volume = 0;  // lots
  int64_t amount = 0;  // yuan
  int64_t flowIn = 0;  // main-force inflow, yuan
  int64_t flowOut = 0; // main-force outflow, yuan
  uint32_t signal = 0; // signal word: nibble 0 short-term state, nibble 2 mid-term crossings
};

struct ExRightsEvent {
  int64_t day = 0;          // days since 1970 of the ex-date
  int32_t bonusX1000 = 0;   // bonus shares per share x 1000
  int32_t cashX1000 = 0;    // cash per share, yuan x 1000
};

// One day of a security's model before rounding: its close, open, high and
// low as factors of its reference price (the previous close, adjusted for
// the day's ex-rights), within its daily band. What aggregates over many
// members (the indices) read instead of the rounded bars.
struct ModelDay {
  bool traded = false;  // listed and not suspended that day
  double close = 1.0;
  double open = 1.0;
  double high = 1.0;
  double low = 1.0;
};

// A quote at an instant of the market clock: the last price (or level) and
// the previous close it is measured against, x 10000.
struct MarketQuote {
  int32_t last = 0;
  int32_t previousClose = 0;
};

// Bar periods, in minutes for the intraday ones.
enum class BarPeriod { kMinute1, kMinute5, kMinute15, kMinute30, kHour, kDay, kWeek, kMonth };

// The period of a K-line data type; false for another type.
bool BarPeriodOf(uint32_t dataType, BarPeriod& out);

// 15:00 Beijing of a day (days since 1970), seconds since 1970 UTC.
int64_t CloseStampOf(int64_t day);

// The day of the market clock and how many of its 240 trading minutes have
// passed (0 before 09:31 or on a day without trading, 240 after 15:00).
struct MarketInstant {
  int64_t day = 0;
  int minutes = 0;
  bool tradingDay = false;
};
MarketInstant MarketInstantOf(int64_t nowUtc);

class PriceHistory {
 public:
  static constexpr int kPathPoints = 241;

  explicit PriceHistory(const Universe& universe);

  // Reshapes one day bar before the day, week and month series are made
  // from it and their signals computed: `day` (days since 1970) and the
  // trading minutes it holds (240 for a whole day, fewer for today's
  // forming bar). How an aggregate made elsewhere (an index from its
  // members) gives the bars its own levels.
  using DayBarShaper = std::function<void(int64_t day, int minutes, MarketBar& bar)>;

  // The newest `count` bars (at most) of the period up to the market clock,
  // oldest first. Empty for a security the universe does not list. The
  // shaper, when given, reshapes every day bar of the day, week and month
  // periods.
  std::vector<MarketBar> Bars(StockId stock, BarPeriod period, int64_t nowUtc, int count,
                              const DayBarShaper& shaper = DayBarShaper());
  // The ex-rights events of the security up to the market clock, ascending.
  std::vector<ExRightsEvent> ExRights(StockId stock, int64_t nowUtc);
  // The minute path of a day (prices x 10000); empty without a bar that day.
  std::vector<int32_t> MinutePath(StockId stock, int64_t day);
  // The close of a day (x 10000), 0 when the security has no bar that day.
  int32_t CloseOf(StockId stock, int64_t day);
  // The close of its last bar on or before a day, 0 before its first bar.
  int32_t CloseOnOrBefore(StockId stock, int64_t day);
  // Its quote at nowUtc, the price every view shows at that minute: on a
  // trading day before 09:30 the last is the previous close; from 09:30 the
  // minute path at the minute the clock has reached (frozen at 11:30 over
  // lunch, the close from 15:00), so that it is the close of the forming day
  // bar; while suspended the last close against itself; on a day without
  // trading the last session's close against the one before. The previous
  // close of an ex-date is the reference price after the event, as the
  // day's band is. False for a security the universe does not list or
  // before its first bar.
  bool QuoteAt(StockId stock, int64_t nowUtc, MarketQuote* out);
  // Options of market 50: their daily bars (codes 1 to 8).
  std::vector<MarketBar> OptionBars(uint32_t code, int64_t nowUtc, int count);
  static std::string OptionNameUtf8(uint32_t code);

  // The model beneath the bars, for aggregates over members, computed
  // without building (or keeping) each member's bars:
  // the trading days, ascending (days since 1970), which every index below
  // counts in;
  const std::vector<int64_t>& TradingDays() const;
  // whether the security is listed and not suspended on that day;
  bool ModelTrades(const Security& security, size_t dayIndex) const;
  // its return of the day (close over reference, less 1): the value its
  // bar's close is rounded from;
  double ModelReturn(const Security& security, size_t dayIndex) const;
  // the day's shape (untraded: traded false and every factor 1);
  ModelDay ModelDayOf(const Security& security, size_t dayIndex) const;
  // the day's minute path in the shape's units (241 points, the shape's
  // open first and close last, touching its high and low at the minutes the
  // bars' path does), with noise of at least tickShare (the tick over the
  // reference price).
  std::vector<double> ModelPath(const Security& security, int64_t day, const ModelDay& shape, double tickShare) const;

 private:
  struct DayRecord {
    int64_t day;
    MarketBar bar;  // the full day
  };
  struct History {
    const Security* security = nullptr;
    int32_t tick = 100;  // price step, x 10000
    std::vector<DayRecord> days;
    std::vector<ExRightsEvent> events;
  };
  std::shared_ptr<const History> HistoryOf(StockId stock);
  std::shared_ptr<const History> Build(const Security& security) const;
  double MarketFactor(size_t dayIndex) const;
  std::vector<int32_t> PathOf(const History& history, const DayRecord& record) const;
  // The day's bar cut at `minutes` trading minutes (240: the whole day).
  MarketBar DayBarAt(const History& history, const DayRecord& record, int minutes) const;
  void IntradayBars(const History& history, const DayRecord& record, int minutes, int period,
                    std::vector<MarketBar>& out) const;

  const Universe& universe_;
  std::vector<int64_t> tradingDays_;   // days since 1970
  std::vector<double> marketFactor_;   // per trading day
  std::mutex mutex_;
  std::map<StockId, std::shared_ptr<const History>> memo_;
};

// Fills the signal words of a series in order: nibble 0 from the state
// machine of the 18- and 90-bar close averages (1 for one bar at a buy
// crossing, then 4; 3 at a sell crossing, then 2), nibble 2 1 or 3 where the
// 60-bar average crosses the 120-bar one upwards or downwards.
void ComputeSignalWords(std::vector<MarketBar>& bars);

}  // namespace kiv::standin
