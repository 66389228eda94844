#include "tools/standin/serve/IndexQuoteReplies.h"

#include <vector>

#include "net/FieldIds.h"

namespace kiv::standin {

KivNetPack BuildIndexQuotesReply(IndexLevels& indices, const KivNetPack& request, int64_t nowUtc) {
  KivNetPack asked(request);
  KivNetPack list;
  if (!asked.GetPack(list, FIELD_STOCK_LIST, 0)) return KivNetPack();
  const uint32_t rows = list.GetRecordCount();
  if (rows == 0 || rows > kMaxQuotedIndices) return KivNetPack();
  KivNetPack group;
  for (uint32_t r = 0; r < rows; ++r) {
    const int32_t row = static_cast<int32_t>(r);
    const StockId id = static_cast<StockId>(list.GetInt32(FIELD_STOCK_ID, row));
    IndexQuote quote;
    if (!indices.QuoteAt(id, nowUtc, &quote)) quote = IndexQuote();
    group.SetInt32(static_cast<int32_t>(id), FIELD_STOCK_ID, row);
    group.SetInt32(quote.last, FIELD_LAST_PRICE, row);
    group.SetInt32(quote.previousClose, FIELD_PREV_CLOSE, row);
  }
  KivNetPack payload;
  payload.SetPack(group, GROUP_INDEX_QUOTES, 0);
  return payload;
}

}  // namespace kiv::standin
