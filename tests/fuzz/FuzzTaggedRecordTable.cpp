// The decoded "values" blob of a data-service reply: load it, select every
// record and read every schema tag with each getter.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "data/TaggedRecordTable.h"

namespace {

// The schema's tags are not public; a tag is any word of the blob, and the
// first words after the schema length are where the pairs lie.
uint32_t WordAt(const uint8_t* data, size_t size, size_t offset) {
  if (offset + 4 > size) return 0;
  return static_cast<uint32_t>(data[offset]) | static_cast<uint32_t>(data[offset + 1]) << 8 |
         static_cast<uint32_t>(data[offset + 2]) << 16 | static_cast<uint32_t>(data[offset + 3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CTaggedRecordTable table;
  table.Load(std::string_view(reinterpret_cast<const char*>(data), size));
  // Bounded so that a large schema times many records stays quick.
  const int records = table.GetRecordCount() < 256 ? table.GetRecordCount() : 256;
  volatile double sink = 0;
  for (int i = -1; i <= records; ++i) {
    table.SelectRecord(i);
    for (size_t pair = 0; pair < 64; ++pair) {
      const uint32_t tag = WordAt(data, size, 8 + pair * 8);
      sink = sink + table.GetInt32(tag) + static_cast<double>(table.GetInt64(tag)) + table.GetFloat(tag);
    }
  }
  table.Reset();
  sink = sink + table.SelectRecord(0).GetInt32(WordAt(data, size, 8));
  return 0;
}
