// MarketRecord: the last quote of one index or board, 120 bytes, one record
// of the mapped table KivMapMarket (Pstock/DAPAN.data). A file format: every
// byte is fixed, little-endian.
//
//   offset  size  field
//   0       36    reserved: nine 32-bit words, written as zero
//   36      4     stock: StockId (market byte at 39)
//   40      16    name: GBK, NUL-terminated, at most 15 bytes of text
//   56      2     extraCount, u16
//   58      2     rising, u16: advancing stocks
//   60      2     falling, u16: declining stocks
//   62      2     unchanged, u16
//   64      4     bidTotal, i32
//   68      4     askTotal, i32
//   72      4     bidRatio, i32, thousandths of a percent
//   76      4     turnover, i32, thousandths of a percent
//   80      4     preClose, i32, price x 1000
//   84      4     open, i32, price x 1000
//   88      4     high, i32, price x 1000
//   92      4     low, i32, price x 1000
//   96      4     last, i32, price x 1000
//   100     8     volume, i64
//   108     8     amount, i64, yuan
//   116     4     key: the table key, the same StockId word as stock
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "net/StockId.h"

#pragma pack(push, 4)
struct MarketRecord {
  uint32_t reserved[9];
  StockId stock;
  char name[16];
  uint16_t extraCount;
  uint16_t rising;
  uint16_t falling;
  uint16_t unchanged;
  int32_t bidTotal;
  int32_t askTotal;
  int32_t bidRatio;
  int32_t turnover;
  int32_t preClose;
  int32_t open;
  int32_t high;
  int32_t low;
  int32_t last;
  int64_t volume;
  int64_t amount;
  StockId key;

  // Copies everything but key (bytes 0-115); the table copies key itself.
  void Assign(const MarketRecord& source) {
    std::memcpy(reserved, source.reserved, sizeof reserved);
    stock = source.stock;
    std::memcpy(name, source.name, sizeof name);
    extraCount = source.extraCount;
    rising = source.rising;
    falling = source.falling;
    unchanged = source.unchanged;
    bidTotal = source.bidTotal;
    askTotal = source.askTotal;
    bidRatio = source.bidRatio;
    turnover = source.turnover;
    preClose = source.preClose;
    open = source.open;
    high = source.high;
    low = source.low;
    last = source.last;
    volume = source.volume;
    amount = source.amount;
  }
};
#pragma pack(pop)

static_assert(sizeof(MarketRecord) == 120, "MarketRecord is 120 bytes");
static_assert(offsetof(MarketRecord, stock) == 36, "MarketRecord layout");
static_assert(offsetof(MarketRecord, name) == 40, "MarketRecord layout");
static_assert(offsetof(MarketRecord, extraCount) == 56, "MarketRecord layout");
static_assert(offsetof(MarketRecord, bidTotal) == 64, "MarketRecord layout");
static_assert(offsetof(MarketRecord, last) == 96, "MarketRecord layout");
static_assert(offsetof(MarketRecord, volume) == 100, "MarketRecord layout");
static_assert(offsetof(MarketRecord, amount) == 108, "MarketRecord layout");
static_assert(offsetof(MarketRecord, key) == 116, "MarketRecord layout");
