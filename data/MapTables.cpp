#include "data/MapTables.h"

namespace {

template <class Record>
Record* As(unsigned char* bytes) {
  return reinterpret_cast<Record*>(bytes);
}

}  // namespace

int KivMapMarket::Put(const MarketRecord& record) {
  std::lock_guard<std::mutex> hold(lock_);
  MarketRecord* stored = As<MarketRecord>(FindOrAddLocked(static_cast<int32_t>(record.key)));
  if (!stored) return 0;
  stored->key = record.key;
  stored->Assign(record);
  return 1;
}

int KivMapMarket::Get(MarketRecord& record) {
  std::lock_guard<std::mutex> hold(lock_);
  MarketRecord* stored = As<MarketRecord>(FindLocked(static_cast<int32_t>(record.key)));
  if (!stored) return 0;
  record.Assign(*stored);
  record.key = stored->key;
  return 1;
}

int KivNefFlow::Put(const NetFlowRecord& record) {
  std::lock_guard<std::mutex> hold(lock_);
  NetFlowRecord* stored = As<NetFlowRecord>(FindOrAddLocked(static_cast<int32_t>(record.key)));
  if (!stored) return 0;
  stored->key = record.key;
  stored->Assign(record);
  return 1;
}

int KivNefFlow::Get(NetFlowRecord& record) {
  std::lock_guard<std::mutex> hold(lock_);
  NetFlowRecord* stored = As<NetFlowRecord>(FindLocked(static_cast<int32_t>(record.key)));
  if (!stored) return 0;
  record.Assign(*stored);
  record.key = stored->key;
  return 1;
}

int KivMapShortFairy::Load(const std::string& gbkPath, const std::string& mappingName) {
  return LoadFresh(gbkPath, mappingName);
}

void KivMapShortFairy::SetStock(const StockId* id) {
  if (!id || StockCode(*id) == 0) return;
  std::lock_guard<std::mutex> hold(lock_);
  current_ = *id;
}

StockId KivMapShortFairy::GetCurrentStock() const {
  std::lock_guard<std::mutex> hold(lock_);
  return current_;
}

int KivMapShortFairy::Find(BS5TableRecord& record) {
  std::lock_guard<std::mutex> hold(lock_);
  BS5TableRecord* stored = As<BS5TableRecord>(FindLocked(static_cast<int32_t>(record.key)));
  if (!stored) return 0;
  record.key = stored->key;
  record.record.Assign(stored->record);
  return 1;
}

int KivMapShortFairy::GetCurrent(BS5TableRecord& record) {
  std::lock_guard<std::mutex> hold(lock_);
  BS5TableRecord* stored = As<BS5TableRecord>(FindLocked(static_cast<int32_t>(current_)));
  if (!stored) return 0;
  record.key = stored->key;
  record.record.Assign(stored->record);
  return 1;
}

int KivMapShortFairy::Put(const BS5TableRecord& record) {
  std::lock_guard<std::mutex> hold(lock_);
  BS5TableRecord* stored = As<BS5TableRecord>(FindOrAddLocked(static_cast<int32_t>(record.key)));
  if (!stored) return 0;
  stored->key = record.key;
  stored->record.Assign(record.record);
  return 1;
}

int KivMapTG::Put(const TGTableRecord& record) {
  std::lock_guard<std::mutex> hold(lock_);
  TGTableRecord* stored = As<TGTableRecord>(FindOrAddLocked(static_cast<int32_t>(record.key)));
  if (!stored) return 0;
  stored->key = record.key;
  stored->record = record.record;
  return 1;
}
