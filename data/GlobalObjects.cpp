#include "data/GlobalObjects.h"

#include <cstring>
#include <vector>

#include "data/KLineSeries.h"
#include "platform/sys/ByteOrder.h"
#include "platform/sys/Clock.h"

namespace kiv {

KivGlobalObjects::KivGlobalObjects(const GlobalObjectsOptions& options) {
  net_ = std::make_unique<CNetService>(options.timings);
  stocks_ = std::make_unique<CKivStockTable>();
  ipTable_ = std::make_unique<CIpConfigTable>();
  CongfigOptions config = options.config;
  config.table = ipTable_.get();
  config_ = std::make_unique<CCongfig>(config);
  winsock_ = std::make_unique<CKivPing>();
  mapShort_ = std::make_unique<KivMapShort>();
  mapShortFairy_ = std::make_unique<KivMapShortFairy>();
  tradeInfo_ = std::make_unique<KivTradeinfo>();
  mapMarket_ = std::make_unique<KivMapMarket>();
  mapFinance_ = std::make_unique<KivMapFinaceAnly>();
  mapJiePan_ = std::make_unique<KivMapJiePan>();
  netFlow_ = std::make_unique<KivNefFlow>();
  mapTick_ = std::make_unique<KivMapTick>();
  mapTG_ = std::make_unique<KivMapTG>();
  serverLabel_ = std::make_unique<DataServerLabel>();
  quotePaneLock_ = std::make_unique<CKivRWLock>();
  watchList_ = std::make_unique<CKIVDesk_ZiXuan>();
  oldWatchList_ = std::make_unique<CKIVDesk_ZiXuan_Old>(options.watchIniPath);
  socketItems_ = std::make_unique<CIocpSocket>();
}

void KivGlobalObjects::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  // First the I/O thread: after this no reply handler can run.
  net_->StopConnection();
  net_->Shutdown();
  config_->WaitForServerList(INFINITE);
}

KivGlobalObjects::~KivGlobalObjects() {
  Shutdown();
  socketItems_.reset();
  oldWatchList_.reset();
  watchList_.reset();
  quotePaneLock_.reset();
  serverLabel_.reset();
  mapTG_.reset();
  mapTick_.reset();
  netFlow_.reset();
  mapJiePan_.reset();
  mapFinance_.reset();
  mapMarket_.reset();
  tradeInfo_.reset();
  mapShortFairy_.reset();
  mapShort_.reset();
  winsock_.reset();
  config_.reset();
  ipTable_.reset();
  stocks_.reset();
  net_.reset();
}

bool CongfigDataServerSource::Take(int found, const ServerRecord& record, DataServerRecord& out) const {
  if (found == 0) return false;
  // Both texts are fixed 40-byte fields, not always terminated.
  out.address.assign(record.address, strnlen(record.address, sizeof(record.address)));
  out.label.assign(record.label, strnlen(record.label, sizeof(record.label)));
  out.port = port_;
  return !out.address.empty();
}

bool CongfigDataServerSource::Current(DataServerRecord& out) {
  ServerRecord record{};
  const int found = config_.GetCurrentServer(record);
  return Take(found, record, out);
}

bool CongfigDataServerSource::Next(DataServerRecord& out) {
  ServerRecord record{};
  const int found = config_.NextServer(record);
  return Take(found, record, out);
}

namespace {

void PostStockItem(CIocpSocket& queue, uint16_t kind, uint16_t count, StockId stock) {
  auto item = std::make_unique<SOCKETIO_ITEM>();
  item->nLength = 12;
  item->pData.reset(new unsigned char[12]());
  // The request record: kind at 0, count at 6, stock at 8, little-endian.
  kiv::StoreLe16(item->pData.get(), kind);
  kiv::StoreLe16(item->pData.get() + 6, count);
  kiv::StoreLe32(item->pData.get() + 8, stock);
  queue.PostItem(std::move(item));
}

}  // namespace

UINT RefreshAllStocks(void* param) {
  auto* globals = static_cast<KivGlobalObjects*>(param);
  if (globals == nullptr || globals->Stocks().IsEmpty()) return 0;
  std::vector<StockRecord> records;
  globals->Stocks().CopyTo(records);
  std::vector<StockId> ids;
  ids.reserve(records.size());
  for (const StockRecord& r : records) ids.push_back(r.id);
  globals->Net().RequestStockTable(PacketHandler(), ids);

  const int64_t now = CurrentClock().UnixTimeMs() / 1000;
  uint16_t count = kAllStocksDefaultCount;
  auto series = std::make_unique<CKLineSeries>();
  for (const StockRecord& r : records) {
    series->Clear();
    series->SetStock(r.id);
    series->SetDataType(kAllStocksSeriesType);
    series->LoadFromFile();
    const int64_t last = series->GetLastBarTime();
    count = last >= 100 ? static_cast<uint16_t>((now - last) / 86400 + 1) : kAllStocksDefaultCount;
    // The kind word of the first pass is left 0: nothing reads these items.
    PostStockItem(globals->SocketItems(), 0, count, r.id);
  }
  series.reset();
  for (const StockRecord& r : records) PostStockItem(globals->SocketItems(), kAllStocksSecondKind, count, r.id);
  return 0;
}

}  // namespace kiv
