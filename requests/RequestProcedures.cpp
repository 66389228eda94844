#include "requests/RequestProcedures.h"

#include <memory>

#include "data/WorkerFetches.h"
#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/KivMessages.h"
#include "net/NetService.h"

namespace kiv {

namespace {

// The window check: a window without a handle only has its socket closed.
bool WindowGone(RequestWindow* w) {
  if (w->WindowHandle() != nullptr && IsWindow(w->WindowHandle())) return false;
  CloseBlockingSocket(w->BlockingSocket());
  return true;
}

UINT Failed(RequestWindow* w) {
  CloseBlockingSocket(w->BlockingSocket());
  PostMessage(w->WindowHandle(), WM_KIV_REQUEST_FAILED, 0, 0);
  return kProcedureFailed;
}

UINT FinanceOf(StockWindow* w, CNetService& service) {
  if (w == nullptr) return 0;
  service.RequestFinance(w->ReplyHandler(), 0, 512, 0, w->CurrentStock());
  return 0;
}

}  // namespace

UINT SendLoginUserId(CNetService& service, int32_t userId) {
  service.SendUserId(PacketHandler(), userId);
  return 0;
}

UINT RequestAnalysisPerson(StockWindow* w, CNetService& service) {
  if (w == nullptr) return 0;
  return service.RequestStockAnalysis(w->ReplyHandler(), w->CurrentStock()) ? 1 : 0;
}

UINT RequestTickData(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestTicks(w->ReplyHandler(), w->CurrentStock());
  return 0;
}

UINT RequestOwnStockQuotes(OwnStockGridWindow* w, CNetService& service) {
  if (w == nullptr) return 0;
  CKivRWLock& lock = w->GridLock();
  lock.Lock(CKivRWLock::kWrite, -1);
  const int rows = w->RowCount();
  const OwnStockRow* array = w->Rows();
  if (rows > 0 && array != nullptr) {
    KivNetPack pack;
    for (int i = 0; i < rows; ++i) {
      pack.SetInt32(static_cast<int32_t>(array[i].stock), FIELD_STOCK_ID, i);
      pack.SetInt32(array[i].date, FIELD_ROW_DATE, i);
    }
    service.RequestOwnStocks(w->ReplyHandler(), 0, rows, pack);
    lock.Unlock();
    return 0;
  }
  lock.Unlock();
  CloseBlockingSocket(w->BlockingSocket());
  PostMessage(w->WindowHandle(), WM_KIV_REQUEST_ENDED, 0, 0);
  return 0;
}

UINT RequestToolbarQuotes(TickerWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestIndexQuotes(w->ReplyHandler(), w->IndexIds());
  return 0;
}

UINT RequestPoolList(KindListWindow* w, CNetService& service) {
  if (w == nullptr) return 0;
  DataType type;
  int32_t selector;
  switch (w->ListKind()) {
    case 0: type = 20000006; selector = 100; break;
    case 1: type = 20000026; selector = 1; break;
    case 2: type = 20000027; selector = 100; break;
    case 3: type = 20000026; selector = 3; break;
    case 5: type = 20000025; selector = 0; break;
    default: return Failed(w);
  }
  service.RequestPool(w->ReplyHandler(), type, 0, 600, selector);
  return 0;
}

UINT RequestIncomeRateList(KindListWindow* w, CNetService& service) {
  if (w == nullptr) return 0;
  const int32_t mode = w->ListKind();
  if (mode < 0 || mode > 2) return Failed(w);
  service.RequestIncomeRate(w->ReplyHandler(), 0, 2000, 2 - mode);
  return 0;
}

UINT RequestF10Quote(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestQuote(w->ReplyHandler(), w->CurrentStock());
  return 0;
}

UINT RequestBS5Quote(StockWindow* w, CNetService& service) { return RequestF10Quote(w, service); }

UINT RequestBS20Data(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestBS20(w->ReplyHandler(), 0, 20, 0, w->CurrentStock());
  return 0;
}

UINT RequestShortFairyData(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestShortFairy(w->ReplyHandler(), 0, 0, 0, w->CurrentStock());
  return 0;
}

UINT RequestRiseList(KindListWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestRise(w->ReplyHandler(), static_cast<int16_t>(w->ListKind()));
  return 0;
}

UINT RequestShortExListData(RequestWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestShortExList(w->ReplyHandler(), 0, 50);
  return 0;
}

UINT RefreshShortExList(KindListWindow* w, CNetService& service, const ShortExHosts& hosts, std::time_t now) {
  if (w == nullptr || WindowGone(w)) return 0;
  const HWND hwnd = w->WindowHandle();
  int fetched;
  switch (w->ListKind()) {
    case 0: return RequestShortExListData(w, service);
    case 1: fetched = FetchRecentHolderChanges(hwnd, hosts.auxHost, now); break;
    case 2: fetched = FetchJgHoldChanges(hwnd, hosts.webHost); break;
    case 3: fetched = FetchDealPublicInfo(hwnd, hosts.webHost); break;
    default: return 0;
  }
  return fetched == 0 ? 0 : Failed(w);
}

UINT RequestGenreList(KindListWindow* w, CNetService& service) {
  if (w == nullptr || WindowGone(w)) return 0;
  service.RequestGenre(w->ReplyHandler(), 0, 200, static_cast<int16_t>(w->ListKind()));
  return 0;
}

UINT RequestJiePanData(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestJiePan(w->ReplyHandler(), w->CurrentStock());
  return 0;
}

UINT RequestRobotIncomeData(RequestWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestRobotIncome(w->ReplyHandler(), 0, 200, 0);
  return 0;
}

UINT RequestKLineRobotData(RequestWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestKLineRobot(w->ReplyHandler(), 0, 10000, 0, static_cast<StockId>(10000));
  return 0;
}

UINT RequestHoldUpData(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestRobotHold(w->ReplyHandler(), w->CurrentStock(), 0, 10000, 0);
  return 0;
}

UINT RequestKLineIndustry(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestStockIndustry(w->ReplyHandler(), w->CurrentStock(), 0, 200);
  return 0;
}

UINT RequestKLineIndustryLocked(LockedStockWindow* w, CNetService& service) {
  if (w == nullptr) return 0;
  CKivRWLock& lock = w->ViewLock();
  lock.Lock(CKivRWLock::kRead, -1);
  service.RequestStockIndustry(w->ReplyHandler(), w->CurrentStock(), 0, 200);
  lock.Unlock();
  return 0;
}

UINT RequestRobotWindowData(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestRobotPerInfo(w->ReplyHandler(), w->CurrentStock(), 0, 10000, 0);
  return 0;
}

UINT RequestRobotPerInfoData(StockWindow* w, CNetService& service) { return RequestRobotWindowData(w, service); }

UINT RequestBigVolumeData(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestBigVolume(w->ReplyHandler(), w->CurrentStock());
  return 0;
}

UINT RequestNetFlowData(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestNetFlow(w->ReplyHandler(), w->CurrentStock());
  return 0;
}

UINT RequestFinaAnlyData(StockWindow* w, CNetService& service) { return FinanceOf(w, service); }
UINT RequestIntervalData(StockWindow* w, CNetService& service) { return FinanceOf(w, service); }
UINT RequestStockInfoData(StockWindow* w, CNetService& service) { return FinanceOf(w, service); }
UINT RequestStockInfoSmallData(StockWindow* w, CNetService& service) { return FinanceOf(w, service); }

UINT RequestValueList(RequestWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestValue(w->ReplyHandler(), 0, 10000, 0);
  return 0;
}

UINT RequestValueListByType(KindListWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestValueByType(w->ReplyHandler(), w->ListKind(), 0, 10000, 5);
  return 0;
}

UINT RefreshValueList(KindListWindow* w, CNetService& service) {
  if (w == nullptr) return 0;
  const int32_t type = w->ListKind();
  return type == 20000046 || type == 20000047 ? RequestValueListByType(w, service) : RequestValueList(w, service);
}

UINT RequestZhuliList(FlowListWindow* w, CNetService& service) {
  if (w == nullptr || WindowGone(w)) return 0;
  service.RequestZhuli(w->ReplyHandler(), w->Direction(), 512, w->PeriodSelector());
  return 0;
}

UINT RequestZhuliPoolList(KindListWindow* w, CNetService& service) {
  if (w == nullptr || WindowGone(w)) return 0;
  service.RequestPool(w->ReplyHandler(), static_cast<DataType>(w->ListKind()), 0, 512, 0);
  return 0;
}

UINT RequestStockMarketInfoData(StockWindow* w, CNetService& service) {
  if (w == nullptr || WindowGone(w)) return 0;
  service.RequestStockMarketInfo(w->ReplyHandler(), w->CurrentStock());
  return 0;
}

UINT RequestGXDData(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestGXD(w->ReplyHandler(), 0, 20, 0, w->CurrentStock());
  return 1;
}

UINT RequestGXDDataSecond(StockWindow* w, CNetService& service) {
  if (w != nullptr) service.RequestGXD(w->ReplyHandler(), -1, 20, -1, w->CurrentStock());
  return 1;
}

UINT RefreshGXD(StockWindow* w, CNetService& service) {
  if (w == nullptr || WindowGone(w)) return 0;
  if (RequestGXDData(w, service) != 0) RequestGXDDataSecond(w, service);
  return 0;
}

UINT RequestKLineBlockData(StockWindow* w, CNetService& service) {
  if (w == nullptr || WindowGone(w)) return 0;
  service.RequestKLineInfo(w->ReplyHandler(), w->CurrentStock());
  return 0;
}

UINT RequestMarkRiskData(RequestWindow* w, CNetService& service) {
  if (w == nullptr || WindowGone(w)) return 0;
  service.RequestMarketRisk(w->ReplyHandler());
  return 0;
}

UINT RequestGStockList(RequestWindow* w) {
  if (w != nullptr) WindowGone(w);
  return 0;
}

namespace {

UINT RunStockJob(void* param, UINT (*procedure)(StockWindow*, CNetService&)) {
  std::unique_ptr<StockWindowJob> job(static_cast<StockWindowJob*>(param));
  if (!job || job->service == nullptr) return 0;
  UINT result = 0;
  job->life.RunIfAlive([&] { result = procedure(job->window, *job->service); });
  return result;
}

}  // namespace

UINT RequestBigVolumeThread(void* param) { return RunStockJob(param, &RequestBigVolumeData); }
UINT RequestStockMarketInfoThread(void* param) { return RunStockJob(param, &RequestStockMarketInfoData); }

}  // namespace kiv
