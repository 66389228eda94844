// The K-line cache file: one file per stock and period, at the path that
// GetCachePath gives for the series' data type and stock. Little-endian,
// packed, written and read field by field:
//
//   offset     size    field
//   0          4       version, uint32, always 17
//   4          4       StockId
//   8          16      reserved bytes of the series
//   24         4       data type, uint32
//   28         2       variant, uint16 (below 101)
//   30         4       count n, int32
//   34         36 x n  the bars (KLineBar.h)
//   34 + 36n   4 x n   flags words
//   34 + 40n   4 x n   value 1 of each bar, float32
//   34 + 44n   4 x n   value 2 of each bar, float32
//
// A file of n bars is exactly 34 + 48n bytes; any other size is damage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CKLineSeries;

constexpr uint32_t kKLineCacheVersion = 17;
constexpr size_t kKLineCacheHeaderSize = 34;
constexpr size_t kKLineCacheBytesPerBar = 48;
// A sane bound on the bars of one file (a one-minute series of decades stays
// far below it); a count above it is damage.
constexpr int32_t kKLineCacheMaxBars = 4000000;

enum class KLineCacheResult {
  kLoaded,
  kBadVersion,  // the series is untouched
  kTruncated,   // shorter than its header; the series is cleared
  kBadVariant,  // the series is cleared and bears the file's identity
  kBadSize,     // count negative, too large or not matching the file size; as kBadVariant
};

class KLineCacheCodec {
 public:
  // The file's bytes for the series' first Count() bars.
  static std::string Encode(const CKLineSeries& series);
  // Fills the series from a file's bytes. Anything but kLoaded leaves no bar
  // in the series.
  static KLineCacheResult Decode(const char* data, size_t size, CKLineSeries* series);
};
