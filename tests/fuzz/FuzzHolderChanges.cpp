// The insider-change text of the worker fetches ("NSize" and the keyed
// records, already in the ANSI code page), for both counts the fetches ask
// for. Whatever parses has no more records than asked for and numbers them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "data/WorkerFetches.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (int maxCount : {kiv::kRecentHolderChanges, kiv::kHolderChangesOfStock}) {
    std::unique_ptr<kiv::StringRecord15[]> records;
    int count = -1;
    const kiv::ParseResult result = kiv::ParseHolderChanges(text, maxCount, records, count);
    if (result != kiv::ParseResult::kRecords) {
      Check(records == nullptr);
      continue;
    }
    Check(records != nullptr && count >= 1 && count <= maxCount);
    for (int i = 0; i < count; ++i) {
      Check(std::strtol(records[i].slot[0], nullptr, 10) == i + 1);
      for (const char* slot : records[i].slot) {
        if (slot) Check(std::strlen(slot) <= size);
      }
    }
  }
  return 0;
}
