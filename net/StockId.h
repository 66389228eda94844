// The 32-bit key of every security: the six-digit code in the low 24 bits,
// the market in the high byte. It keys requests and replies, cache files,
// the mapped tables, the stock table, the watch list and every list cell.
//
// Two comparisons exist: of the whole word (code and market) and of the code
// alone (the low 24 bits).
#pragma once

#include <cstdint>

typedef uint32_t StockId;

// Market byte values. 0 means "not set": the market follows from the code.
constexpr uint32_t kMarketNone = 0;
constexpr uint32_t kMarketShanghai = 1;
constexpr uint32_t kMarketShenzhen = 2;
constexpr uint32_t kMarketThirdBoard = 3;
constexpr uint32_t kMarketFourthBoard = 4;

constexpr uint32_t kStockCodeMask = 0x00FFFFFFu;

constexpr uint32_t StockCode(StockId id) { return id & kStockCodeMask; }
constexpr uint32_t StockMarket(StockId id) { return id >> 24; }
// Code and market are cut to their 24 and 8 bits, so that neither can spill
// into the other.
constexpr StockId MakeStockId(uint32_t code, uint32_t market) {
  return (code & kStockCodeMask) | ((market & 0xFFu) << 24);
}
constexpr bool SameStockCode(StockId a, StockId b) { return StockCode(a) == StockCode(b); }

// Markets 1 to 4 are valid; 0 and anything above 4 are not.
constexpr bool IsValidMarket(uint32_t market) {
  return market >= kMarketShanghai && market <= kMarketFourthBoard;
}

// The cache folder of a market: "sh", "sz", "sb", "sdy"; null for a market
// that is not valid.
const char* MarketFolderName(uint32_t market);

// Where the market byte is 0, writes the market that the code implies into
// the caller's word: codes below 600000 are Shenzhen, all others Shanghai.
// A set market byte is left alone. Returns the word.
StockId FillMissingMarket(StockId* id);

// The security class of a six-digit code, 0 to 16 or -1 (classes 8 and 12
// are never produced). The market plays no part.
int32_t ClassifyCode(int32_t code);

// How many decimals the code's prices show: 3 for classes 1, 2, 5 and 6
// (B shares and funds, quoted in thousandths of a yuan or dollar), 2 for all
// others.
int32_t PriceDecimals(int32_t code);
