// Cost of the record-set codec on a reply of realistic shape: 10,000 rows of
// 12 fields (16-, 32- and 64-bit integers, texts and a small nested pack).
// The round trip (serialise, load in place, read every field of every row
// through columns, as a reply handler does) is set against two anchors in
// the same run, and the ratios printed:
//   - a plain copy of the same serialised bytes;
//   - a hand-written reader that knows the reply's layout at compile time:
//     it copies the same bytes and reads every field at its fixed offset,
//     with no descriptors and no checks.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "net/FieldIds.h"
#include "net/KivNetPack.h"
#include "platform/sys/ByteOrder.h"

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

// Reads every field of every row as a reply handler does: each field id is
// resolved to a column once, then read row by row; the level inside each
// row's nested pack is read where it lies.
int64_t ReadAll(KivNetPack& pack) {
  const PackColumn stockId = pack.GetColumn(FIELD_STOCK_ID);
  const PackColumn stockName = pack.GetColumn(FIELD_STOCK_NAME);
  const PackColumn first16 = pack.GetColumn(kFieldFirst16);
  const PackColumn second16 = pack.GetColumn(kFieldSecond16);
  const PackColumn price = pack.GetColumn(kFieldPrice);
  const PackColumn volume = pack.GetColumn(kFieldVolume);
  const PackColumn amount = pack.GetColumn(kFieldAmount);
  const PackColumn time = pack.GetColumn(kFieldTime);
  const PackColumn value64 = pack.GetColumn(kFieldValue64);
  const PackColumn sectorName = pack.GetColumn(kFieldSector);
  const PackColumn selector = pack.GetColumn(FIELD_SELECTOR);
  const PackNestedColumn levelVolume = pack.GetNestedColumn(kFieldLevels, kFieldVolume);
  int64_t sum = 0;
  char text[kNameSize + 1];
  const int32_t rows = static_cast<int32_t>(pack.GetRecordCount());
  for (int32_t row = 0; row < rows; ++row) {
    sum += pack.GetInt32(stockId, row);
    pack.GetText(text, sizeof text, stockName, row);
    sum += text[5];
    sum += pack.GetInt32(first16, row);
    sum += pack.GetInt32(second16, row);
    sum += pack.GetInt32(price, row);
    sum += pack.GetInt32(volume, row);
    sum += pack.GetInt32(amount, row);
    sum += pack.GetTime64(time, row);
    sum += pack.GetInt64(value64, row);
    pack.GetText(text, sizeof text, sectorName, row);
    sum += text[6];
    sum += pack.GetUInt16(selector, row);
    sum += pack.GetInt32(levelVolume, row, 1);
  }
  return sum;
}

// The reply's layout as a hand-written reader knows it: byte offsets in a
// row, in the order BuildReply defines the fields.
constexpr size_t kFixedRowsAt = KivNetPack::kHeaderSize + 12 * KivNetPack::kDescriptorSize;
constexpr size_t kAtStockId = 0;
constexpr size_t kAtStockName = 4;
constexpr size_t kAtFirst16 = 20;
constexpr size_t kAtSecond16 = 22;
constexpr size_t kAtPrice = 24;
constexpr size_t kAtVolume = 28;
constexpr size_t kAtAmount = 32;
constexpr size_t kAtTime = 36;
constexpr size_t kAtValue64 = 44;
constexpr size_t kAtSector = 52;
constexpr size_t kAtSelector = 66;
constexpr size_t kAtLevels = 68;
constexpr size_t kFixedRowSize = 116;
// The volume of level 1 inside the nested pack: its header, two
// descriptors, level 0's two words, then level 1's price.
constexpr size_t kAtLevel1Volume = 16 + 2 * 8 + 8 + 4;

int64_t ReadAllFixed(const unsigned char* bytes) {
  int64_t sum = 0;
  char text[kNameSize + 1];
  const unsigned char* row = bytes + kFixedRowsAt;
  for (int32_t r = 0; r < kRows; ++r, row += kFixedRowSize) {
    sum += static_cast<int32_t>(kiv::LoadLe32(row + kAtStockId));
    std::memcpy(text, row + kAtStockName, kNameSize);
    text[kNameSize] = 0;
    sum += text[5];
    sum += static_cast<int16_t>(kiv::LoadLe16(row + kAtFirst16));
    sum += static_cast<int16_t>(kiv::LoadLe16(row + kAtSecond16));
    sum += static_cast<int32_t>(kiv::LoadLe32(row + kAtPrice));
    sum += static_cast<int32_t>(kiv::LoadLe32(row + kAtVolume));
    sum += static_cast<int32_t>(kiv::LoadLe32(row + kAtAmount));
    sum += static_cast<int64_t>(kiv::LoadLe64(row + kAtTime));
    sum += static_cast<int64_t>(kiv::LoadLe64(row + kAtValue64));
    std::memcpy(text, row + kAtSector, kSectorSize);
    std::memset(text + kSectorSize, 0, sizeof text - kSectorSize);
    sum += text[6];
    sum += kiv::LoadLe16(row + kAtSelector);
    sum += static_cast<int32_t>(kiv::LoadLe32(row + kAtLevels + kAtLevel1Volume));
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
  const std::string expected = SerialisedReply();
  {
    // Both readers must read the same values, or the comparison means nothing.
    KivNetPack loaded(expected);
    if (ReadAll(loaded) != ReadAllFixed(reinterpret_cast<const unsigned char*>(expected.data()))) {
      state.SkipWithError("the column reader and the fixed-layout reader disagree");
      return;
    }
  }
  for (auto _ : state) {
    std::string wire;
    reply.GetAllPackData(wire);
    KivNetPack loaded;
    loaded.LoadFromString(std::move(wire));  // in place: the pack holds the bytes
    benchmark::DoNotOptimize(ReadAll(loaded));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(expected.size()));
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

void BM_FixedLayoutRoundTrip(benchmark::State& state) {
  const std::string source = SerialisedReply();
  std::string target(source.size(), '\0');
  for (auto _ : state) {
    std::memcpy(&target[0], source.data(), source.size());
    benchmark::DoNotOptimize(ReadAllFixed(reinterpret_cast<const unsigned char*>(target.data())));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_FixedLayoutRoundTrip)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    reporter.PrintRatio("NetPack round trip / memcpy ratio", "BM_NetPackRoundTrip", "BM_NetPackMemcpy");
    reporter.PrintRatio("NetPack round trip / fixed-layout reader ratio", "BM_NetPackRoundTrip",
                        "BM_FixedLayoutRoundTrip");
  });
}
