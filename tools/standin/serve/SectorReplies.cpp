#include "tools/standin/serve/SectorReplies.h"

#include <cmath>
#include <vector>

#include "net/FieldIds.h"
#include "tools/standin/market/MarketTime.h"
#include "tools/standin/serve/ReplyBuilder.h"

namespace kiv::standin {

namespace {

constexpr int32_t kGroupMembers = 100010022;
constexpr int32_t kFieldChange = 300000074;

}  // namespace

KivNetPack BuildSectorMembersReply(const Universe& universe, PriceHistory& history, const KivNetPack& request,
                                   int64_t nowUtc) {
  KivNetPack query(request);
  const StockId sector = static_cast<StockId>(query.GetInt32(FIELD_STOCK_ID, 0));
  const Security* s = universe.Find(sector);
  if (s == nullptr || !IsSectorGroup(s->group)) return KivNetPack();
  const BeijingDateTime today = ToBeijing(nowUtc);
  const int32_t date = today.year * 10000 + today.month * 100 + today.day;
  std::vector<const Security*> members;
  for (const Security* member : universe.SectorMembers(sector)) {
    if (member->listDate <= date) members.push_back(member);
  }
  const RowRange range = RequestedRows(request, members.size(), kMaxSectorMembers);
  KivNetPack rows;
  for (size_t i = range.begin; i < range.end; ++i) {
    MarketQuote quote;
    if (!history.QuoteAt(members[i]->id, nowUtc, &quote)) quote = MarketQuote();
    const double change = quote.previousClose > 0 ? double(quote.last - quote.previousClose) / quote.previousClose : 0;
    const int32_t row = static_cast<int32_t>(i - range.begin);
    rows.SetInt32(static_cast<int32_t>(members[i]->id), FIELD_STOCK_ID, row);
    rows.SetInt32(quote.last, FIELD_LAST_PRICE, row);
    rows.SetInt32(static_cast<int32_t>(std::lround(change * 1e6)), kFieldChange, row);
  }
  KivNetPack reply;
  reply.SetPack(rows, kGroupMembers, 0);
  return reply;
}

}  // namespace kiv::standin
