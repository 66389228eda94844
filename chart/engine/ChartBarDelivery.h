// How a new series reaches its chart, from the market-data I/O thread (the
// bar-reply handler) or from the chart's loading thread (the HTTP loaders).
//
// Neither touches the chart: each holds the chart's handle and liveness
// reference by value, decodes on its own thread without any lock of the
// chart, and posts the series with WM_KIV_SERIES_READY. The series belongs
// to the chart from the moment it is posted. A series that never reaches the
// chart (its model is gone, the post fails, or the message is dropped with a
// window destroyed meanwhile) is saved to its cache file and freed, so the
// bars fetched are kept for the next time the stock is shown.
#pragma once

#include <memory>
#include <string>

#include "data/IpConfigTable.h"
#include "data/KLineSeries.h"
#include "data/StockTable.h"
#include "net/ConnectionManager.h"
#include "platform/post/Posting.h"
#include "platform/post/WindowRef.h"
#include "requests/ChartBarRequests.h"

namespace kiv {

// Posts the series to the chart, or saves and frees it.
void DeliverSeries(HWND chart, const WindowRef& life, std::unique_ptr<CKLineSeries> series);

// A new series of `stock` and `type` starting from its cached bars, named
// from the stock table when the stock is listed there.
std::unique_ptr<CKLineSeries> NewCachedSeries(StockId stock, uint32_t type, CKivStockTable* stocks);

// The chart's bar-reply handler: decodes a bar reply into a new series
// (cached bars first) and delivers it. False for a reply without container
// 100010054; true for every other reply, other data types included.
PacketHandler MakeBarReplyHandler(HWND chart, WindowRef life, CKivStockTable* stocks);

// The chart's HTTP loaders, run on its loading thread. Each builds its URL
// from the host of its IPConfig.CSV key and the job's values, fetches it,
// decodes the reply into a new series and delivers it. A failed fetch, a
// reply of the hour or minute loader containing "error", a market-50 reply
// whose "stockId" is below 1 or a period the loader does not serve produce
// no series and no message: the next poll asks again.
//
// The loading thread is not joined and may outlive the chart, while the
// host and stock tables are only promised to outlive the chart: the loaders
// read them only while the chart's liveness reference holds. A loader whose
// chart is gone before it starts fetches nothing; one whose chart goes
// during the fetch keeps the cached name and saves the series.
class ChartHttpLoaders : public KLineLoaders {
 public:
  ChartHttpLoaders(CIpConfigTable* hosts, CKivStockTable* stocks) : hosts_(hosts), stocks_(stocks) {}

  void LoadFuturesBarsHttp(const KLineLoadJob& job) override;
  void LoadMinuteBarsHttp(const KLineLoadJob& job) override;
  void LoadHourBarsHttp(const KLineLoadJob& job) override;

  // The URLs the loaders fetch.
  static std::string HourUrl(const std::string& host, StockId stock, int32_t count);
  static std::string MinuteUrl(const std::string& host, StockId stock, int32_t count);
  static std::string FuturesUrl(const std::string& host, StockId stock, int32_t count);

 private:
  CIpConfigTable* hosts_;
  CKivStockTable* stocks_;
};

}  // namespace kiv
