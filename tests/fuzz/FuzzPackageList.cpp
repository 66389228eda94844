// A package list as the updater reads it from the server or from data.dat.
// An accepted list holds whole records with terminated texts of at most 259
// bytes and writes back to the same records; a refused one yields nothing.
// Every record's place, when one is given, lies below the program folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sys/ByteOrder.h"
#include "tests/fuzz/FuzzSupport.h"
#include "updater/format/PackageList.h"
#include "updater/format/UpdatePaths.h"

using kiv::fuzz::Check;

namespace {

bool SameRecords(const std::vector<kiv::PackageRecord>& a, const std::vector<kiv::PackageRecord>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].dir != b[i].dir || a[i].major != b[i].major || a[i].minor != b[i].minor) {
      return false;
    }
  }
  return true;
}

// No step of a '/'-separated relative path leaves the folder.
bool StaysInside(const std::string& relative) {
  if (relative.empty() || relative.front() == '/') return false;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const std::string step = relative.substr(start, end - start);
    if (step.empty() || step == "." || step == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file(reinterpret_cast<const char*>(data), size);
  // The type the file itself names, so that inputs get past that check.
  const int32_t type = size >= kiv::kPackageHeaderBytes
                           ? static_cast<int32_t>(kiv::LoadLe32(data + kiv::kPackageTypeOffset))
                           : 0;
  std::vector<kiv::PackageRecord> records = {kiv::PackageRecord()};
  const kiv::PackageListStatus status = kiv::ReadPackageList(file, type, &records);
  if (status != kiv::PackageListStatus::kOk) {
    Check(records.empty());
    return 0;
  }
  Check(records.size() * kiv::kPackageRecordBytes == kiv::LoadLe32(data + kiv::kPackageUnpackedSizeOffset));
  for (const kiv::PackageRecord& record : records) {
    Check(record.name.size() < kiv::kPackageTextBytes && record.dir.size() < kiv::kPackageTextBytes);
    Check(record.name.find('\0') == std::string::npos && record.dir.find('\0') == std::string::npos);
    std::string relative;
    if (kiv::RecordRelativePath(record, &relative)) Check(StaysInside(relative));
  }
  std::string written;
  Check(kiv::WritePackageList(records, type, &written));
  std::vector<kiv::PackageRecord> again;
  Check(kiv::ReadPackageList(written, type, &again) == kiv::PackageListStatus::kOk);
  Check(SameRecords(records, again));
  // A list compared with itself fetches nothing; against nothing, all of it.
  std::vector<kiv::PackageRecord> updates;
  kiv::DiffPackageLists(records, records, &updates);
  Check(updates.empty());
  kiv::DiffPackageLists({}, records, &updates);
  Check(SameRecords(updates, records));
  return 0;
}
