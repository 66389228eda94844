// Cost of a series arriving at the chart: the reply decoded (on top of the
// cached bars), merged, adjusted, its signals and lines computed and the
// cache written as the chart writes it. Cold: 20,480 rows into an empty
// chart; warm: 5 new bars polled every 5 s into a chart of 20,480 bars.
// Anchors doing the same raw work in the same run: the same rows decoded
// into a plain array, and the same bytes written and renamed. The bytes the
// chart writes per warm poll are printed.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchDataFolder.h"
#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/ChartBarDelivery.h"
#include "chart/engine/ChartIds.h"
#include "chart/engine/ChartModel.h"
#include "data/CachePath.h"
#include "data/KLineCacheFile.h"
#include "net/FieldIds.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/Files.h"

namespace {

constexpr int kRows = 20480;
const StockId kStock = MakeStockId(600000, 1);
constexpr int64_t kFirst = 1000000000 - 1000000000 % 86400 + 7 * 3600;  // 15:00 Beijing

// A host without a window: the benchmark hands the model its series directly.
class BenchHost : public kiv::ChartModelHost {
 public:
  HWND ChartHwnd() const override { return nullptr; }
  BOOL PostToChart(UINT, WPARAM, LPARAM) override { return FALSE; }
  LRESULT SendToParent(UINT, WPARAM, LPARAM) override { return 0; }
  void SetTimer(UINT, UINT) override {}
  void KillTimer(UINT) override {}
  CWinThreadPtr StartWorker(AFX_THREADPROC, void*) override { return nullptr; }
  int64_t Now() const override { return now; }
  void Invalidate() override {}
  int64_t now = 2000000000;
};

// A bar reply of `count` day rows starting at day `from`.
KivNetPack Reply(int from, int count) {
  KivNetPack rows;
  for (int i = 0; i < count; ++i) {
    const int d = from + i;
    const int32_t close = 100000 + (d * 37 % 2000);
    rows.SetInt64(kFirst + int64_t(d) * 86400, kiv::FIELD_BAR_TIME, i);
    rows.SetInt32(close - 500, kiv::FIELD_BAR_OPEN, i);
    rows.SetInt32(close + 900, kiv::FIELD_BAR_HIGH, i);
    rows.SetInt32(close - 900, kiv::FIELD_BAR_LOW, i);
    rows.SetInt32(close, kiv::FIELD_BAR_CLOSE, i);
    rows.SetInt64(100000 + d, kiv::FIELD_BAR_VOLUME, i);
    rows.SetInt64(10000000 + d, kiv::FIELD_BAR_AMOUNT, i);
    rows.SetInt32(d % 4 + 1, kiv::FIELD_BAR_SIGNAL, i);
    rows.SetInt64(5000000, kiv::FIELD_BAR_FLOW_IN, i);
    rows.SetInt64(4000000, kiv::FIELD_BAR_FLOW_OUT, i);
  }
  KivNetPack group;
  group.SetInt32(static_cast<int32_t>(kStock), FIELD_STOCK_ID, 0);
  group.SetPack(rows, kiv::GROUP_KLINE_BARS, 0);
  KivNetPack reply;
  reply.SetPack(group, kiv::GROUP_KLINE_REPLY, 0);
  return reply;
}

// What the bar-reply handler does on the I/O thread, then the arrival.
void Arrive(kiv::ChartModel& model, const std::string& bytes) {
  KivNetPack reply;
  reply.LoadFromString(bytes);
  StockId stock = 0;
  KivNetPack bars;
  kiv::OpenBarReply(reply, stock, bars);
  std::unique_ptr<CKLineSeries> series = kiv::NewCachedSeries(stock, kiv::kDataTypeDay, nullptr);
  kiv::AddReplyBars(bars, kiv::kDataTypeDay, series.get());
  model.OnSeriesReady(reinterpret_cast<WPARAM>(series.release()), 0);
}

std::string Serialised(const KivNetPack& pack) {
  std::string bytes;
  pack.GetAllPackData(bytes);
  return bytes;
}

void RemoveCache() {
  StockId id = kStock;
  ::unlink(kiv::NativePath(kiv::CachePathOf(&id, kiv::kDataTypeDay)).c_str());
}

void BM_ArrivalCold(benchmark::State& state) {
  const std::string bytes = Serialised(Reply(0, kRows));
  BenchHost host;
  kiv::ChartModel model(host, kiv::ChartServices{});
  for (auto _ : state) {
    state.PauseTiming();
    RemoveCache();
    StockId id = kStock;
    model.SetStock(&id, kiv::kDataTypeDay);
    state.ResumeTiming();
    Arrive(model, bytes);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ArrivalCold)->Unit(benchmark::kMillisecond);

uint64_t g_warmPolls = 0;
uint64_t g_warmBytes = 0;

void BM_ArrivalWarm(benchmark::State& state) {
  BenchHost host;
  kiv::ChartModel model(host, kiv::ChartServices{});
  RemoveCache();
  StockId id = kStock;
  model.SetStock(&id, kiv::kDataTypeDay);
  Arrive(model, Serialised(Reply(0, kRows)));
  const uint64_t bytesBefore = model.BytesSaved();
  int next = kRows;
  uint64_t polls = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string bytes = Serialised(Reply(next - 1, 6));  // 5 new bars after the last one
    next += 5;
    host.now += 5;  // a poll every 5 s
    state.ResumeTiming();
    Arrive(model, bytes);
    ++polls;
  }
  g_warmPolls += polls;
  g_warmBytes += model.BytesSaved() - bytesBefore;
  state.SetItemsProcessed(state.iterations() * 5);
}
BENCHMARK(BM_ArrivalWarm)->Unit(benchmark::kMillisecond);

// Anchors: the rows into a plain array, and the bytes written and renamed.
void DecodePlain(const std::string& bytes, std::vector<KLineBar>& out) {
  KivNetPack reply;
  reply.LoadFromString(bytes);
  KivNetPack group, rows;
  reply.GetPack(group, kiv::GROUP_KLINE_REPLY, 0);
  group.GetPack(rows, kiv::GROUP_KLINE_BARS, 0);
  out.resize(rows.GetRecordCount());
  for (int32_t i = 0; i < int32_t(out.size()); ++i) {
    KLineBar& bar = out[i];
    bar.time = rows.GetTime64(kiv::FIELD_BAR_TIME, i);
    bar.open = rows.GetInt32(kiv::FIELD_BAR_OPEN, i) / 10000.0f;
    bar.high = rows.GetInt32(kiv::FIELD_BAR_HIGH, i) / 10000.0f;
    bar.low = rows.GetInt32(kiv::FIELD_BAR_LOW, i) / 10000.0f;
    bar.close = rows.GetInt32(kiv::FIELD_BAR_CLOSE, i) / 10000.0f;
    bar.volume = float(rows.GetInt64(kiv::FIELD_BAR_VOLUME, i));
    bar.amount = float(rows.GetInt64(kiv::FIELD_BAR_AMOUNT, i));
  }
}

void AnchorRows(benchmark::State& state, int count) {
  const std::string bytes = Serialised(Reply(0, count));
  std::vector<KLineBar> bars;
  for (auto _ : state) {
    DecodePlain(bytes, bars);
    benchmark::DoNotOptimize(bars.data());
  }
}
void BM_AnchorDecodeCold(benchmark::State& state) { AnchorRows(state, kRows); }
void BM_AnchorDecodeWarm(benchmark::State& state) { AnchorRows(state, 6); }
BENCHMARK(BM_AnchorDecodeCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnchorDecodeWarm)->Unit(benchmark::kMillisecond);

void BM_AnchorWriteRename(benchmark::State& state) {
  CKLineSeries series;
  series.SetStock(kStock);
  series.SetDataType(kiv::kDataTypeDay);
  std::vector<KLineBar> bars;
  DecodePlain(Serialised(Reply(0, kRows)), bars);
  for (const KLineBar& bar : bars) series.AddBar(bar, 1, 0, 0, 1);
  const std::string bytes = KLineCacheCodec::Encode(series);
  StockId id = kStock;
  const std::string path = kiv::NativePath(kiv::CachePathOf(&id, kiv::kDataTypeDay)) + ".anchor";
  for (auto _ : state) benchmark::DoNotOptimize(kiv::ReplaceFileAtomically(path, bytes, 0644));
  state.SetBytesProcessed(state.iterations() * int64_t(bytes.size()));
}
BENCHMARK(BM_AnchorWriteRename)->Unit(benchmark::kMillisecond);

class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        ns_[run.run_name.function_name] = run.real_accumulated_time / double(run.iterations) * 1e9;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Ns(const std::string& name) const {
    auto it = ns_.find(name);
    return it == ns_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> ns_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  BenchDataFolder folder("chartarrival");
  if (!folder.Made()) return 1;
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double write = reporter.Ns("BM_AnchorWriteRename");
  const double cold = reporter.Ns("BM_ArrivalCold"), coldAnchor = reporter.Ns("BM_AnchorDecodeCold") + write;
  const double warm = reporter.Ns("BM_ArrivalWarm"), warmAnchor = reporter.Ns("BM_AnchorDecodeWarm") + write;
  if (cold > 0 && coldAnchor > 0) std::printf("cold arrival (20480 rows) / plain decode + write and rename ratio: %.1f\n", cold / coldAnchor);
  if (warm > 0 && warmAnchor > 0) std::printf("warm arrival (5 new bars) / plain decode + write and rename ratio: %.1f\n", warm / warmAnchor);
  if (g_warmPolls > 0) {
    std::printf("bytes written per warm poll: %.0f (a whole cache file is %d bytes)\n",
                double(g_warmBytes) / double(g_warmPolls), 34 + 48 * kRows);
  }
  return 0;
}
