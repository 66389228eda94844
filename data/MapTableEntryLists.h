// The mapped tables whose records hold a head and a list of entries
// (EntryListRecords.h): intraday ticks, trade details and short signals.
// They share the file, the index and Load/Close of MapTable; here are the
// bounded Put, which keeps at most the last 1000 entries, and GetCopy, which
// hands a pane a private copy of a stored block.
#pragma once

#include <cstddef>
#include <memory>

#include "data/EntryListRecords.h"
#include "data/MapTable.h"

constexpr const char* kTickFile = "tick.dat";
constexpr const char* kTickMapping = "tick";
constexpr const char* kTradeinfoFile = "tradeinfo.dat";
constexpr const char* kTradeinfoMapping = "trade";
constexpr const char* kShortFile = "shortfaily.bat";
constexpr const char* kShortMapping = "short";

// A copy of a stored block: head and entries, owned by the caller.
struct EntryListCopy {
  std::unique_ptr<unsigned char[]> bytes;
  size_t size = 0;
  explicit operator bool() const { return bytes != nullptr; }
};

// The table part the three share: records of a head and a list of at most
// MaxEntries entries, keyed by the head's StockId.
template <class Record, class Head, class Entry, int MaxEntries>
class EntryListTable : public MapTable {
 public:
  static constexpr int kMaxEntries = MaxEntries;
  EntryListTable() : MapTable(sizeof(Record), sizeof(MapFileHeader), 0) {}
  // Head plus max(count, 1) entries of the stored record; empty when closed
  // or absent. A count read back beyond kMaxEntries (a damaged file) is
  // clamped, in the copy too, so that no reader runs past it.
  EntryListCopy GetCopy(StockId id);

 protected:
  // Stores a block (a Head followed by its entries, room for at least one;
  // blockBytes long) under the head's StockId, keeping the newest
  // kMaxEntries entries. 0 when the table is closed or full, or when the
  // block is shorter than its count says.
  int PutBlock(const void* block, size_t blockBytes);
};

class KivMapTick : public EntryListTable<TickTableRecord, TickHead, TickEntry, 1000> {
 public:
  int Put(const void* block, size_t blockBytes) { return PutBlock(block, blockBytes); }
};

class KivTradeinfo : public EntryListTable<TradeTableRecord, TradeHead, TradeEntry, 1000> {
 public:
  int Put(const void* block, size_t blockBytes) { return PutBlock(block, blockBytes); }
};

// Nothing in the program writes this table: it offers what its file holds.
class KivMapShort : public EntryListTable<ShortTableRecord, ShortSignalHead, ShortSignalEntry, 201> {};
