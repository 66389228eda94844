// The caret texts of the worker fetches (header, "^^^", records joined by
// "^^" of fields joined by "^"), with and without the last character
// dropped. Every record that parses has all twelve texts.
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
  for (bool dropLastChar : {false, true}) {
    std::unique_ptr<kiv::StringRecord12[]> records;
    int count = -1;
    if (kiv::ParseCaretRecords(text, dropLastChar, records, count) != kiv::ParseResult::kRecords) {
      Check(records == nullptr);
      continue;
    }
    Check(records != nullptr && count >= 1);
    for (int i = 0; i < count; ++i) {
      for (const char* slot : records[i].slot) Check(slot != nullptr);
    }
  }
  return 0;
}
