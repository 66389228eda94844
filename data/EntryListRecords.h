// The heads and entries of the per-stock entry lists kept in the mapped
// tables KivMapTick (Pstock/tick.dat), KivTradeinfo (Pstock/tradeinfo.dat)
// and KivMapShort (Pstock/shortfaily.bat). A pane's data block is a head
// followed directly by its entries (room for at least one); a table record
// is the StockId word as key followed by such a block. File formats: every
// byte is fixed, little-endian.
//
// Tick head, 64 bytes (entries of 16 bytes follow):
//   0   36  reserved          36  2  count, i16     38  4  stock (unaligned)
//   42  16  name              58  2  spare (the table does not copy it)
//   60  4   previous close, i32, price x 10000
// Tick entry: price (x 10000; 0 or less: no trade), cumulative volume,
//   average price (x 10000), position; i32 each.
//
// Trade head, 60 bytes (entries of 20 bytes follow):
//   0   36  reserved          36  4  stock          40  16  name
//   56  2   count, i16        58  2  padding (copied with the count)
// Trade entry: time i16 (minute of the day, 0 = 09:30), 2 padding bytes,
//   price (x 10000), volume, bid (x 10000), ask (x 10000); i32 each.
//
// Short-signal head, 108 bytes (entries of 20 bytes follow); its bytes
// 56-57 hold the entry count, i16. The rest belongs to its pane.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "net/StockId.h"

#pragma pack(push, 2)
struct TickHead {
  uint32_t reserved[9];
  int16_t count;
  StockId stock;  // at byte 38: not aligned
  char name[16];
  uint8_t spare[2];
  int32_t previousClose;

  // The table's copy: everything but the two spare bytes.
  void AssignForTable(const TickHead& source) {
    std::memcpy(reserved, source.reserved, sizeof reserved);
    count = source.count;
    stock = source.stock;
    std::memcpy(name, source.name, sizeof name);
    previousClose = source.previousClose;
  }
};

struct TickEntry {
  int32_t price;
  int32_t volume;
  int32_t averagePrice;
  int32_t position;
};

struct TradeHead {
  uint32_t reserved[9];
  StockId stock;
  char name[16];
  int16_t count;
  uint16_t padding;

  void AssignForTable(const TradeHead& source) {
    std::memcpy(reserved, source.reserved, sizeof reserved);
    stock = source.stock;
    std::memcpy(name, source.name, sizeof name);
    count = source.count;
    padding = source.padding;
  }
};

struct TradeEntry {
  int16_t time;
  uint16_t padding;
  int32_t price;
  int32_t volume;
  int32_t bid;
  int32_t ask;
};

struct ShortSignalHead {
  uint8_t leading[56];
  int16_t count;
  uint8_t trailing[50];
};

struct ShortSignalEntry {
  uint8_t bytes[20];
};

// Table records: key, head, entries. At most 1000 tick and trade entries
// are in use; the last slot is spare room.
struct TickTableRecord {
  StockId key;
  TickHead head;
  TickEntry entries[1001];
};

struct TradeTableRecord {
  StockId key;
  TradeHead head;
  TradeEntry entries[1001];
};

struct ShortTableRecord {
  StockId key;
  ShortSignalHead head;
  ShortSignalEntry entries[201];
};
#pragma pack(pop)

static_assert(sizeof(TickHead) == 64, "tick head is 64 bytes");
static_assert(offsetof(TickHead, count) == 36, "tick head layout");
static_assert(offsetof(TickHead, stock) == 38, "tick head layout");
static_assert(offsetof(TickHead, name) == 42, "tick head layout");
static_assert(offsetof(TickHead, previousClose) == 60, "tick head layout");
static_assert(sizeof(TickEntry) == 16, "tick entry is 16 bytes");
static_assert(sizeof(TradeHead) == 60, "trade head is 60 bytes");
static_assert(offsetof(TradeHead, stock) == 36, "trade head layout");
static_assert(offsetof(TradeHead, count) == 56, "trade head layout");
static_assert(sizeof(TradeEntry) == 20, "trade entry is 20 bytes");
static_assert(offsetof(TradeEntry, price) == 4, "trade entry layout");
static_assert(sizeof(ShortSignalHead) == 108, "short-signal head is 108 bytes");
static_assert(offsetof(ShortSignalHead, count) == 56, "short-signal head layout");
static_assert(sizeof(ShortSignalEntry) == 20, "short-signal entry is 20 bytes");
static_assert(sizeof(TickTableRecord) == 16084, "a KivMapTick record is 16084 bytes");
static_assert(offsetof(TickTableRecord, entries) == 68, "KivMapTick record layout");
static_assert(sizeof(TradeTableRecord) == 20084, "a KivTradeinfo record is 20084 bytes");
static_assert(offsetof(TradeTableRecord, entries) == 64, "KivTradeinfo record layout");
static_assert(sizeof(ShortTableRecord) == 4132, "a KivMapShort record is 4132 bytes");
static_assert(offsetof(ShortTableRecord, entries) == 112, "KivMapShort record layout");
