// Base64 text of a reply's "values" field: decode it, then read the blob as
// the tagged record table it should hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "data/Base64.h"
#include "data/TaggedRecordTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Base64DecodeInPlace(text);
  if (text.size() != size / 4 * 3) __builtin_trap();

  CTaggedRecordTable table;
  table.Load(text);
  // Every value read is used; the sum wraps as unsigned arithmetic does.
  volatile uint64_t sink = 0;
  const int records = table.GetRecordCount() < 64 ? table.GetRecordCount() : 64;
  for (int i = 0; i < records; ++i) sink = sink + static_cast<uint64_t>(table.SelectRecord(i).GetInt64(400000001));
  return 0;
}
