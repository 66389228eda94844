// Request procedures: the glue between a data window and its request
// sender. Each reads what the request needs from its window (through the
// interfaces of RequestWindows.h), takes the window's reply handler and
// calls the sender on the network service; the insider-change list's modes
// 1 to 3 run data's HTTP fetches instead.
//
// Procedures marked "window check" do nothing but close the window's
// blocking socket when the window has lost its handle. Results are those of
// the worker-thread shape: 0, or kProcedureFailed when the window was told
// WM_KIV_REQUEST_FAILED.
//
// Threads: called on the UI thread, except the two with *Thread bodies,
// which hold the window's liveness reference while they read it.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "net/KivNetPack.h"
#include "platform/post/WindowRef.h"
#include "requests/RequestWindows.h"

class CNetService;

namespace kiv {

constexpr UINT kProcedureFailed = static_cast<UINT>(-1);

// Where the insider-change list's fetches go (modes 1 to 3, data's worker
// fetches): the configuration store's auxiliary server (empty when it has
// none: that fetch then fails) and the web service, each host or host:port.
struct ShortExHosts {
  std::string auxHost;
  std::string webHost;
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
// Mode 0 the network list; 1 the insider changes of the 60 days up to now
// (FetchRecentHolderChanges), 2 the institutional holding changes, 3 the
// public deal information, each fetched on the calling thread; others
// nothing. Window check.
UINT RefreshShortExList(KindListWindow* w, CNetService& service, const ShortExHosts& hosts, std::time_t now);
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
  WindowRef life;  // WindowRef::Of(the window's handle)
  CNetService* service = nullptr;
};
UINT RequestBigVolumeThread(void* param);
UINT RequestStockMarketInfoThread(void* param);

}  // namespace kiv
