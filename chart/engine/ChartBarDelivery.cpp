#include "chart/engine/ChartBarDelivery.h"

#include <cstdio>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/ChartIds.h"
#include "data/CachePath.h"
#include "data/HttpClient.h"

namespace kiv {

namespace {

// The fate of a series that did not reach its chart: kept in the cache.
void SaveAndFreeSeries(WPARAM payload) {
  std::unique_ptr<CKLineSeries> series(reinterpret_cast<CKLineSeries*>(payload));
  if (series) series->SaveToFile();
}

}  // namespace

void DeliverSeries(HWND chart, const WindowRef& life, std::unique_ptr<CKLineSeries> series) {
  if (!series) return;
  CKLineSeries* raw = series.get();
  if (life.IsAlive() &&
      PostOwnedMessage(chart, WM_KIV_SERIES_READY, reinterpret_cast<WPARAM>(raw), 0, &SaveAndFreeSeries)) {
    series.release();  // the queue, then the chart, owns it now
    return;
  }
  SaveAndFreeSeries(reinterpret_cast<WPARAM>(series.release()));
}

std::unique_ptr<CKLineSeries> NewCachedSeries(StockId stock, uint32_t type, CKivStockTable* stocks) {
  auto series = std::make_unique<CKLineSeries>();
  series->SetDataType(type);
  series->SetStock(stock);
  if (!series->LoadFromFile()) {
    // Nothing cached (or a damaged file, now deleted): start empty, with
    // the identity the reply gives.
    series->Clear();
    series->SetDataType(type);
    series->SetStock(stock);
  }
  StockRecord record;
  if (stocks && stocks->Find(stock, record)) SetSeriesName(series.get(), record.name);
  return series;
}

PacketHandler MakeBarReplyHandler(HWND chart, WindowRef life, CKivStockTable* stocks) {
  return [chart, life, stocks](KivNetPack& reply, const uint32_t& type, const uint32_t&) {
    if (!IsBarDataType(type)) return true;
    StockId stock = 0;
    KivNetPack bars;
    if (!OpenBarReply(reply, stock, bars)) return false;
    if (stock == 0) return false;  // a reply that names no stock has no cache or chart
    std::unique_ptr<CKLineSeries> series = NewCachedSeries(stock, type, stocks);
    AddReplyBars(bars, type, series.get());
    DeliverSeries(chart, life, std::move(series));
    return true;
  };
}

namespace {

bool Fetch(const std::string& url, std::string& body) {
  DWORD error = 0;
  return HttpGet(url, body, error);
}

}  // namespace

std::string ChartHttpLoaders::HourUrl(const std::string& host, StockId stock, int32_t count) {
  char url[512];
  std::snprintf(url, sizeof(url), "http://%s/data&4354&%u&0&%d&", host.c_str(), stock, count);
  return url;
}

std::string ChartHttpLoaders::MinuteUrl(const std::string& host, StockId stock, int32_t count) {
  char url[512];
  std::snprintf(url, sizeof(url), "http://%s/data&8193&2&%u&0&%d&", host.c_str(), stock, count);
  return url;
}

std::string ChartHttpLoaders::FuturesUrl(const std::string& host, StockId stock, int32_t count) {
  char url[512];
  std::snprintf(url, sizeof(url), "http://%s/data&8208&%u&0&%d&", host.c_str(), StockCode(stock) + kHttpCodeOffset,
                count);
  return url;
}

void ChartHttpLoaders::LoadHourBarsHttp(const KLineLoadJob& job) {
  std::string host;
  if (hosts_) hosts_->GetHourBSIp(host);
  std::string body;
  if (host.empty() || !Fetch(HourUrl(host, job.stock, job.count), body)) return;
  std::unique_ptr<CKLineSeries> series = NewCachedSeries(job.stock, kDataTypeHour, stocks_);
  if (!DecodeHourBarsJson(body, series.get())) return;
  DeliverSeries(job.hwnd, job.life, std::move(series));
}

void ChartHttpLoaders::LoadMinuteBarsHttp(const KLineLoadJob& job) {
  std::string host;
  if (hosts_) hosts_->GetMinute1BSIp(host);
  std::string body;
  if (host.empty() || !Fetch(MinuteUrl(host, job.stock, job.count), body)) return;
  std::unique_ptr<CKLineSeries> series = NewCachedSeries(job.stock, kDataTypeMin1, stocks_);
  if (!DecodeMinuteBarsJson(body, series.get())) return;
  DeliverSeries(job.hwnd, job.life, std::move(series));
}

void ChartHttpLoaders::LoadFuturesBarsHttp(const KLineLoadJob& job) {
  if (!IsBarDataType(job.period)) return;
  std::string host;
  if (hosts_) hosts_->GetOptionIp(host);
  std::string body;
  if (host.empty() || !Fetch(FuturesUrl(host, job.stock, job.count), body)) return;
  std::unique_ptr<CKLineSeries> series = NewCachedSeries(job.stock, job.period, nullptr);
  std::string name;
  if (!DecodeFuturesBarsJson(body, series.get(), &name)) return;
  SetSeriesName(series.get(), name);
  DeliverSeries(job.hwnd, job.life, std::move(series));
}

}  // namespace kiv
