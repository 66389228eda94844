// BS5Record: one quote snapshot with five order-book levels, 196 bytes; the
// mapped table KivMapShortFairy (Pstock/BS5.data) keeps it behind a 32-bit
// key (BS5TableRecord, 200 bytes). A file format: every byte is fixed,
// little-endian. Prices are i32 x 10000.
//
//   offset  size  field
//   0       36    reserved: nine 32-bit words
//   36      4     stock: StockId
//   40      16    name
//   56      2     extra16, u16; 58-59 padding
//   60      4     extra32      64  4  outer      68  4  inner
//   72      4     open         76  4  high       80  4  low       84  4  last
//   88      8     volume, i64  96  8  amount, i64
//   104     4     circulating  108 4  preClose   112 4  openInterest
//   116     80    levels: five BS5Level, best first
//
// BS5Level, 16 bytes: bidPrice, bidVolume, askPrice, askVolume (i32 each).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "net/StockId.h"

#pragma pack(push, 4)
struct BS5Level {
  int32_t bidPrice;
  int32_t bidVolume;
  int32_t askPrice;
  int32_t askVolume;
};

struct BS5Record {
  uint32_t reserved[9];
  StockId stock;
  char name[16];
  uint16_t extra16;
  uint16_t padding;
  int32_t extra32;
  int32_t outer;
  int32_t inner;
  int32_t open;
  int32_t high;
  int32_t low;
  int32_t last;
  int64_t volume;
  int64_t amount;
  int32_t circulating;
  int32_t preClose;
  int32_t openInterest;
  BS5Level levels[5];

  // Copies all 196 bytes, field by field.
  void Assign(const BS5Record& source) {
    std::memcpy(reserved, source.reserved, sizeof reserved);
    stock = source.stock;
    std::memcpy(name, source.name, sizeof name);
    extra16 = source.extra16;
    padding = source.padding;
    extra32 = source.extra32;
    outer = source.outer;
    inner = source.inner;
    open = source.open;
    high = source.high;
    low = source.low;
    last = source.last;
    volume = source.volume;
    amount = source.amount;
    circulating = source.circulating;
    preClose = source.preClose;
    openInterest = source.openInterest;
    for (int i = 0; i < 5; ++i) levels[i] = source.levels[i];
  }
};

// A record of KivMapShortFairy: the StockId word as key, then the snapshot.
struct BS5TableRecord {
  StockId key;
  BS5Record record;
};
#pragma pack(pop)

static_assert(sizeof(BS5Level) == 16, "BS5Level is 16 bytes");
static_assert(sizeof(BS5Record) == 196, "BS5Record is 196 bytes");
static_assert(offsetof(BS5Record, stock) == 36, "BS5Record layout");
static_assert(offsetof(BS5Record, extra32) == 60, "BS5Record layout");
static_assert(offsetof(BS5Record, open) == 72, "BS5Record layout");
static_assert(offsetof(BS5Record, volume) == 88, "BS5Record layout");
static_assert(offsetof(BS5Record, circulating) == 104, "BS5Record layout");
static_assert(offsetof(BS5Record, levels) == 116, "BS5Record layout");
static_assert(sizeof(BS5TableRecord) == 200, "a KivMapShortFairy record is 200 bytes");
static_assert(offsetof(BS5TableRecord, record) + offsetof(BS5Record, amount) == 100,
              "the money-flow pane reads the amount at byte 100 of a table record");
