// CrosshairBarSummary: the 136-byte record the chart hands its parent for
// the bar under the crosshair (or the last bar), which the stock view passes
// on to its money-flow pane. P and Q are the series' two per-bar values
// (inflow and outflow of day bars), A the bar's amount.
//
//   offset  size  field
//   0       36    zero (not used)
//   36      4     StockId word, little-endian (market byte at 39)
//   40      16    name, GBK, NUL-padded
//   56      8     P(k), int64
//   64      8     Q(k), int64
//   72      4     (P - Q) / A x 10000, int32
//   76/84/92      the same over bar k and up to 4 bars before it: sum P
//                 int64, sum Q int64, quotient int32
//   96/104/112    over up to 10 bars
//   116/124/132   over up to 20 bars
//
// Every value is truncated toward zero. A quotient whose amount is zero, or
// that does not fit an int32, is written 0; a sum beyond int64 likewise.
// Written field by field; any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "data/KLineSeries.h"

namespace kiv {

struct CrosshairBarSummary {
  static constexpr size_t kBytes = 136;
  static constexpr size_t kStockOffset = 36;
  static constexpr size_t kNameOffset = 40;
  static constexpr size_t kNameBytes = 16;
  static constexpr size_t kBarOffset = 56;       // P, Q, quotient of bar k
  static constexpr size_t kWindowOffsets[3] = {76, 96, 116};  // sums over 5, 10, 20 bars
  static constexpr int kWindowBars[3] = {5, 10, 20};

  unsigned char bytes[kBytes] = {};
};
static_assert(sizeof(CrosshairBarSummary) == 136, "the crosshair summary is 136 bytes");

// (p - q) / amount x 10000 truncated; 0 for a zero or non-finite amount
// and for a result outside the int32 range.
int32_t CrosshairQuotient(double p, double q, double amount);
// A value truncated to int64; 0 outside its range or not finite.
int64_t CrosshairWholeValue(double value);

// Fills `out` for bar k of `series` (k held inside the series) with the
// series' StockId and name. False, `out` untouched, for an empty series.
bool FillCrosshairSummary(const CKLineSeries& series, int k, CrosshairBarSummary* out);

}  // namespace kiv
