// CKivStockTable: the program's one list of all tradable securities, the
// StockId and short name of each, in the order the stock-table reply (data
// type 20000003, group 100010016: fields 300000001 and 700000005) delivered
// them. Filled from each reply and from the stored copy of the last good
// reply (Data/market.dat, one serialised KivNetPack); read by stock search,
// the watch list, the main window and the chart.
//
// Every operation holds the table's CKivRWLock for its whole duration, so a
// reader sees the old or the new table, never a half-filled one. A reply
// without a single usable row never empties the table, in memory or on disk:
// the last good list stays until a good reply replaces it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/KivNetPack.h"
#include "net/KivRWLock.h"
#include "net/StockId.h"

// One security: 20 bytes.
struct StockRecord {
  StockId id;
  char name[16];  // GBK, NUL-terminated, at most 15 bytes of text
};
static_assert(sizeof(StockRecord) == 20, "StockRecord is 20 bytes");

// The file of the stored stock table under the data folder.
constexpr const char* kStockTableFile = "market.dat";

class CKivStockTable {
 public:
  CKivStockTable() = default;
  CKivStockTable(const CKivStockTable&) = delete;
  CKivStockTable& operator=(const CKivStockTable&) = delete;

  bool IsEmpty();
  int GetCount();
  // The first record whose whole StockId word (market byte included) equals
  // key, copied into out. False, out untouched, when none does.
  bool Find(StockId key, StockRecord& out);
  // Replaces out with a copy of every record.
  void CopyTo(std::vector<StockRecord>& out);
  void Clear();

  // Rebuilds the table from a reply group: rows of markets 1, 2 and 4 only,
  // names cut after the first "ETF" and to 15 bytes without splitting a GBK
  // character. True when the table was refilled; false, the table unchanged,
  // when the group has no such row.
  bool FillFromPack(KivNetPack& group);

  // Fills the table from the stored file; false when it is missing,
  // unreadable or holds no usable row (the table is then unchanged).
  bool LoadFromFile(const std::string& gbkPath);
  // Stores the group as the file (temporary file and rename), unless it holds
  // no usable row: the last good file survives an empty reply.
  static bool SaveToFile(const std::string& gbkPath, const KivNetPack& group);
  // <data folder>/market.dat
  static std::string DefaultFilePath();

  // The name as the table stores it: cut after the first "ETF", then to 15
  // bytes, never inside a two-byte character.
  static std::string ShortenName(const std::string& name);

 private:
  static std::vector<StockRecord> ReadRows(KivNetPack& group);

  CKivRWLock lock_;
  std::vector<StockRecord> records_;  // guarded by lock_
};
