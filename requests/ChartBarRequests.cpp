#include "requests/ChartBarRequests.h"

#include <algorithm>

#include "net/KivMessages.h"
#include "net/NetService.h"
#include "platform/sys/Clock.h"

namespace kiv {

bool CatchUpBarCount(DataType period, int64_t nowSeconds, int64_t lastBarSeconds, int32_t& count) {
  const int64_t days = (nowSeconds - lastBarSeconds) / 86400;
  int64_t wanted;
  switch (period) {
    case DT_KLINE_DAY: wanted = days + 5; break;
    case DT_KLINE_MIN5: wanted = (days + 1) * 48; break;
    case DT_KLINE_MIN15: wanted = (days + 1) * 16; break;
    case DT_KLINE_MIN30: wanted = (days + 1) * 8; break;
    case DT_KLINE_HOUR: wanted = days * 4 + 5; break;
    case DT_KLINE_WEEK: wanted = days / 5 + 5; break;
    case DT_KLINE_MONTH: wanted = days / 20 + 5; break;
    case DT_KLINE_MIN1: wanted = (days + 1) * 240; break;
    default: return false;
  }
  count = static_cast<int32_t>(std::clamp<int64_t>(wanted, kMinBarCount, kMaxBarCount));
  return true;
}

bool ChooseBarCount(const BarRequestState& state, int64_t nowSeconds, int32_t& count) {
  bool catchUp;
  int32_t otherwise = kMaxBarCount;
  if (state.requestMode == 1) {
    catchUp = state.barCount > 100;
  } else if (state.requestMode == 0) {
    catchUp = state.barCount > 0;
    otherwise = kFirstEmptyCacheBarCount;
  } else {
    catchUp = state.barCount > 0;
  }
  int32_t caught = 0;
  // A period without a count rule ends the request whatever the cache holds.
  if (!CatchUpBarCount(state.period, nowSeconds, state.barCount > 0 ? state.lastBarTime : nowSeconds, caught))
    return false;
  count = catchUp ? caught : otherwise;
  return true;
}

UINT KLineRequestThread(void* param) {
  std::unique_ptr<KLineLoadJobTask> task(static_cast<KLineLoadJobTask*>(param));
  if (!task || !task->loaders) return 0;
  const KLineLoadJob& job = task->job;
  if (StockMarket(job.stock) == kFuturesMarket)
    task->loaders->LoadFuturesBarsHttp(job);
  else if (job.period == DT_KLINE_MIN1)
    task->loaders->LoadMinuteBarsHttp(job);
  else if (job.period == DT_KLINE_HOUR)
    task->loaders->LoadHourBarsHttp(job);
  return 0;
}

UINT StartKLineRequest(KLineBlockRequester* block, CNetService& service) {
  if (block == nullptr) return 0;
  const BarRequestState state = block->BarState();
  const int64_t now = CurrentClock().UnixTimeMs() / 1000;
  int32_t count = 0;
  if (!ChooseBarCount(state, now, count)) {
    if (HWND hwnd = block->BlockHwnd()) PostMessage(hwnd, WM_KIV_REQUEST_ENDED, 0, 0);
    return 0;
  }
  block->SetRequestedCount(count);
  const StockId stock = block->BlockStock();
  if (state.period == DT_KLINE_MIN1 || state.period == DT_KLINE_HOUR || StockMarket(stock) == kFuturesMarket) {
    auto task = std::make_unique<KLineLoadJobTask>();
    task->job = KLineLoadJob{stock, state.period, count, block->BlockHwnd(), block->Life()};
    task->loaders = block->Loaders();
    CWinThreadPtr thread = AfxBeginThread(KLineRequestThread, task.get());
    if (thread) task.release();  // the thread owns it now
    block->SetLoadingThread(std::move(thread));
    return 0;
  }
  service.RequestKLine(block->BarHandler(), state.period, stock, 0, count);
  return 0;
}

}  // namespace kiv
