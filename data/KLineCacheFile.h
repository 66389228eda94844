// The K-line cache file: one file per stock and period, at the path that
// GetCachePath gives for the series' data type and stock. Little-endian,
// packed:
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
//
// The four sections after the header are the series' own arrays in
// little-endian order: a bar's 36 bytes are KLineBar's fixed layout, and the
// other sections are arrays of 32-bit words. So a load reads each section
// straight into the array that keeps it, with no buffer between, and then
// (on a big-endian host only) puts each field into host order where it lies.
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
  kTruncated,   // shorter than its header, or a read stopped short; the series is cleared
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
  // The same from an open file of fileSize bytes, read from its start: the
  // header first, checked against fileSize, then the bars in one read into
  // the series' arrays.
  static KLineCacheResult ReadFile(int fd, uint64_t fileSize, CKLineSeries* series);

 private:
  // A section of the file after the header, inside the array that keeps it.
  struct Section {
    void* data;
    size_t bytes;
  };
  static constexpr int kSections = 4;

  // Checks the header (available bytes of it, at most kKLineCacheHeaderSize)
  // against the file size and gives the series the file's identity; count
  // is set on kLoaded.
  static KLineCacheResult ReadHeader(const unsigned char* bytes, size_t available,
                                     uint64_t fileSize, CKLineSeries* series, int32_t* count);
  // A load: the header checked, the series' arrays sized for its bars, the
  // sections filled by fill(sections) (false: the bytes ran short), the bars
  // put into host order where they lie.
  template <class Fill>
  static KLineCacheResult Load(const unsigned char* header, size_t available, uint64_t fileSize,
                               CKLineSeries* series, Fill fill);
  // Puts the count bars read as file bytes into host order, where they lie.
  static void ToHostOrder(CKLineSeries* series, int32_t count);
};
