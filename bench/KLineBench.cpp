// Cost of the K-line series on a full day cache of 20,480 bars: saving and
// loading the cache file, merging a reply's bars into a series, and the
// moving averages over it. Each is set against the raw work on the same
// bytes (writing the file's bytes as they are, one read() of the whole file
// into a fresh buffer, copying the bars) and the ratios printed.
//
// Loading is measured twice: in this process, where the heap has the pages
// of the previous iteration at hand, and in a freshly forked child with a
// trimmed heap, where every page a load touches is new, as on the first
// stock switch after start-up. The anchor runs under the same conditions.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchDataFolder.h"
#include "bench/RatioReporter.h"
#include "data/CachePath.h"
#include "data/KLineCacheFile.h"
#include "data/KLineSeries.h"
#include "data/MovingAverage.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/Files.h"

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

void SaveDayCache() {
  CKLineSeries series;
  FillSeries(series);
  series.SaveToFile();
}

// One load of the day cache into a new series, as a stock switch does.
void LoadOnce() {
  CKLineSeries series;
  series.SetDataType(kiv::kDataTypeDay);
  series.SetStock(kStock);
  benchmark::DoNotOptimize(series.LoadFromFile());
  benchmark::DoNotOptimize(series.Bars());
}

// The anchor: the whole file in one read() into a fresh buffer of its size.
void ReadOnce(const std::string& native) {
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat info;
  if (::fstat(fd, &info) == 0) {
    std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(info.st_size)]);
    benchmark::DoNotOptimize(::read(fd, bytes.get(), static_cast<size_t>(info.st_size)));
    benchmark::DoNotOptimize(bytes.get());
    benchmark::ClobberMemory();
  }
  ::close(fd);
}

// Runs work once per iteration in a child forked from a trimmed heap, and
// takes the child's own time for it (fork and exit are not counted).
template <class Work>
void RunInFreshProcess(benchmark::State& state, Work work) {
  for (auto _ : state) {
    ::malloc_trim(0);
    int pipe[2];
    if (::pipe(pipe) != 0) {
      state.SkipWithError("pipe failed");
      return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(pipe[0]);
      const auto start = std::chrono::steady_clock::now();
      work();
      const double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      const ssize_t written = ::write(pipe[1], &seconds, sizeof seconds);
      ::_exit(written == sizeof seconds ? 0 : 1);
    }
    ::close(pipe[1]);
    double seconds = 0;
    const bool timed = child > 0 && ::read(pipe[0], &seconds, sizeof seconds) == sizeof seconds;
    ::close(pipe[0]);
    if (child > 0) ::waitpid(child, nullptr, 0);
    if (!timed) {
      state.SkipWithError("the child did not report");
      return;
    }
    state.SetIterationTime(seconds);
  }
  state.SetBytesProcessed(state.iterations() * int64_t(34 + 48 * kBars));
}

void BM_KLineLoad(benchmark::State& state) {
  SaveDayCache();
  for (auto _ : state) LoadOnce();
  state.SetBytesProcessed(state.iterations() * int64_t(34 + 48 * kBars));
}
BENCHMARK(BM_KLineLoad)->Unit(benchmark::kMicrosecond);

void BM_RawRead(benchmark::State& state) {
  SaveDayCache();
  const std::string native = kiv::NativePath(CacheFile());
  for (auto _ : state) ReadOnce(native);
  state.SetBytesProcessed(state.iterations() * int64_t(34 + 48 * kBars));
}
BENCHMARK(BM_RawRead)->Unit(benchmark::kMicrosecond);

void BM_KLineLoadFreshProcess(benchmark::State& state) {
  SaveDayCache();
  RunInFreshProcess(state, [] { LoadOnce(); });
}
BENCHMARK(BM_KLineLoadFreshProcess)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_RawReadFreshProcess(benchmark::State& state) {
  SaveDayCache();
  const std::string native = kiv::NativePath(CacheFile());
  RunInFreshProcess(state, [&native] { ReadOnce(native); });
}
BENCHMARK(BM_RawReadFreshProcess)->UseManualTime()->Unit(benchmark::kMicrosecond);

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

int main(int argc, char** argv) {
  BenchDataFolder folder("kline");
  if (!folder.Made()) return 1;
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    reporter.PrintRatio("K-line save / raw atomic write ratio", "BM_KLineSave", "BM_RawSave");
    reporter.PrintRatio("K-line load / one read() of the file ratio (warm heap)", "BM_KLineLoad", "BM_RawRead");
    reporter.PrintRatio("K-line load / one read() of the file ratio (fresh process)", "BM_KLineLoadFreshProcess",
                        "BM_RawReadFreshProcess");
    reporter.PrintRatio("K-line merge of 20480 bars / raw copy ratio", "BM_KLineMerge", "BM_RawCopyBars");
    reporter.PrintRatio("moving averages (20 closes, 5 volumes) / raw copy ratio", "BM_MovingAverages",
                        "BM_RawCopyBars");
  });
}
