// The interval statistics of the chart menu's "区间统计", window-free: what a
// range of bars of one series adds up to (start and end, open, high, low,
// close, volume, amount, change, amplitude, turnover and the counts of bars
// by kind), with the value texts the dialog shows row by row; and the
// decoder of the share-capital history that the turnover divides by, from a
// finance reply (20000055).
//
// Bars carry prices in yuan, volume in lots (100 shares) and amount in yuan;
// times are seconds since 1970, read in the machine's local time. Texts are
// GBK. Any thread; nothing here keeps state.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/KLineBar.h"
#include "net/DataTypes.h"
#include "net/KivNetPack.h"
#include "net/StockId.h"

namespace kiv {

// The rows of the statistics, as the dialog lists them.
enum IntervalRow {
  kIntervalStart = 0,     // 起始时间
  kIntervalEnd,           // 终止时间
  kIntervalOpen,          // 开盘价
  kIntervalHigh,          // 最高价
  kIntervalLow,           // 最低价
  kIntervalClose,         // 收盘价
  kIntervalVolume,        // 成交量
  kIntervalAmount,        // 成交额
  kIntervalAveragePrice,  // 加权均价: not computed, never shown
  kIntervalChange,        // 区间涨幅
  kIntervalAmplitude,     // 区间振幅
  kIntervalTurnover,      // 区间换手
  kIntervalRowCount
};

// From `date` (yyyymmdd) on, the stock had `capital` shares.
struct CapitalRow {
  int32_t date = 0;
  int64_t capital = 0;
};

// A stock's share-capital history as one finance reply brings it, oldest
// row first.
struct CapitalHistory {
  StockId stock = 0;
  std::vector<CapitalRow> rows;
};

// The request asks for rows 0-512; a reply holding more is not one.
constexpr uint32_t kMaxCapitalRows = 512;

// Reads container 100010072 (row 0) of a finance reply: its stock
// (300000001) and, from its nested 100010070, one CapitalRow per quarter
// (300000025, 500000029). False, leaving `out` alone, when either container
// is missing or unreadable or the quarters are more than were asked for.
bool DecodeCapitalReply(KivNetPack& reply, CapitalHistory* out);

struct IntervalStatistics {
  int days = 0;      // calendar days from the first bar's date to the last's, both counted
  int barCount = 0;  // last - first + 1
  int rising = 0;    // close > open
  int falling = 0;   // close < open
  int flat = 0;      // close == open
  int above = 0;     // close above the previous bar's close (bars 1.. of the series only)
  int below = 0;     // close below it
  int32_t startDate = 0;  // yyyymmdd, local time
  int32_t endDate = 0;
  double open = 0, high = 0, low = 0, close = 0;  // yuan
  double volume = 0;    // lots
  double amount = 0;    // yuan
  double turnover = 0;  // fraction of the share capital traded (0.0123 is 1.23%)
  // The value text of every row; kIntervalAveragePrice stays empty.
  std::array<std::string, kIntervalRowCount> texts;
};

// The statistics of bars[first..last] of a series whose bars before `first`
// are at bars[0..first-1] (bar first - 1 is the previous close of bar
// first). `capital` is the share-capital history of the series' stock, oldest
// first; empty when it is not known. An empty result for a range that is
// not one (bars null, first < 0, last < first).
IntervalStatistics ComputeIntervalStatistics(const KLineBar* bars, int first, int last, DataType period,
                                             const std::vector<CapitalRow>& capital);

// The dialog's title: "<name>  区间统计(复权)" for the adjusted series
// (flag 1), "(未复权)" for the raw one.
std::string IntervalTitle(const char* nameGbk, int seriesFlag);

}  // namespace kiv
