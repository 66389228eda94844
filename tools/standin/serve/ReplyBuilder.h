// Small helpers shared by the reply builders: fixed-size text fields and the
// stock table reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/KivNetPack.h"
#include "tools/standin/market/Universe.h"

namespace kiv::standin {

// Writes text into a fixed text field of fieldSize bytes: cut to
// fieldSize - 1 bytes without splitting a GBK character, NUL-padded, so that
// the field of every row has the same size and every text its terminator.
bool SetFixedText(KivNetPack& pack, const std::string& text, int32_t fieldSize, int32_t id, int32_t row);

// The rows a list request asks for (200000007 the first row, 0 the oldest
// or first of the list; 200000008 the count, at most maxRows, 0 or less
// meaning maxRows), of a list of `available` rows: [begin, end).
struct RowRange {
  size_t begin = 0;
  size_t end = 0;
};
RowRange RequestedRows(const KivNetPack& request, size_t available, int32_t maxRows);

// Payload of the stock-table reply (20000003): group 100010016 on row 0, one
// row per security of markets 1, 2 and 4 in universe order, with 300000001
// (StockId, 32-bit) and 700000005 (name, 16 bytes).
KivNetPack BuildStockTableReply(const Universe& universe);

}  // namespace kiv::standin
