// The memory-mapped tables of fixed-size records (see MapTable.h for the
// file and the index). Each has one global instance; the pane that uses a
// table opens it with Load(MapTablePath(file name), mapping name) when it is
// created. Records are copied in both directions as key word plus the record
// type's own copy operation.
#pragma once

#include "data/BS5Record.h"
#include "data/MapTable.h"
#include "data/MarketRecord.h"
#include "data/NetFlowRecord.h"
#include "data/TGRecord.h"

// File and mapping names of the tables.
constexpr const char* kFinaceAnlyFile = "finace.data";
constexpr const char* kFinaceAnlyMapping = "finace";
constexpr const char* kJiePanFile = "Jiepan.data";
constexpr const char* kJiePanMapping = "Jiepan";
constexpr const char* kMarketFile = "DAPAN.data";
constexpr const char* kMarketMapping = "DAPAN";
constexpr const char* kShortFairyFile = "BS5.data";
constexpr const char* kShortFairyMapping = "BS5";
constexpr const char* kTGFile = "TG.dat";
constexpr const char* kTGMapping = "TG";
constexpr const char* kNetFlowFile = "netflow.data";
constexpr const char* kNetFlowMapping = "netflow";

// Finance figures, 21864-byte records keyed by their first word. Only
// opened here: the finance pane owns the record layout.
class KivMapFinaceAnly : public MapTable {
 public:
  static constexpr size_t kRecordSize = 21864;
  KivMapFinaceAnly() : MapTable(kRecordSize, sizeof(MapFileHeader), 0) {}
};

// Closing commentary, 1064-byte records keyed by their first word; only
// opened here.
class KivMapJiePan : public MapTable {
 public:
  static constexpr size_t kRecordSize = 1064;
  KivMapJiePan() : MapTable(kRecordSize, sizeof(MapFileHeader), 0) {}
};

// Index quotes: MarketRecord keyed by its word at byte 116. Records start at
// byte 120, so 9999 fit.
class KivMapMarket : public MapTable {
 public:
  KivMapMarket() : MapTable(sizeof(MarketRecord), sizeof(MarketRecord), offsetof(MarketRecord, key)) {}
  // Stores the record under its key; 0 when closed or full.
  int Put(const MarketRecord& record);
  // Copies the stored record of record.key into record; 0 (record untouched)
  // when closed or absent.
  int Get(MarketRecord& record);
};

// Money flow: NetFlowRecord keyed by its word at byte 136; records start at
// byte 140, so 9999 fit.
class KivNefFlow : public MapTable {
 public:
  KivNefFlow()
      : MapTable(sizeof(NetFlowRecord), sizeof(NetFlowRecord), offsetof(NetFlowRecord, key)) {}
  int Put(const NetFlowRecord& record);
  int Get(NetFlowRecord& record);
};

// Order-book snapshots: key word plus BS5Record. It holds only what the
// order-book panes put during this run: Load always starts a new, empty file.
class KivMapShortFairy : public MapTable {
 public:
  KivMapShortFairy() : MapTable(sizeof(BS5TableRecord), sizeof(MapFileHeader), 0) {}
  int Load(const std::string& gbkPath, const std::string& mappingName) override;
  // Makes the word the current key, unless its code part is 0.
  void SetStock(const StockId* id);
  StockId GetCurrentStock() const;
  // Copies the stored record of record.key into record; 0 when closed or absent.
  int Find(BS5TableRecord& record);
  // Copies the record of the current key into record; 0 when closed or absent.
  int GetCurrent(BS5TableRecord& record);
  int Put(const BS5TableRecord& record);

 private:
  StockId current_ = 0;  // guarded by lock_
};

// Advice records: key word plus TGRecord.
class KivMapTG : public MapTable {
 public:
  KivMapTG() : MapTable(sizeof(TGTableRecord), sizeof(MapFileHeader), 0) {}
  int Put(const TGTableRecord& record);
};
