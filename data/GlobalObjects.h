// The global objects of the market-data services, built at one place in a
// fixed order by the program's start-up (which owns this object) and
// released in reverse, after the network service has been stopped with its
// I/O thread joined and the server-list thread has ended. No reply handler
// therefore runs while anything it may touch is being released.
//
// Order of construction:
//   the network service (I/O thread running, no connection), the stock
//   table, the server address table, the configuration store (which starts
//   the server-list thread), the Winsock guard, the memory-mapped record
//   tables (KivMapShort, KivMapShortFairy, KivTradeinfo, KivMapMarket,
//   KivMapFinaceAnly, KivMapJiePan, KivNefFlow, KivMapTick, KivMapTG), the
//   data server's label, the lock shared by the quote panes, the watch list
//   and its older form, the socket item queue.
// The address table comes right before the configuration store, which
// keeps a reference to it, so that it outlives the store.
#pragma once

#include <memory>
#include <string>

#include "data/Congfig.h"
#include "data/IpConfigTable.h"
#include "data/KIVDesk_ZiXuan.h"
#include "data/MapTableEntryLists.h"
#include "data/MapTables.h"
#include "data/StockTable.h"
#include "net/BlockingSocket.h"
#include "net/KivRWLock.h"
#include "net/NetService.h"
#include "net/NetTimings.h"
#include "net/SocketItemQueue.h"
#include "net/WinsockGuard.h"

namespace kiv {

struct GlobalObjectsOptions {
  NetTimings timings;
  // The configuration store's neighbours; its address table is always the
  // one built here.
  CongfigOptions config;
  // system.ini of the older watch list.
  std::string watchIniPath = "system.ini";
};

class KivGlobalObjects {
 public:
  explicit KivGlobalObjects(const GlobalObjectsOptions& options = GlobalObjectsOptions());
  // Shutdown, then every object in reverse order of construction.
  ~KivGlobalObjects();
  KivGlobalObjects(const KivGlobalObjects&) = delete;
  KivGlobalObjects& operator=(const KivGlobalObjects&) = delete;

  // Stops the network service (no more sends, queued requests dropped
  // without their handlers, I/O thread joined) and waits for the
  // server-list thread. Safe to call more than once.
  void Shutdown();

  CNetService& Net() { return *net_; }
  CKivStockTable& Stocks() { return *stocks_; }
  CIpConfigTable& IpTable() { return *ipTable_; }
  CCongfig& Config() { return *config_; }
  CKivPing& Winsock() { return *winsock_; }
  KivMapShort& MapShort() { return *mapShort_; }
  KivMapShortFairy& MapShortFairy() { return *mapShortFairy_; }
  KivTradeinfo& TradeInfo() { return *tradeInfo_; }
  KivMapMarket& MapMarket() { return *mapMarket_; }
  KivMapFinaceAnly& MapFinance() { return *mapFinance_; }
  KivMapJiePan& MapJiePan() { return *mapJiePan_; }
  KivNefFlow& NetFlow() { return *netFlow_; }
  KivMapTick& MapTick() { return *mapTick_; }
  KivMapTG& MapTG() { return *mapTG_; }
  DataServerLabel& ServerLabel() { return *serverLabel_; }
  CKivRWLock& QuotePaneLock() { return *quotePaneLock_; }
  CKIVDesk_ZiXuan& WatchList() { return *watchList_; }
  CKIVDesk_ZiXuan_Old& OldWatchList() { return *oldWatchList_; }
  CIocpSocket& SocketItems() { return *socketItems_; }

 private:
  bool shutDown_ = false;
  std::unique_ptr<CNetService> net_;
  std::unique_ptr<CKivStockTable> stocks_;
  std::unique_ptr<CIpConfigTable> ipTable_;
  std::unique_ptr<CCongfig> config_;
  std::unique_ptr<CKivPing> winsock_;
  std::unique_ptr<KivMapShort> mapShort_;
  std::unique_ptr<KivMapShortFairy> mapShortFairy_;
  std::unique_ptr<KivTradeinfo> tradeInfo_;
  std::unique_ptr<KivMapMarket> mapMarket_;
  std::unique_ptr<KivMapFinaceAnly> mapFinance_;
  std::unique_ptr<KivMapJiePan> mapJiePan_;
  std::unique_ptr<KivNefFlow> netFlow_;
  std::unique_ptr<KivMapTick> mapTick_;
  std::unique_ptr<KivMapTG> mapTG_;
  std::unique_ptr<DataServerLabel> serverLabel_;
  std::unique_ptr<CKivRWLock> quotePaneLock_;
  std::unique_ptr<CKIVDesk_ZiXuan> watchList_;
  std::unique_ptr<CKIVDesk_ZiXuan_Old> oldWatchList_;
  std::unique_ptr<CIocpSocket> socketItems_;
};

// The block data servers of the configuration store: its current record,
// and round-robin the next one (which becomes current), on the block data
// port. No record while the store is not open.
class CongfigDataServerSource : public DataServerSource {
 public:
  explicit CongfigDataServerSource(CCongfig& config, uint16_t port = kBlockDataPort)
      : config_(config), port_(port) {}
  bool Current(DataServerRecord& out) override;
  bool Next(DataServerRecord& out) override;

 private:
  bool Take(int found, const ServerRecord& record, DataServerRecord& out) const;
  CCongfig& config_;
  uint16_t port_;
};

// The all-stocks refresh (a worker-thread body; param: the globals): asks
// for the records of every security of the stock table (empty handler) and
// queues two socket items per security, the first with the bars to catch
// up on from its cache, the second with the kind word 0x8314. An empty
// table does nothing. 0.
constexpr uint32_t kAllStocksSeriesType = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(0x8920)));
constexpr uint16_t kAllStocksSecondKind = 0x8314;
constexpr uint16_t kAllStocksDefaultCount = 3480;
UINT RefreshAllStocks(void* globals);

}  // namespace kiv
