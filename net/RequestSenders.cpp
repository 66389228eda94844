// The typed request senders of CNetService: the one place where the payload
// of every request is fixed. Fields are set on row 0 in the order below; the
// first use of a field defines it, so the order of the calls is the order of
// the fields on the wire, and servers of the same shape of request expect
// them in exactly that order. First row, row count and selectors travel as
// 16-bit fields holding the low 16 bits of the caller's value.
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/NetService.h"

namespace {

// Builds a payload field by field on row 0.
class Payload {
 public:
  Payload& Int16(int32_t id, int32_t value) {
    const int16_t low = static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
    pack_.SetInt16(low, id, 0);
    return *this;
  }
  Payload& Int32(int32_t id, int32_t value) {
    pack_.SetInt32(value, id, 0);
    return *this;
  }
  Payload& Stock(StockId stock) { return Int32(FIELD_STOCK_ID, static_cast<int32_t>(stock)); }
  Payload& Range(int32_t first, int32_t count) { return Int16(FIELD_FIRST_ROW, first).Int16(FIELD_ROW_COUNT, count); }
  Payload& Selector(int32_t selector) { return Int16(FIELD_SELECTOR, selector); }
  Payload& Pack(int32_t id, const KivNetPack& sub) {
    pack_.SetPack(sub, id, 0);
    return *this;
  }
  const KivNetPack& Get() const { return pack_; }

 private:
  KivNetPack pack_;
};

// One row per security: the list of a quote or records request.
template <typename Ids>
KivNetPack StockList(const Ids& ids) {
  KivNetPack list;
  int32_t row = 0;
  for (StockId id : ids) {
    list.SetInt32(static_cast<int32_t>(id), FIELD_STOCK_ID, row);
    ++row;
  }
  return list;
}

}  // namespace

bool CNetService::Submit(PacketHandler handler, const KivNetPack& payload, uint32_t dataType) {
  // Every request of the terminal is no-resend with argument 0: an identical
  // request already waiting is refused, and one lost with its link is not
  // sent again (the window asks anew on its next refresh).
  return manager_.SendRequest(std::move(handler), &payload, &dataType, 0, true);
}

bool CNetService::RequestIndexQuotes(PacketHandler handler, std::list<StockId> ids) {
  return Submit(std::move(handler), Payload().Pack(FIELD_STOCK_LIST, StockList(ids)).Get(), DT_INDEX_QUOTES);
}

bool CNetService::RequestStockTable(PacketHandler handler, std::vector<StockId> ids) {
  return Submit(std::move(handler), Payload().Pack(FIELD_STOCK_LIST, StockList(ids)).Get(), DT_STOCK_RECORDS);
}

bool CNetService::RequestMarketOverview(PacketHandler handler) {
  return Submit(std::move(handler), KivNetPack(), DT_MARKET_OVERVIEW);
}

bool CNetService::RequestStockAnalysis(PacketHandler handler, StockId stock) {
  return Submit(std::move(handler), Payload().Stock(stock).Get(), DT_STOCK_ANALYSIS);
}

bool CNetService::RequestTicks(PacketHandler handler, StockId stock) {
  return Submit(std::move(handler), Payload().Stock(stock).Get(), DT_TICKS);
}

bool CNetService::RequestStockIndustry(PacketHandler handler, StockId stock, int32_t first, int32_t count) {
  return Submit(std::move(handler), Payload().Stock(stock).Range(first, count).Get(), DT_STOCK_INDUSTRY);
}

bool CNetService::RequestRobotIncome(PacketHandler handler, int32_t first, int32_t count, int32_t selector) {
  return Submit(std::move(handler), Payload().Range(first, count).Selector(selector).Get(), DT_ROBOT_RANKING);
}

bool CNetService::RequestRobotData13(PacketHandler handler, int32_t first, int32_t count) {
  return Submit(std::move(handler), Payload().Range(first, count).Get(), DT_ROBOT_SHOWCASE);
}

bool CNetService::RequestRobotPerInfo(PacketHandler handler, StockId stock, int32_t first, int32_t count,
                                      int32_t selector) {
  return Submit(std::move(handler), Payload().Stock(stock).Range(first, count).Selector(selector).Get(),
                DT_ROBOT_HOLDINGS);
}

bool CNetService::RequestRobotHold(PacketHandler handler, StockId stock, int32_t first, int32_t count,
                                   int32_t selector) {
  return Submit(std::move(handler), Payload().Stock(stock).Range(first, count).Selector(selector).Get(),
                DT_ROBOT_TRADES);
}

bool CNetService::RequestShortEx(PacketHandler handler, StockId stock, int32_t first, int32_t count) {
  return Submit(std::move(handler), Payload().Stock(stock).Range(first, count).Get(), DT_SHORT_EX);
}

bool CNetService::RequestKLine(PacketHandler handler, uint32_t dataType, StockId stock, int32_t first,
                               int32_t count) {
  Payload payload;
  payload.Range(first, count).Stock(stock).Int32(FIELD_KLINE_TYPE, static_cast<int32_t>(dataType));
  return Submit(std::move(handler), payload.Get(), dataType);
}

bool CNetService::RequestOwnStocks(PacketHandler handler, int32_t first, int32_t count, const KivNetPack& rows) {
  return Submit(std::move(handler), Payload().Range(first, count).Pack(FIELD_OWN_STOCK_ROWS, rows).Get(),
                DT_OWN_STOCKS);
}

bool CNetService::RequestPool(PacketHandler handler, uint32_t dataType, int32_t first, int32_t count,
                              int32_t selector) {
  return Submit(std::move(handler), Payload().Range(first, count).Selector(selector).Get(), dataType);
}

bool CNetService::RequestMarketRisk(PacketHandler handler) {
  return Submit(std::move(handler), KivNetPack(), DT_MARKET_RISK);
}

bool CNetService::RequestKLineInfo(PacketHandler handler, StockId stock) {
  return Submit(std::move(handler), Payload().Stock(stock).Get(), DT_KLINE_INFO);
}

bool CNetService::RequestStockMarketInfo(PacketHandler handler, StockId stock) {
  return Submit(std::move(handler), Payload().Stock(stock).Get(), DT_STOCK_MARKET_INFO);
}

bool CNetService::RequestZhuli(PacketHandler handler, int32_t first, int32_t count, int32_t selector) {
  return Submit(std::move(handler), Payload().Range(first, count).Selector(selector).Get(), DT_ZHULI);
}

bool CNetService::RequestValue(PacketHandler handler, int32_t first, int32_t count, int32_t selector) {
  return Submit(std::move(handler), Payload().Range(first, count).Selector(selector).Get(), DT_VALUE);
}

bool CNetService::RequestValueByType(PacketHandler handler, int64_t dataType, int32_t first, int32_t count,
                                     int32_t selector) {
  return Submit(std::move(handler), Payload().Range(first, count).Selector(selector).Get(),
                static_cast<uint32_t>(dataType & 0xFFFFFFFF));
}

bool CNetService::RequestNetFlow(PacketHandler handler, StockId stock) {
  return Submit(std::move(handler), Payload().Stock(stock).Get(), DT_NET_FLOW);
}

bool CNetService::RequestIncomeRate(PacketHandler handler, int32_t first, int32_t count, int32_t selector) {
  return Submit(std::move(handler), Payload().Range(first, count).Selector(selector).Get(), DT_INCOME_RATE);
}

bool CNetService::RequestQuote(PacketHandler handler, StockId stock) {
  return Submit(std::move(handler), Payload().Stock(stock).Get(), DT_QUOTE);
}

bool CNetService::RequestShortFairy(PacketHandler handler, int32_t first, int32_t count, int32_t selector,
                                    StockId stock) {
  return Submit(std::move(handler), Payload().Range(first, count).Selector(selector).Stock(stock).Get(),
                DT_SHORT_FAIRY);
}

bool CNetService::RequestShortExList(PacketHandler handler, int32_t first, int32_t count) {
  return Submit(std::move(handler), Payload().Range(first, count).Get(), DT_SHORT_EX_LIST);
}

bool CNetService::RequestRise(PacketHandler handler, int32_t selector) {
  return Submit(std::move(handler), Payload().Int16(FIELD_RISE_SELECTOR, selector).Get(), DT_RISE);
}

bool CNetService::RequestGenre(PacketHandler handler, int32_t first, int32_t count, int32_t selector) {
  return Submit(std::move(handler), Payload().Range(first, count).Selector(selector).Get(), DT_GENRE);
}

bool CNetService::RequestKLineRobot(PacketHandler handler, int32_t first, int32_t count, int32_t selector,
                                    StockId stock) {
  return Submit(std::move(handler), Payload().Range(first, count).Selector(selector).Stock(stock).Get(),
                DT_ROBOT_CURVE);
}

bool CNetService::RequestBigVolume(PacketHandler handler, StockId stock) {
  // The one request whose first-row field is 32 bits wide: it holds the
  // whole StockId.
  return Submit(std::move(handler), Payload().Int32(FIELD_FIRST_ROW, static_cast<int32_t>(stock)).Get(),
                DT_BIG_VOLUME);
}

bool CNetService::RequestGXD(PacketHandler handler, int32_t first, int32_t count, int32_t selector,
                             StockId stock) {
  return Submit(std::move(handler), Payload().Range(first, count).Stock(stock).Selector(selector).Get(), DT_GXD);
}

bool CNetService::RequestBS20(PacketHandler handler, int32_t first, int32_t count, int32_t selector,
                              StockId stock) {
  return Submit(std::move(handler), Payload().Range(first, count).Stock(stock).Selector(selector).Get(), DT_BS20);
}

bool CNetService::SendUserId(PacketHandler handler, int32_t userId) {
  return Submit(std::move(handler), Payload().Int32(FIELD_USER_ID, userId).Get(), DT_USER_ID);
}

bool CNetService::RequestRobotData53(PacketHandler handler) {
  return Submit(std::move(handler), KivNetPack(), DT_ROBOT_POSITION);
}

bool CNetService::RequestJiePan(PacketHandler handler, StockId stock) {
  return Submit(std::move(handler), Payload().Stock(stock).Get(), DT_JIEPAN);
}

bool CNetService::RequestFinance(PacketHandler handler, int32_t first, int32_t count, int32_t selector,
                                 StockId stock) {
  return Submit(std::move(handler), Payload().Range(first, count).Stock(stock).Selector(selector).Get(),
                DT_FINANCE);
}

void CNetService::SetPushHandler(PacketHandler handler) { manager_.SetPushCallback(std::move(handler)); }

std::string CNetService::GetServerAddress() {
  const ServerEntry server = manager_.GetCurrentServer();
  return server.label;
}
