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

int KivMapTick::Put(const void* block, size_t blockBytes) {
  TickHead head;
  if (!ReadBlockHead<TickHead, TickEntry>(block, blockBytes, &head)) return 0;
  std::lock_guard<std::mutex> hold(m_Lock);
  auto* stored = reinterpret_cast<TickTableRecord*>(FindOrAddLocked(static_cast<int32_t>(head.stock)));
  if (!stored) return 0;
  StoreBlock<TickTableRecord, TickHead, TickEntry>(
      stored, head, static_cast<const unsigned char*>(block) + sizeof head, kMaxEntries);
  return 1;
}

EntryListCopy KivMapTick::GetCopy(StockId id) {
  std::lock_guard<std::mutex> hold(m_Lock);
  auto* stored = reinterpret_cast<const TickTableRecord*>(FindLocked(static_cast<int32_t>(id)));
  if (!stored) return EntryListCopy();
  return CopyBlock<TickTableRecord, TickHead, TickEntry>(stored, kMaxEntries);
}

int KivTradeinfo::Put(const void* block, size_t blockBytes) {
  TradeHead head;
  if (!ReadBlockHead<TradeHead, TradeEntry>(block, blockBytes, &head)) return 0;
  std::lock_guard<std::mutex> hold(m_Lock);
  auto* stored =
      reinterpret_cast<TradeTableRecord*>(FindOrAddLocked(static_cast<int32_t>(head.stock)));
  if (!stored) return 0;
  StoreBlock<TradeTableRecord, TradeHead, TradeEntry>(
      stored, head, static_cast<const unsigned char*>(block) + sizeof head, kMaxEntries);
  return 1;
}

EntryListCopy KivTradeinfo::GetCopy(StockId id) {
  std::lock_guard<std::mutex> hold(m_Lock);
  auto* stored = reinterpret_cast<const TradeTableRecord*>(FindLocked(static_cast<int32_t>(id)));
  if (!stored) return EntryListCopy();
  return CopyBlock<TradeTableRecord, TradeHead, TradeEntry>(stored, kMaxEntries);
}

EntryListCopy KivMapShort::GetCopy(StockId id) {
  std::lock_guard<std::mutex> hold(m_Lock);
  auto* stored = reinterpret_cast<const ShortTableRecord*>(FindLocked(static_cast<int32_t>(id)));
  if (!stored) return EntryListCopy();
  return CopyBlock<ShortTableRecord, ShortSignalHead, ShortSignalEntry>(stored, kMaxEntries);
}
