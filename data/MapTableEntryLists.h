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

class KivMapTick : public MapTable {
 public:
  static constexpr int kMaxEntries = 1000;
  KivMapTick() : MapTable(sizeof(TickTableRecord), sizeof(MapFileHeader), 0) {}
  // Stores a block (a TickHead followed by its entries, room for at least
  // one; blockBytes long) under the head's StockId. 0 when the table is
  // closed or full, or when the block is shorter than its count says.
  int Put(const void* block, size_t blockBytes);
  // Head plus max(count, 1) entries of the stored record; empty when closed
  // or absent.
  EntryListCopy GetCopy(StockId id);
};

class KivTradeinfo : public MapTable {
 public:
  static constexpr int kMaxEntries = 1000;
  KivTradeinfo() : MapTable(sizeof(TradeTableRecord), sizeof(MapFileHeader), 0) {}
  int Put(const void* block, size_t blockBytes);
  EntryListCopy GetCopy(StockId id);
};

// Nothing in the program writes this table: it offers what its file holds.
class KivMapShort : public MapTable {
 public:
  static constexpr int kMaxEntries = 201;
  KivMapShort() : MapTable(sizeof(ShortTableRecord), sizeof(MapFileHeader), 0) {}
  EntryListCopy GetCopy(StockId id);
};
