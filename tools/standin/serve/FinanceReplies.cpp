#include "tools/standin/serve/FinanceReplies.h"

#include <vector>

#include "net/FieldIds.h"
#include "tools/standin/serve/ReplyBuilder.h"
#include "tools/standin/serve/ReplyIds.h"

namespace kiv::standin {

namespace {

constexpr int32_t kGroupFinance = 100010072;
constexpr int32_t kGroupQuarters = 100010070;
constexpr int32_t kFieldSectorName = 700000017;
constexpr int32_t kFieldQuarterEnd = 300000025;
constexpr int32_t kFieldPrice = 300000004;
constexpr int32_t kFieldScores[kScoreCount] = {300000131, 300000132, 300000133, 300000134};
constexpr int32_t kFieldSectorAverages[kScoreCount] = {300000045, 300000046, 300000047, 300000048};
constexpr int32_t kFieldCapital = 500000029;
constexpr int32_t kFieldPb = 300000067, kFieldPbValid = 300000150;
constexpr int32_t kFieldPe = 300000070, kFieldPeValid = 300000149;

}  // namespace

KivNetPack BuildFinanceReply(const Universe& universe, FinanceModel& finance, const KivNetPack& request,
                             int64_t nowUtc) {
  KivNetPack query(request);
  const StockId stock = static_cast<StockId>(query.GetInt32(FIELD_STOCK_ID, 0));
  KivNetPack group;
  group.SetInt32(static_cast<int32_t>(stock), FIELD_STOCK_ID, 0);
  const std::vector<QuarterReport> reports = finance.Reports(stock, nowUtc);
  const Security* share = universe.Find(stock);
  if (!reports.empty()) {
    const Security* sector =
        universe.Find(MakeStockId(880001 + static_cast<uint32_t>(share->industry), kMarketFourthBoard));
    SetFixedText(group, sector ? sector->name : std::string(), kStockNameFieldSize, kFieldSectorName, 0);
  }
  const RowRange range = RequestedRows(request, reports.size(), kMaxFinanceQuarters);
  KivNetPack rows;
  for (size_t i = range.begin; i < range.end; ++i) {
    const QuarterReport& r = reports[i];
    const int32_t row = static_cast<int32_t>(i - range.begin);
    rows.SetInt32(r.quarterEnd, kFieldQuarterEnd, row);
    rows.SetInt32(r.priceX1000, kFieldPrice, row);
    for (int k = 0; k < kScoreCount; ++k) rows.SetInt32(r.scores[k], kFieldScores[k], row);
    for (int k = 0; k < kScoreCount; ++k) rows.SetInt32(r.sectorAverages[k], kFieldSectorAverages[k], row);
    rows.SetInt64(r.shareCapital, kFieldCapital, row);
    rows.SetInt32(r.pbX10000, kFieldPb, row);
    rows.SetInt32(r.pbValid, kFieldPbValid, row);
    rows.SetInt32(r.peX10000, kFieldPe, row);
    rows.SetInt32(r.peValid, kFieldPeValid, row);
  }
  group.SetPack(rows, kGroupQuarters, 0);
  KivNetPack reply;
  reply.SetPack(group, kGroupFinance, 0);
  return reply;
}

}  // namespace kiv::standin
