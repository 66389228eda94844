// The chart's bar request: how many bars to ask for, judged from the age of
// the cached series, and whether they come by a network request or by the
// chart's own loading thread (1-minute and hour periods, market byte 50).
//
// The count is never below 5 nor above 20480: an old cache asks for the
// most the server gives rather than a count cut short that would leave a
// silent gap.
#pragma once

#include <cstdint>
#include <memory>

#include "net/ConnectionManager.h"
#include "net/DataTypes.h"
#include "net/StockId.h"
#include "platform/post/Posting.h"
#include "platform/post/WindowRef.h"
#include "platform/sys/Thread.h"

class CNetService;

namespace kiv {

constexpr int32_t kMaxBarCount = 20480;
constexpr int32_t kMinBarCount = 5;
constexpr int32_t kFirstEmptyCacheBarCount = 200;  // mode 0 with an empty cache
constexpr uint32_t kFuturesMarket = 50;

// Bars to catch up on for a period since the last cached bar, clamped to
// 5..20480; false for a period without a count rule.
bool CatchUpBarCount(DataType period, int64_t nowSeconds, int64_t lastBarSeconds, int32_t& count);

// What the chart block holds when it asks.
struct BarRequestState {
  int requestMode = 0;
  DataType period = 0;
  int64_t barCount = 0;      // bars in the cached series (0 without one)
  int64_t lastBarTime = 0;   // seconds; read only when barCount > 0
};

// The count to ask for; false for a period without a count rule.
bool ChooseBarCount(const BarRequestState& state, int64_t nowSeconds, int32_t& count);

// What a loading thread is given: values only, so that it never reads the
// chart after it started.
struct KLineLoadJob {
  StockId stock = 0;
  DataType period = 0;
  int32_t count = 0;
  HWND hwnd = nullptr;  // results go here by PostOwned, freed if the chart is gone
  WindowRef life;       // the chart, for loaders that must look again
};

// The chart engine's HTTP loaders (kept alive by the thread while it runs).
class KLineLoaders {
 public:
  virtual ~KLineLoaders() = default;
  virtual void LoadFuturesBarsHttp(const KLineLoadJob& job) = 0;
  virtual void LoadMinuteBarsHttp(const KLineLoadJob& job) = 0;
  virtual void LoadHourBarsHttp(const KLineLoadJob& job) = 0;
};

// The chart block as the bar request sees it.
class KLineBlockRequester {
 public:
  virtual ~KLineBlockRequester() = default;
  virtual HWND BlockHwnd() const = 0;
  virtual StockId BlockStock() const = 0;
  virtual BarRequestState BarState() const = 0;
  virtual void SetRequestedCount(int32_t count) = 0;
  // The bar-reply handler, bound to the block's liveness token (BindAlive).
  virtual PacketHandler BarHandler() = 0;
  virtual std::shared_ptr<KLineLoaders> Loaders() = 0;
  // The block's liveness reference (WindowRef::Of its handle, or its
  // Lifeline's), handed to the loading thread.
  virtual WindowRef Life() const = 0;
  // Keeps the loading thread (the block's slot).
  virtual void SetLoadingThread(CWinThreadPtr thread) = 0;
};

// Thread body: param is a heap KLineLoadJobTask, freed here.
struct KLineLoadJobTask {
  KLineLoadJob job;
  std::shared_ptr<KLineLoaders> loaders;
};
UINT KLineRequestThread(void* param);

// The bar request. 0 always; a period without a count rule posts
// WM_KIV_REQUEST_ENDED and stores nothing.
UINT StartKLineRequest(KLineBlockRequester* block, CNetService& service);

}  // namespace kiv
