// Cost of the updater's package lists at 10,000 records (far more files
// than an installation holds):
//   - reading a list file (checks, inflate, records) against zlib's own
//     uncompress of the same body into a buffer made for it: what the
//     checks and the records add to the inflate they cannot avoid;
//   - reading both lists and comparing them, against the same anchor;
//   - the comparison through an index of the installed list against the
//     scan of the whole installed list for every current record (the
//     reference; both must fetch the same records).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "platform/sys/ByteOrder.h"
#include "platform/sys/GbkText.h"
#include "updater/format/PackageList.h"

namespace {

using kiv::PackageRecord;

constexpr int kRecords = 10000;
constexpr int32_t kType = 3;

// The current list: files in a few folders; the installed one holds the same
// files in other letter cases, one in ten of them a version behind, and
// lacks one in a hundred.
std::vector<PackageRecord> CurrentList() {
  std::vector<PackageRecord> list(kRecords);
  char name[64];
  for (int i = 0; i < kRecords; ++i) {
    std::snprintf(name, sizeof name, "module%05d.dll", i);
    list[static_cast<size_t>(i)].name = name;
    list[static_cast<size_t>(i)].dir = i % 4 == 0 ? "\\" : "\\plugins\\set" + std::to_string(i % 7);
    list[static_cast<size_t>(i)].major = 2;
    list[static_cast<size_t>(i)].minor = i % 13;
  }
  return list;
}

std::vector<PackageRecord> InstalledList() {
  std::vector<PackageRecord> list;
  for (PackageRecord record : CurrentList()) {
    const int i = std::stoi(record.name.substr(6, 5));
    if (i % 100 == 99) continue;
    for (char& c : record.name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (i % 10 == 3) record.minor -= 1;
    list.push_back(record);
  }
  return list;
}

std::string ListFile(const std::vector<PackageRecord>& records) {
  std::string file;
  kiv::WritePackageList(records, kType, &file);
  return file;
}

// Two texts equal without regard to ASCII case, a double-byte character's
// trail byte kept: the per-pair test of the reference scan.
bool SameNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (kiv::IsGbkLeadByte(x)) {
      if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The reference: for each current record, every installed record in turn.
void DiffByScan(const std::vector<PackageRecord>& installed, const std::vector<PackageRecord>& current,
                std::vector<PackageRecord>* updates) {
  updates->clear();
  if (installed.empty()) {
    *updates = current;
    return;
  }
  for (const PackageRecord& c : current) {
    bool known = false;
    bool fetch = false;
    for (const PackageRecord& i : installed) {
      if (!SameNoCase(i.name, c.name) || !SameNoCase(i.dir, c.dir)) continue;
      known = true;
      if (kiv::IsOlderVersion(i, c)) {
        fetch = true;
        break;
      }
    }
    if (fetch || !known) updates->push_back(c);
  }
}

bool SameUpdates(const std::vector<PackageRecord>& a, const std::vector<PackageRecord>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].dir != b[i].dir) return false;
  }
  return true;
}

void BM_PackageListRead(benchmark::State& state) {
  const std::string file = ListFile(CurrentList());
  std::vector<PackageRecord> records;
  kiv::ReadPackageList(file, kType, &records);  // the first touch of fresh memory is not the reader's cost
  for (auto _ : state) {
    if (kiv::ReadPackageList(file, kType, &records) != kiv::PackageListStatus::kOk) {
      state.SkipWithError("the list was not accepted");
      return;
    }
    benchmark::DoNotOptimize(records.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_PackageListRead)->Unit(benchmark::kMicrosecond);

void BM_ZlibUncompress(benchmark::State& state) {
  const std::string file = ListFile(CurrentList());
  const uLong size = kiv::LoadLe32(file.data() + kiv::kPackageUnpackedSizeOffset);
  std::vector<PackageRecord> warm;
  kiv::ReadPackageList(file, kType, &warm);  // as the reader's run: memory touched once before
  for (auto _ : state) {
    std::string body(size, '\0');
    uLongf length = size;
    uncompress(reinterpret_cast<Bytef*>(&body[0]), &length,
               reinterpret_cast<const Bytef*>(file.data() + kiv::kPackageHeaderBytes),
               static_cast<uLong>(file.size() - kiv::kPackageHeaderBytes));
    benchmark::DoNotOptimize(body.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMicrosecond);

void BM_PackageListReadAndDiff(benchmark::State& state) {
  const std::string installedFile = ListFile(InstalledList());
  const std::string currentFile = ListFile(CurrentList());
  std::vector<PackageRecord> installed;
  std::vector<PackageRecord> current;
  std::vector<PackageRecord> updates;
  kiv::ReadPackageList(installedFile, kType, &installed);
  kiv::ReadPackageList(currentFile, kType, &current);
  for (auto _ : state) {
    kiv::ReadPackageList(installedFile, kType, &installed);
    kiv::ReadPackageList(currentFile, kType, &current);
    kiv::DiffPackageLists(installed, current, &updates);
    benchmark::DoNotOptimize(updates.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_PackageListReadAndDiff)->Unit(benchmark::kMicrosecond);

void BM_DiffIndexed(benchmark::State& state) {
  const std::vector<PackageRecord> installed = InstalledList();
  const std::vector<PackageRecord> current = CurrentList();
  std::vector<PackageRecord> updates;
  std::vector<PackageRecord> reference;
  kiv::DiffPackageLists(installed, current, &updates);
  DiffByScan(installed, current, &reference);
  if (!SameUpdates(updates, reference) || updates.size() != 1100) {
    state.SkipWithError("the index and the scan fetch different records");
    return;
  }
  for (auto _ : state) {
    kiv::DiffPackageLists(installed, current, &updates);
    benchmark::DoNotOptimize(updates.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_DiffIndexed)->Unit(benchmark::kMicrosecond);

void BM_DiffNestedScan(benchmark::State& state) {
  const std::vector<PackageRecord> installed = InstalledList();
  const std::vector<PackageRecord> current = CurrentList();
  std::vector<PackageRecord> updates;
  for (auto _ : state) {
    DiffByScan(installed, current, &updates);
    benchmark::DoNotOptimize(updates.data());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_DiffNestedScan)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return RunBenchmarks(argc, argv, [&](const RatioReporter& reporter) {
    reporter.PrintRatio("package list read / zlib uncompress ratio", "BM_PackageListRead", "BM_ZlibUncompress");
    reporter.PrintRatio("two lists read and compared / zlib uncompress ratio", "BM_PackageListReadAndDiff",
                        "BM_ZlibUncompress");
    reporter.PrintRatio("nested scan / indexed comparison ratio", "BM_DiffNestedScan", "BM_DiffIndexed");
  });
}
