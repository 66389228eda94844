// The finance reply of the market-data port (20000055: the finance pane,
// the quote panes and the interval statistics dialog). Payload row 0 holds
// group 100010072, whose row 0 holds:
//
//   300000001  the StockId as asked
//   700000017  the share's industry sector name (16 bytes; shares only)
//   100010070  one row per quarter public at the clock, oldest first: the
//              rows the request's 200000007 (first, 0 the oldest) and
//              200000008 (count, at most 512) select
//
// Quarter rows (FinanceModel::Reports):
//
//   300000025           quarter end yyyymmdd
//   300000004           price at the quarter end, yuan x 1000
//   300000131..134      scores x 10000: profitability, solvency, growth, valuation
//   300000045..048      the industry's averages of the same, x 10000
//   500000029           share capital, shares (64-bit)
//   300000067/300000150 price to book x 10000 and its validity (1)
//   300000070/300000149 price to earnings x 10000 and its validity (1; 0 on losses)
//
// Anything but a share gets the group with an empty 100010070: it has no
// reports, and a reader keeping the quarters of the last stock would show
// them for this one.
#pragma once

#include <cstdint>

#include "net/KivNetPack.h"
#include "tools/standin/market/Finance.h"
#include "tools/standin/market/Universe.h"

namespace kiv::standin {

constexpr int32_t kMaxFinanceQuarters = 512;

KivNetPack BuildFinanceReply(const Universe& universe, FinanceModel& finance, const KivNetPack& request,
                             int64_t nowUtc);

}  // namespace kiv::standin
