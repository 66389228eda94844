#include "tools/standin/serve/ReplyBuilder.h"

#include <algorithm>
#include <vector>

#include "net/FieldIds.h"
#include "platform/sys/GbkText.h"
#include "tools/standin/serve/ReplyIds.h"

namespace kiv::standin {

bool SetFixedText(KivNetPack& pack, const std::string& text, int32_t fieldSize, int32_t id, int32_t row) {
  if (fieldSize < 1) return false;
  std::vector<char> field(static_cast<size_t>(fieldSize), '\0');
  // Take whole characters only while they fit before the terminator.
  size_t length = 0;
  while (length < text.size()) {
    const size_t width = kiv::IsGbkLeadByte(static_cast<unsigned char>(text[length])) ? 2 : 1;
    if (length + width > static_cast<size_t>(fieldSize - 1) || length + width > text.size()) break;
    length += width;
  }
  text.copy(field.data(), length);
  return pack.SetText(field.data(), fieldSize, id, row);
}

RowRange RequestedRows(const KivNetPack& request, size_t available, int32_t maxRows) {
  KivNetPack query(request);  // the getters mark a pack read
  const int64_t first = std::max<int32_t>(0, query.GetInt32(FIELD_FIRST_ROW, 0));
  int64_t count = query.GetInt32(FIELD_ROW_COUNT, 0);
  if (count <= 0 || count > maxRows) count = maxRows;
  RowRange range;
  range.begin = static_cast<size_t>(std::min<int64_t>(first, static_cast<int64_t>(available)));
  range.end = static_cast<size_t>(std::min<int64_t>(first + count, static_cast<int64_t>(available)));
  return range;
}

KivNetPack BuildStockTableReply(const Universe& universe) {
  KivNetPack table;
  int32_t row = 0;
  for (const Security& security : universe.Securities()) {
    const uint32_t market = StockMarket(security.id);
    if (market != kMarketShanghai && market != kMarketShenzhen && market != kMarketFourthBoard) continue;
    table.SetInt32(static_cast<int32_t>(security.id), FIELD_STOCK_ID, row);
    SetFixedText(table, security.name, kStockNameFieldSize, FIELD_STOCK_NAME, row);
    ++row;
  }
  KivNetPack reply;
  reply.SetPack(table, GROUP_STOCK_TABLE, 0);
  return reply;
}

}  // namespace kiv::standin
