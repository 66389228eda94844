// Feeds arbitrary table files to the mapped-table loader: a header and
// records taken from the input, the file cut to the size the header implies
// for a small capacity, or one byte off. Whatever opens must answer every
// lookup within its bounds; whatever is refused must be deleted.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/MapTableEntryLists.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string ScratchFile() {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp ? tmp : "/tmp") + "/fuzz-map-table-" + std::to_string(::getpid()) + ".bat";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 13) return 0;
  static const std::string path = ScratchFile();
  uint32_t capacity;
  std::memcpy(&capacity, data + 8, 4);
  const int delta = static_cast<int>(data[12] % 3) - 1;
  const uint64_t claimed = 12 + static_cast<uint64_t>(capacity % 5) * sizeof(ShortTableRecord);
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, 12, file);
    std::fwrite(data + 13, 1, size - 13, file);
    std::fclose(file);
  }
  if (::truncate(path.c_str(), static_cast<off_t>(claimed + delta)) != 0) return 0;

  KivMapShort table;
  const int loaded = table.Load(path, kShortMapping);
  struct stat info;
  if (!loaded) {
    Check(!table.IsOpen());
    Check(::stat(path.c_str(), &info) != 0);
    return 0;
  }
  Check(table.GetCount() <= table.GetLimit());
  for (uint32_t i = 0; i < table.GetCount(); ++i) {
    // Record i lies at file offset 12 + i x record size, input offset 13 + that.
    const size_t at = 13 + static_cast<size_t>(i) * sizeof(ShortTableRecord);
    StockId key = 0;
    if (at + 4 <= size) std::memcpy(&key, data + at, 4);
    EntryListCopy copy = table.GetCopy(key);
    if (copy) {
      Check(copy.size >= sizeof(ShortSignalHead) + sizeof(ShortSignalEntry));
      Check(copy.size <= sizeof(ShortSignalHead) + sizeof(ShortSignalEntry) * KivMapShort::kMaxEntries);
    }
  }
  table.Close();
  ::unlink(path.c_str());
  return 0;
}
