// The index quotes of the market-data port (20000001, the ticker's request):
// one row per StockId of the request's list (field 100010005, rows of
// 300000001), in request order, in group 100010014 on row 0 of the payload:
//
//   300000001  the StockId as asked
//   300000037  last level x 10000 (IndexLevels::QuoteAt at the market clock)
//   300000005  previous close x 10000
//
// A security the index model does not compute gets a row of zeros. A
// request without the list, or with more than kMaxQuotedIndices rows, gets
// an empty payload.
#pragma once

#include <cstdint>

#include "net/KivNetPack.h"
#include "tools/standin/market/IndexLevels.h"

namespace kiv::standin {

constexpr uint32_t kMaxQuotedIndices = 64;

KivNetPack BuildIndexQuotesReply(IndexLevels& indices, const KivNetPack& request, int64_t nowUtc);

}  // namespace kiv::standin
