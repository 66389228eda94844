// Table files of every mapped table, as their loader finds them: a header
// and records taken from the input, in a file sized (with a hole) to what
// the header's capacity implies, or one byte off. The capacity is the
// table's own, or the header's as given: any 32-bit value, so forged
// capacities of millions of records are tried, or a small one. A table that
// opens must answer every lookup within its bounds and take a write; a file
// that is refused must be gone.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "data/MapTableEntryLists.h"
#include "data/MapTables.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;
using kiv::fuzz::ScratchFile;

namespace {

// What every table offers: load, count, limit. Lookups and a write by key
// are table-specific.
struct TableCase {
  size_t recordSize;
  std::unique_ptr<MapTable> (*make)();
  // Looks the key up and writes a record under it; checks what comes back.
  void (*exercise)(MapTable& table, StockId key);
};

template <class Block>
void ExerciseEntryList(Block& table, StockId key, size_t headSize, size_t entrySize, int maxEntries) {
  EntryListCopy copy = table.GetCopy(key);
  if (copy) {
    Check(copy.size >= headSize + entrySize);
    Check(copy.size <= headSize + entrySize * static_cast<size_t>(maxEntries));
  }
}

const TableCase kTables[] = {
    {KivMapFinaceAnly::kRecordSize, [] { return std::unique_ptr<MapTable>(new KivMapFinaceAnly); },
     [](MapTable&, StockId) {}},
    {KivMapJiePan::kRecordSize, [] { return std::unique_ptr<MapTable>(new KivMapJiePan); },
     [](MapTable&, StockId) {}},
    {sizeof(MarketRecord), [] { return std::unique_ptr<MapTable>(new KivMapMarket); },
     [](MapTable& base, StockId key) {
       auto& table = static_cast<KivMapMarket&>(base);
       MarketRecord record{};
       record.key = key;
       table.Get(record);
       record.key = key;
       if (table.Put(record)) {
         MarketRecord back{};
         back.key = key;
         Check(table.Get(back) == 1 && back.key == key);
       }
     }},
    {sizeof(NetFlowRecord), [] { return std::unique_ptr<MapTable>(new KivNefFlow); },
     [](MapTable& base, StockId key) {
       auto& table = static_cast<KivNefFlow&>(base);
       NetFlowRecord record{};
       record.key = key;
       table.Get(record);
       record.key = key;
       if (table.Put(record)) {
         NetFlowRecord back{};
         back.key = key;
         Check(table.Get(back) == 1 && back.key == key);
       }
     }},
    {sizeof(TGTableRecord), [] { return std::unique_ptr<MapTable>(new KivMapTG); },
     [](MapTable& base, StockId key) {
       TGTableRecord record{};
       record.key = key;
       static_cast<KivMapTG&>(base).Put(record);
     }},
    {sizeof(BS5TableRecord), [] { return std::unique_ptr<MapTable>(new KivMapShortFairy); },
     [](MapTable& base, StockId key) {
       auto& table = static_cast<KivMapShortFairy&>(base);
       BS5TableRecord record{};
       record.key = key;
       table.Find(record);
       if (table.Put(record)) Check(table.Find(record) == 1);
     }},
    {sizeof(TickTableRecord), [] { return std::unique_ptr<MapTable>(new KivMapTick); },
     [](MapTable& base, StockId key) {
       auto& table = static_cast<KivMapTick&>(base);
       ExerciseEntryList(table, key, sizeof(TickHead), sizeof(TickEntry), KivMapTick::kMaxEntries);
       unsigned char block[sizeof(TickHead) + sizeof(TickEntry)] = {};
       TickHead head{};
       head.count = 1;
       head.stock = key;
       std::memcpy(block, &head, sizeof head);
       if (table.Put(block, sizeof block)) Check(table.GetCopy(key).size == sizeof block);
     }},
    {sizeof(TradeTableRecord), [] { return std::unique_ptr<MapTable>(new KivTradeinfo); },
     [](MapTable& base, StockId key) {
       ExerciseEntryList(static_cast<KivTradeinfo&>(base), key, sizeof(TradeHead), sizeof(TradeEntry),
                         KivTradeinfo::kMaxEntries);
     }},
    {sizeof(ShortTableRecord), [] { return std::unique_ptr<MapTable>(new KivMapShort); },
     [](MapTable& base, StockId key) {
       ExerciseEntryList(static_cast<KivMapShort&>(base), key, sizeof(ShortSignalHead), sizeof(ShortSignalEntry),
                         KivMapShort::kMaxEntries);
     }},
};
constexpr size_t kTableCount = sizeof kTables / sizeof kTables[0];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // [table] [capacity mode] [size change] then the file: 12 header bytes and records.
  if (size < 3 + 12) return 0;
  static const std::string path = ScratchFile("map-table");
  const TableCase& table = kTables[data[0] % kTableCount];
  const uint8_t mode = data[1] % 3;
  const int delta = static_cast<int>(data[2] % 3) - 1;
  const uint8_t* file = data + 3;
  const size_t fileBytes = size - 3;

  uint8_t header[12];
  std::memcpy(header, file, 12);
  uint32_t capacity;
  std::memcpy(&capacity, header + 8, 4);
  if (mode == 0) capacity = kMapFileCapacity;   // the table's own
  if (mode == 2) capacity %= 5;                  // a small one
  std::memcpy(header + 8, &capacity, 4);
  const uint64_t claimed = 12 + static_cast<uint64_t>(capacity) * table.recordSize;
  // Beyond what a file system holds there is nothing to load.
  if (claimed > (uint64_t(1) << 40)) return 0;
  {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 0;
    std::fwrite(header, 1, 12, out);
    std::fwrite(file + 12, 1, fileBytes - 12, out);
    std::fclose(out);
  }
  if (::truncate(path.c_str(), static_cast<off_t>(claimed + delta)) != 0) return 0;

  std::unique_ptr<MapTable> loaded = table.make();
  const int result = loaded->Load(path, "fuzz");
  struct stat info;
  if (!result) {
    Check(!loaded->IsOpen());
    Check(loaded->GetCount() == 0);
    Check(::stat(path.c_str(), &info) != 0);
    return 0;
  }
  Check(loaded->IsOpen());
  Check(loaded->GetLimit() <= kMapFileCapacity);
  Check(loaded->GetCount() <= loaded->GetLimit());
  // The keys of the first records in the input, and one of the input's own.
  for (size_t at = 12; at + 4 <= fileBytes && at < 12 + 4 * table.recordSize; at += table.recordSize) {
    StockId key = 0;
    std::memcpy(&key, file + at, 4);
    table.exercise(*loaded, key);
  }
  StockId other = 0;
  std::memcpy(&other, file + fileBytes - 4, 4);
  table.exercise(*loaded, other);
  Check(loaded->GetCount() <= loaded->GetLimit());
  loaded->Close();
  ::unlink(path.c_str());
  return 0;
}
