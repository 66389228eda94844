// Per-bar marks of insider shareholding changes and of trades:
//
//   KLineHolderMarks  the trade marks hung on one bar (the series owns it
//                     through data's KLineBarMarks and frees it with the bar)
//   g_TradeMarkTable  the process-wide trade marks per stock; nothing in the
//                     program fills it yet, so the bars' holders stay empty
//                     and their confirmation nibbles 0 until a source exists
//   BuildHolderTexts  the insider-change texts of the bars of their dates
//   BuildHolderMarks  the trade marks of a stock on its bars, and the
//                     confirmation nibbles of the signals they confirm
//
// The builders run on the UI thread under the chart's series lock.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <mutex>

#include "data/KLineSeries.h"
#include "data/WorkerFetches.h"
#include "net/StockId.h"

namespace kiv {

// One trade mark: 24 bytes.
struct TradeMark {
  int64_t time = 0;    // seconds since 1970
  int32_t kind = 0;    // 1 buy, 2 sell
  float price = 0;     // yuan, shown by the painting
  int64_t shares = 0;  // shown by the painting
};

class KLineHolderMarks : public KLineBarMarks {
 public:
  enum State { kNone = 0, kBuyOnly = 1, kSellOnly = 2, kBoth = 3 };

  ~KLineHolderMarks() override { Destroy(); }

  // Appends the mark; a buy turns 0 into 1 and 2 into 3, a sell 0 into 2
  // and 1 into 3.
  void Add(const TradeMark& mark);
  // Empties the list; the state returns to none.
  void Destroy();
  // `out` = a copy of the table's list for the stock (emptied first; left
  // empty when the stock is absent or its list is empty).
  static void FillFromTable(StockId stock, std::list<TradeMark>& out);

  int GetState() const { return state_; }
  const std::list<TradeMark>& Marks() const { return marks_; }

 private:
  std::list<TradeMark> marks_;
  int state_ = kNone;
};

// The process-wide table of trade marks per stock (the whole StockId word).
class TradeMarkTable {
 public:
  void Set(StockId stock, std::list<TradeMark> marks);
  void Clear();
  std::list<TradeMark> Get(StockId stock) const;

 private:
  mutable std::mutex mutex_;
  std::map<StockId, std::list<TradeMark>> marks_;
};
extern TradeMarkTable g_TradeMarkTable;

// Attaches the texts of the insider records (newest first, as delivered) to
// the bars of their local dates, walking the bars from the last one
// backwards. A record dated after the last bar, or on a date without a bar,
// or with a date or count that does not parse, is skipped; every other
// record still finds its bar. Returns the number of records attached.
int BuildHolderTexts(CKLineSeries* series, const StringRecord15* records, int count);

// The trade marks of `stock` hung on its bars, and the confirmation nibbles
// set. False, the series unchanged, when the table has no marks for it.
bool BuildHolderMarks(CKLineSeries* series, StockId stock);

// The local calendar date of a time, as yyyymmdd (0 when it has none).
int LocalDateOf(int64_t time);

}  // namespace kiv
