#include "chart/engine/IndustryMembers.h"

#include <algorithm>

#include "net/FieldIds.h"

namespace kiv {

bool DecodeIndustryMembers(KivNetPack& reply, KivNetPack* nested, std::vector<IndustryMember>* members) {
  members->clear();
  if (reply.GetRecordCount() == 0 || !reply.GetPack(*nested, GROUP_INDUSTRY_MEMBERS, 0)) return false;
  const uint32_t rows = std::min(nested->GetRecordCount(), kMaxIndustryMembers);
  const PackColumn stock = nested->GetColumn(FIELD_STOCK_ID);
  const PackColumn last = nested->GetColumn(FIELD_LAST_PRICE);
  const PackColumn change = nested->GetColumn(FIELD_CHANGE_PCT4);
  members->reserve(rows);
  for (uint32_t r = 0; r < rows; ++r) {
    const int32_t row = static_cast<int32_t>(r);
    IndustryMember member;
    member.stock = static_cast<StockId>(nested->GetInt32(stock, row));
    member.last = nested->GetInt32(last, row);
    member.change = nested->GetInt32(change, row);
    members->push_back(member);
  }
  return true;
}

}  // namespace kiv
