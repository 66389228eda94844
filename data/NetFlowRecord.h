// NetFlowRecord: the main-force money flow of one stock, 140 bytes, one
// record of the mapped table KivNefFlow (Pstock/netflow.data). A file
// format: every byte is fixed, little-endian, 4-byte packing. Flows in yuan,
// ratios in units of 0.01 percent.
//
//   offset  size  field
//   0       36    reserved: nine 32-bit words
//   36      4     stock: StockId
//   40      16    name
//   56      8     inflow1, i64       64  8  outflow1, i64     72  4  ratio1, i32
//   76      8     inflow5, i64       84  8  outflow5, i64     92  4  ratio5, i32
//   96      8     inflow10, i64      104 8  outflow10, i64    112 4  ratio10, i32
//   116     8     inflow20, i64      124 8  outflow20, i64    132 4  ratio20, i32
//   136     4     key: the table key, the StockId word again
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "net/StockId.h"

#pragma pack(push, 4)
struct NetFlowRecord {
  uint32_t reserved[9];
  StockId stock;
  char name[16];
  int64_t inflow1;
  int64_t outflow1;
  int32_t ratio1;
  int64_t inflow5;
  int64_t outflow5;
  int32_t ratio5;
  int64_t inflow10;
  int64_t outflow10;
  int32_t ratio10;
  int64_t inflow20;
  int64_t outflow20;
  int32_t ratio20;
  StockId key;

  // Copies bytes 0-135, everything but key; the table copies key itself.
  void Assign(const NetFlowRecord& source) {
    std::memcpy(reserved, source.reserved, sizeof reserved);
    stock = source.stock;
    std::memcpy(name, source.name, sizeof name);
    inflow1 = source.inflow1;
    outflow1 = source.outflow1;
    ratio1 = source.ratio1;
    inflow5 = source.inflow5;
    outflow5 = source.outflow5;
    ratio5 = source.ratio5;
    inflow10 = source.inflow10;
    outflow10 = source.outflow10;
    ratio10 = source.ratio10;
    inflow20 = source.inflow20;
    outflow20 = source.outflow20;
    ratio20 = source.ratio20;
  }
};
#pragma pack(pop)

static_assert(sizeof(NetFlowRecord) == 140, "NetFlowRecord is 140 bytes");
static_assert(offsetof(NetFlowRecord, stock) == 36, "NetFlowRecord layout");
static_assert(offsetof(NetFlowRecord, inflow1) == 56, "NetFlowRecord layout");
static_assert(offsetof(NetFlowRecord, ratio1) == 72, "NetFlowRecord layout");
static_assert(offsetof(NetFlowRecord, inflow5) == 76, "NetFlowRecord layout");
static_assert(offsetof(NetFlowRecord, inflow10) == 96, "NetFlowRecord layout");
static_assert(offsetof(NetFlowRecord, inflow20) == 116, "NetFlowRecord layout");
static_assert(offsetof(NetFlowRecord, ratio20) == 132, "NetFlowRecord layout");
static_assert(offsetof(NetFlowRecord, key) == 136, "NetFlowRecord layout");
