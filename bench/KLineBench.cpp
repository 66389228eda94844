// Cost of the K-line series on a full day cache of 20,480 bars: saving and
// loading the cache file, merging a reply's bars into a series, and the
// moving averages over it. Each is set against the raw work on the same
// bytes (writing or reading the file's bytes as they are, copying the bars)
// and the ratios printed.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/CachePath.h"
#include "data/KLineCacheFile.h"
#include "data/KLineSeries.h"
#include "data/MovingAverage.h"
#include "platform/sys/AtomicFile.h"

namespace {

constexpr int kBars = 20480;
const StockId kStock = MakeStockId(600000, 1);

std::vector<KLineBar> ReplyBars() {
  std::vector<KLineBar> bars(kBars);
  for (int i = 0; i < kBars; ++i) {
    KLineBar& bar = bars[i];
    bar.time = 946710000LL + i * 86400LL;  // 15:00 Beijing on consecutive days
    bar.open = 10.0f + (i % 37) * 0.01f;
    bar.high = bar.open + 0.3f;
    bar.low = bar.open - 0.2f;
    bar.close = bar.open + 0.05f;
    bar.volume = 1e6f + i;
    bar.amount = 1e7f + i;
    bar.extra = 0;
  }
  return bars;
}

void FillSeries(CKLineSeries& series) {
  series.SetDataType(kiv::kDataTypeDay);
  series.SetStock(kStock);
  for (const KLineBar& bar : ReplyBars()) series.AddBar(bar, 1, 0.5f, 0.25f, 1);
}

std::string CacheFile() {
  StockId id = kStock;
  return kiv::CachePathOf(&id, kiv::kDataTypeDay);
}

void BM_KLineSave(benchmark::State& state) {
  CKLineSeries series;
  FillSeries(series);
  for (auto _ : state) benchmark::DoNotOptimize(series.SaveToFile());
  state.SetBytesProcessed(state.iterations() * int64_t(34 + 48 * kBars));
}
BENCHMARK(BM_KLineSave)->Unit(benchmark::kMicrosecond);

void BM_RawSave(benchmark::State& state) {
  CKLineSeries series;
  FillSeries(series);
  const std::string bytes = KLineCacheCodec::Encode(series);
  const std::string path = CacheFile() + ".raw";
  // The same bytes through the same temporary-file-and-rename path.
  for (auto _ : state) benchmark::DoNotOptimize(kiv::ReplaceFileAtomically(path, bytes, 0644));
  state.SetBytesProcessed(state.iterations() * int64_t(bytes.size()));
}
BENCHMARK(BM_RawSave)->Unit(benchmark::kMicrosecond);

void BM_KLineLoad(benchmark::State& state) {
  {
    CKLineSeries series;
    FillSeries(series);
    series.SaveToFile();
  }
  for (auto _ : state) {
    CKLineSeries series;
    series.SetDataType(kiv::kDataTypeDay);
    series.SetStock(kStock);
    benchmark::DoNotOptimize(series.LoadFromFile());
  }
  state.SetBytesProcessed(state.iterations() * int64_t(34 + 48 * kBars));
}
BENCHMARK(BM_KLineLoad)->Unit(benchmark::kMicrosecond);

void BM_RawLoad(benchmark::State& state) {
  {
    CKLineSeries series;
    FillSeries(series);
    series.SaveToFile();
  }
  const std::string path = CacheFile();
  for (auto _ : state) {
    std::string bytes;  // a fresh buffer, as every load needs one
    benchmark::DoNotOptimize(kiv::ReadWholeFile(path, &bytes));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t(34 + 48 * kBars));
}
BENCHMARK(BM_RawLoad)->Unit(benchmark::kMicrosecond);

void BM_KLineMerge(benchmark::State& state) {
  const std::vector<KLineBar> bars = ReplyBars();
  for (auto _ : state) {
    CKLineSeries series;
    series.SetDataType(kiv::kDataTypeDay);
    for (const KLineBar& bar : bars) series.AddBar(bar, 1, 0.5f, 0.25f, 1);
    benchmark::DoNotOptimize(series.GetCount());
  }
  state.SetItemsProcessed(state.iterations() * kBars);
}
BENCHMARK(BM_KLineMerge)->Unit(benchmark::kMicrosecond);

void BM_RawCopyBars(benchmark::State& state) {
  const std::vector<KLineBar> bars = ReplyBars();
  for (auto _ : state) {
    std::vector<KLineBar> copy(bars.size());
    std::memcpy(copy.data(), bars.data(), bars.size() * sizeof(KLineBar));
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBars);
}
BENCHMARK(BM_RawCopyBars)->Unit(benchmark::kMicrosecond);

void BM_MovingAverages(benchmark::State& state) {
  CKLineSeries series;
  FillSeries(series);
  CMovingAverageLine closes, volumes;
  for (auto _ : state) {
    closes.ComputeClose(&series, 20);
    volumes.ComputeVolume(&series, 5);
    benchmark::DoNotOptimize(closes.Values());
    benchmark::DoNotOptimize(volumes.Values());
  }
  state.SetItemsProcessed(state.iterations() * kBars);
}
BENCHMARK(BM_MovingAverages)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// Prints as usual and keeps each benchmark's real time per iteration.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        nanoseconds_[run.run_name.function_name] =
            run.real_accumulated_time / static_cast<double>(run.iterations) * 1e9;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Nanoseconds(const std::string& name) const {
    auto it = nanoseconds_.find(name);
    return it == nanoseconds_.end() ? 0.0 : it->second;
  }

 private:
  std::map<std::string, double> nanoseconds_;
};

void PrintRatio(const CollectingReporter& reporter, const char* what, const char* measured,
                const char* raw) {
  const double a = reporter.Nanoseconds(measured);
  const double b = reporter.Nanoseconds(raw);
  if (a > 0 && b > 0) std::printf("%s: %.1f\n", what, a / b);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // A scratch data folder of its own, removed afterwards.
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp ? tmp : "/tmp") + "/kline-bench-XXXXXX";
  if (!::mkdtemp(&folder[0])) return 1;
  kiv::SetDataFolder(folder + "/Data");

  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintRatio(reporter, "K-line save / raw atomic write ratio", "BM_KLineSave", "BM_RawSave");
  PrintRatio(reporter, "K-line load / raw read ratio", "BM_KLineLoad", "BM_RawLoad");
  PrintRatio(reporter, "K-line merge of 20480 bars / raw copy ratio", "BM_KLineMerge",
             "BM_RawCopyBars");
  PrintRatio(reporter, "moving averages (20 closes, 5 volumes) / raw copy ratio",
             "BM_MovingAverages", "BM_RawCopyBars");
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
