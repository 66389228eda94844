// Request procedures: the glue between a data window and its request
// sender. Each reads what the request needs from its window, takes the
// window's reply handler and calls the sender on the network service.
//
// Windows offer the procedures the small interfaces below; they bind their
// reply handler through their WindowLifeline (BindAlive), so a reply that
// arrives after the window is gone is dropped. Procedures marked "window
// check" do nothing but close the window's blocking socket when the window
// has lost its handle. Results are those of the worker-thread shape: 0,
// or kProcedureFailed when the window was told WM_KIV_REQUEST_FAILED.
//
// Threads: called on the UI thread, except the two with *Thread bodies,
// which hold the window's liveness token while they read it.
#pragma once

#include <cstdint>
#include <functional>
#include <list>

#include "net/BlockingSocket.h"
#include "net/ConnectionManager.h"
#include "net/KivNetPack.h"
#include "net/KivRWLock.h"
#include "net/StockId.h"
#include "net/WindowLiveness.h"
#include "platform/core/WinUser.h"

class CNetService;

namespace kiv {

constexpr UINT kProcedureFailed = static_cast<UINT>(-1);

// What every data window offers.
class RequestWindow {
 public:
  virtual ~RequestWindow() = default;
  virtual HWND WindowHandle() const = 0;
  virtual CKivBlockingSocket& BlockingSocket() = 0;
  // The window's reply handler, bound through its lifeline.
  virtual PacketHandler ReplyHandler() = 0;
};

// Panes and dialogs that show one stock.
class StockWindow : public virtual RequestWindow {
 public:
  virtual StockId CurrentStock() const = 0;
};

// Lists with one kind word: pool kind, return-rate mode, market selector,
// sector kind, or the list's data type.
class KindListWindow : public virtual RequestWindow {
 public:
  virtual int32_t ListKind() const = 0;
};

// The main-force list: direction (negative: outflow) and period 0..3.
class FlowListWindow : public virtual RequestWindow {
 public:
  virtual int16_t Direction() const = 0;
  virtual int16_t PeriodSelector() const = 0;
};

// The stock view, whose lock is held in read mode around its request.
class LockedStockWindow : public StockWindow {
 public:
  virtual CKivRWLock& ViewLock() = 0;
};

// The compact watch-list grid.
struct OwnStockRow {
  StockId stock = 0;
  int32_t date = 0;  // YYYYMMDD
};
class OwnStockGridWindow : public virtual RequestWindow {
 public:
  virtual CKivRWLock& GridLock() = 0;
  // Rows to send (watched stocks and index rows), read under GridLock.
  virtual int RowCount() const = 0;
  virtual const OwnStockRow* Rows() const = 0;
};

// The index ticker: its four index records in order.
class TickerWindow : public virtual RequestWindow {
 public:
  virtual std::list<StockId> IndexIds() const = 0;
};

// The fetches that replace the insider-change list's request in modes 1-3
// (they post their own messages; non-zero is a failure).
struct ShortExFetches {
  std::function<int(HWND)> recentHolderChanges;
  std::function<int(HWND)> jgHoldChanges;
  std::function<int(HWND)> dealPublicInfo;
};

UINT SendLoginUserId(CNetService& service, int32_t userId);
UINT RequestAnalysisPerson(StockWindow* w, CNetService& service);
UINT RequestTickData(StockWindow* w, CNetService& service);
UINT RequestOwnStockQuotes(OwnStockGridWindow* w, CNetService& service);
UINT RequestToolbarQuotes(TickerWindow* w, CNetService& service);
UINT RequestPoolList(KindListWindow* w, CNetService& service);
UINT RequestIncomeRateList(KindListWindow* w, CNetService& service);
UINT RequestF10Quote(StockWindow* w, CNetService& service);
UINT RequestBS5Quote(StockWindow* w, CNetService& service);
UINT RequestBS20Data(StockWindow* w, CNetService& service);
UINT RequestShortFairyData(StockWindow* w, CNetService& service);
UINT RequestRiseList(KindListWindow* w, CNetService& service);
UINT RequestShortExListData(RequestWindow* w, CNetService& service);
// Mode 0 the network list; 1 to 3 the fetches; others nothing. Window check.
UINT RefreshShortExList(KindListWindow* w, CNetService& service, const ShortExFetches& fetches);
UINT RequestGenreList(KindListWindow* w, CNetService& service);
UINT RequestJiePanData(StockWindow* w, CNetService& service);
UINT RequestRobotIncomeData(RequestWindow* w, CNetService& service);
UINT RequestKLineRobotData(RequestWindow* w, CNetService& service);
UINT RequestHoldUpData(StockWindow* w, CNetService& service);
UINT RequestKLineIndustry(StockWindow* w, CNetService& service);
UINT RequestKLineIndustryLocked(LockedStockWindow* w, CNetService& service);
UINT RequestRobotWindowData(StockWindow* w, CNetService& service);
UINT RequestRobotPerInfoData(StockWindow* w, CNetService& service);
UINT RequestBigVolumeData(StockWindow* w, CNetService& service);
UINT RequestNetFlowData(StockWindow* w, CNetService& service);
UINT RequestFinaAnlyData(StockWindow* w, CNetService& service);
UINT RequestIntervalData(StockWindow* w, CNetService& service);
UINT RequestStockInfoData(StockWindow* w, CNetService& service);
UINT RequestStockInfoSmallData(StockWindow* w, CNetService& service);
UINT RequestValueList(RequestWindow* w, CNetService& service);
UINT RequestValueListByType(KindListWindow* w, CNetService& service);
UINT RefreshValueList(KindListWindow* w, CNetService& service);
UINT RequestZhuliList(FlowListWindow* w, CNetService& service);
UINT RequestZhuliPoolList(KindListWindow* w, CNetService& service);
UINT RequestStockMarketInfoData(StockWindow* w, CNetService& service);
UINT RequestGXDData(StockWindow* w, CNetService& service);
UINT RequestGXDDataSecond(StockWindow* w, CNetService& service);
UINT RefreshGXD(StockWindow* w, CNetService& service);
UINT RequestKLineBlockData(StockWindow* w, CNetService& service);
UINT RequestMarkRiskData(RequestWindow* w, CNetService& service);
UINT RequestGStockList(RequestWindow* w);

// Worker-thread bodies for the procedures that panes start as threads:
// param is a heap StockWindowJob, freed here; the procedure runs only while
// the window lives, and the window's destruction waits for it.
struct StockWindowJob {
  StockWindow* window = nullptr;
  WindowRef life;
  CNetService* service = nullptr;
};
UINT RequestBigVolumeThread(void* param);
UINT RequestStockMarketInfoThread(void* param);

}  // namespace kiv
