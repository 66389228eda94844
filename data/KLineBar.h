// KLineBar: one bar (K-line) of a stock in one period, 36 bytes in memory as
// in the cache file, where it is written field by field:
//
//   offset  size  field
//   0       8     time, int64, seconds since 1970-01-01 UTC
//   8       4     open, float32
//   12      4     high, float32
//   16      4     low, float32
//   20      4     close, float32
//   24      4     volume, float32
//   28      4     amount, float32
//   32      4     extra, uint32: kept and saved unchanged
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)
struct KLineBar {
  int64_t time;
  float open;
  float high;
  float low;
  float close;
  float volume;
  float amount;
  uint32_t extra;
};
#pragma pack(pop)

static_assert(sizeof(KLineBar) == 36, "a bar is 36 bytes, as in the cache file");
static_assert(offsetof(KLineBar, open) == 8, "bar layout");
static_assert(offsetof(KLineBar, close) == 20, "bar layout");
static_assert(offsetof(KLineBar, amount) == 28, "bar layout");
static_assert(offsetof(KLineBar, extra) == 32, "bar layout");
