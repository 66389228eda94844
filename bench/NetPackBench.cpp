// Cost of the record-set codec on a reply of realistic shape: 10,000 rows of
// 12 fields (16-, 32- and 64-bit integers, texts and a small nested pack).
// The round trip (serialise, load, read every field of every row) is set
// against a plain copy of the same serialised bytes, and the ratio printed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "net/FieldIds.h"
#include "net/KivNetPack.h"

namespace {

constexpr int32_t kRows = 10000;

constexpr int32_t kFieldFirst16 = 200000009;
constexpr int32_t kFieldSecond16 = 200000013;
constexpr int32_t kFieldPrice = 300000037;  // price x 10000
constexpr int32_t kFieldVolume = 300000040;
constexpr int32_t kFieldAmount = 300000041;
constexpr int32_t kFieldTime = 400000001;   // seconds since 1970
constexpr int32_t kFieldValue64 = 500000001;
constexpr int32_t kFieldSector = 700000017;
constexpr int32_t kFieldLevels = 100010001;
constexpr int32_t kNameSize = 16;
constexpr int32_t kSectorSize = 14;

KivNetPack BuildLevels(int32_t seed) {
  KivNetPack levels;
  for (int32_t level = 0; level < 2; ++level) {
    levels.SetInt32(seed + level, kFieldPrice, level);
    levels.SetInt32(seed * 3 + level, kFieldVolume, level);
  }
  return levels;
}

KivNetPack BuildReply() {
  KivNetPack pack;
  char name[kNameSize];
  char sector[kSectorSize];
  for (int32_t row = 0; row < kRows; ++row) {
    std::memset(name, 0, sizeof name);
    std::memset(sector, 0, sizeof sector);
    std::snprintf(name, sizeof name, "stock%06d", row % 1000000);
    std::snprintf(sector, sizeof sector, "sector%d", row % 50);
    pack.SetInt32(0x01000000 + row, FIELD_STOCK_ID, row);
    pack.SetText(name, kNameSize, FIELD_STOCK_NAME, row);
    pack.SetInt16(static_cast<int16_t>(row % 7), kFieldFirst16, row);
    pack.SetInt16(static_cast<int16_t>(-row % 300), kFieldSecond16, row);
    pack.SetInt32(100000 + row, kFieldPrice, row);
    pack.SetInt32(row * 13, kFieldVolume, row);
    pack.SetInt32(row * 17, kFieldAmount, row);
    pack.SetInt64(1700000000 + int64_t{row} * 60, kFieldTime, row);
    pack.SetInt64(int64_t{row} << 33, kFieldValue64, row);
    pack.SetText(sector, kSectorSize, kFieldSector, row);
    pack.SetInt16(static_cast<int16_t>(row & 0x7FFF), FIELD_SELECTOR, row);
    pack.SetPack(BuildLevels(row), kFieldLevels, row);
  }
  return pack;
}

const KivNetPack& Reply() {
  static const KivNetPack reply = BuildReply();
  return reply;
}

std::string SerialisedReply() {
  std::string bytes;
  Reply().GetAllPackData(bytes);
  return bytes;
}

// Reads every field of every row as a reply handler would.
int64_t ReadAll(KivNetPack& pack) {
  int64_t sum = 0;
  char text[kNameSize + 1];
  KivNetPack levels;
  const int32_t rows = static_cast<int32_t>(pack.GetRecordCount());
  for (int32_t row = 0; row < rows; ++row) {
    sum += pack.GetInt32(FIELD_STOCK_ID, row);
    pack.GetText(text, sizeof text, FIELD_STOCK_NAME, row);
    sum += text[5];
    sum += pack.GetInt32(kFieldFirst16, row);
    sum += pack.GetInt32(kFieldSecond16, row);
    sum += pack.GetInt32(kFieldPrice, row);
    sum += pack.GetInt32(kFieldVolume, row);
    sum += pack.GetInt32(kFieldAmount, row);
    sum += pack.GetTime64(kFieldTime, row);
    sum += pack.GetInt64(kFieldValue64, row);
    pack.GetText(text, sizeof text, kFieldSector, row);
    sum += text[6];
    sum += pack.GetUInt16(FIELD_SELECTOR, row);
    if (pack.GetPack(levels, kFieldLevels, row)) sum += levels.GetInt32(kFieldVolume, 1);
  }
  return sum;
}

void BM_NetPackBuild(benchmark::State& state) {
  for (auto _ : state) {
    KivNetPack pack = BuildReply();
    benchmark::DoNotOptimize(pack.GetRecordCount());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_NetPackBuild)->Unit(benchmark::kMillisecond);

void BM_NetPackRoundTrip(benchmark::State& state) {
  const KivNetPack& reply = Reply();
  std::string wire;
  for (auto _ : state) {
    reply.GetAllPackData(wire);
    KivNetPack loaded;
    loaded.LoadFromString(wire);
    benchmark::DoNotOptimize(ReadAll(loaded));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(wire.size()));
}
BENCHMARK(BM_NetPackRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_NetPackMemcpy(benchmark::State& state) {
  const std::string source = SerialisedReply();
  std::string target(source.size(), '\0');
  for (auto _ : state) {
    std::memcpy(&target[0], source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_NetPackMemcpy)->Unit(benchmark::kMicrosecond);

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

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const double roundTrip = reporter.Nanoseconds("BM_NetPackRoundTrip");
  const double copy = reporter.Nanoseconds("BM_NetPackMemcpy");
  if (roundTrip > 0 && copy > 0) {
    std::printf("NetPack round trip / memcpy ratio: %.1f\n", roundTrip / copy);
  }
  return 0;
}
