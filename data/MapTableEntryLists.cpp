#include "data/MapTableEntryLists.h"

#include <cstring>

namespace {

// Stores a block into a table record: key, head copied field by field,
// entries bounded to the last maxEntries. The caller holds the lock and has
// checked that the block holds max(count, 1) entries.
template <class Record, class Head, class Entry>
void StoreBlock(Record* stored, const Head& head, const unsigned char* entries, int maxEntries) {
  stored->key = head.stock;
  stored->head.AssignForTable(head);
  const int count = head.count;
  if (count > maxEntries) {
    // Only the newest entries are kept.
    stored->head.count = static_cast<int16_t>(maxEntries);
    std::memcpy(stored->entries, entries + sizeof(Entry) * (count - maxEntries),
                sizeof(Entry) * maxEntries);
  } else {
    const int n = count > 1 ? count : 1;  // the first entry belongs to every block
    std::memcpy(stored->entries, entries, sizeof(Entry) * n);
  }
}

template <class Head, class Entry>
bool ReadBlockHead(const void* block, size_t blockBytes, Head* head) {
  if (!block || blockBytes < sizeof(Head) + sizeof(Entry)) return false;
  std::memcpy(head, block, sizeof(Head));
  const size_t entries = head->count > 1 ? static_cast<size_t>(head->count) : 1;
  return blockBytes >= sizeof(Head) + entries * sizeof(Entry);
}

// A copy of head and entries; a count read back beyond the table's limit
// (a damaged file) is clamped, in the copy too, so no reader runs past it.
template <class Record, class Head, class Entry>
EntryListCopy CopyBlock(const Record* stored, int maxEntries) {
  Head head;
  std::memcpy(&head, &stored->head, sizeof head);
  int count = head.count;
  if (count < 0) count = 0;
  if (count > maxEntries) count = maxEntries;
  const int n = count >= 2 ? count : 1;
  EntryListCopy copy;
  copy.size = sizeof(Head) + sizeof(Entry) * static_cast<size_t>(n);
  copy.bytes.reset(new unsigned char[copy.size]);
  head.count = static_cast<int16_t>(count);
  std::memcpy(copy.bytes.get(), &head, sizeof head);
  std::memcpy(copy.bytes.get() + sizeof head, stored->entries, sizeof(Entry) * n);
  return copy;
}

}  // namespace

template <class Record, class Head, class Entry, int MaxEntries>
int EntryListTable<Record, Head, Entry, MaxEntries>::PutBlock(const void* block, size_t blockBytes) {
  Head head;
  if (!ReadBlockHead<Head, Entry>(block, blockBytes, &head)) return 0;
  std::lock_guard<std::mutex> hold(lock_);
  auto* stored = reinterpret_cast<Record*>(FindOrAddLocked(static_cast<int32_t>(head.stock)));
  if (!stored) return 0;
  StoreBlock<Record, Head, Entry>(stored, head, static_cast<const unsigned char*>(block) + sizeof head,
                                  kMaxEntries);
  return 1;
}

template <class Record, class Head, class Entry, int MaxEntries>
EntryListCopy EntryListTable<Record, Head, Entry, MaxEntries>::GetCopy(StockId id) {
  std::lock_guard<std::mutex> hold(lock_);
  auto* stored = reinterpret_cast<const Record*>(FindLocked(static_cast<int32_t>(id)));
  if (!stored) return EntryListCopy();
  return CopyBlock<Record, Head, Entry>(stored, kMaxEntries);
}

template class EntryListTable<TickTableRecord, TickHead, TickEntry, 1000>;
template class EntryListTable<TradeTableRecord, TradeHead, TradeEntry, 1000>;
// Short-signal heads carry no StockId: that table takes no blocks.
template EntryListCopy EntryListTable<ShortTableRecord, ShortSignalHead, ShortSignalEntry, 201>::GetCopy(
    StockId id);
