#include "chart/engine/ChartBarDelivery.h"

#include <cstdio>
#include <functional>

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

// The loading thread may outlive its chart, and the tables the loaders read
// are only promised to outlive the chart: they are read while the chart
// lives (its destructor revokes the reference first and waits for a read
// under way). False once the chart is gone.
bool ReadWhileChartLives(const KLineLoadJob& job, const std::function<void()>& read) {
  return job.life.RunIfAlive(read);
}

// The loader's host from the chart's table; empty once the chart is gone.
std::string LoaderHost(const KLineLoadJob& job, CIpConfigTable* hosts,
                       void (CIpConfigTable::*get)(std::string&) const) {
  std::string host;
  ReadWhileChartLives(job, [&] {
    if (hosts) (hosts->*get)(host);
  });
  return host;
}

// A fetched series named from the stock table while the chart lives; a
// series whose chart went meanwhile keeps the name of its cache file.
std::unique_ptr<CKLineSeries> NewLoadedSeries(const KLineLoadJob& job, uint32_t type, CKivStockTable* stocks) {
  std::unique_ptr<CKLineSeries> series = NewCachedSeries(job.stock, type, nullptr);
  StockRecord record;
  bool found = false;
  ReadWhileChartLives(job, [&] { found = stocks && stocks->Find(job.stock, record); });
  if (found) SetSeriesName(series.get(), record.name);
  return series;
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
  const std::string host = LoaderHost(job, hosts_, &CIpConfigTable::GetHourBSIp);
  std::string body;
  if (host.empty() || !Fetch(HourUrl(host, job.stock, job.count), body)) return;
  std::unique_ptr<CKLineSeries> series = NewLoadedSeries(job, kDataTypeHour, stocks_);
  if (!DecodeHourBarsJson(body, series.get())) return;
  DeliverSeries(job.hwnd, job.life, std::move(series));
}

void ChartHttpLoaders::LoadMinuteBarsHttp(const KLineLoadJob& job) {
  const std::string host = LoaderHost(job, hosts_, &CIpConfigTable::GetMinute1BSIp);
  std::string body;
  if (host.empty() || !Fetch(MinuteUrl(host, job.stock, job.count), body)) return;
  std::unique_ptr<CKLineSeries> series = NewLoadedSeries(job, kDataTypeMin1, stocks_);
  if (!DecodeMinuteBarsJson(body, series.get())) return;
  DeliverSeries(job.hwnd, job.life, std::move(series));
}

void ChartHttpLoaders::LoadFuturesBarsHttp(const KLineLoadJob& job) {
  if (!IsBarDataType(job.period)) return;
  const std::string host = LoaderHost(job, hosts_, &CIpConfigTable::GetOptionIp);
  std::string body;
  if (host.empty() || !Fetch(FuturesUrl(host, job.stock, job.count), body)) return;
  std::unique_ptr<CKLineSeries> series = NewCachedSeries(job.stock, job.period, nullptr);
  std::string name;
  if (!DecodeFuturesBarsJson(body, series.get(), &name)) return;
  SetSeriesName(series.get(), name);
  DeliverSeries(job.hwnd, job.life, std::move(series));
}

}  // namespace kiv
