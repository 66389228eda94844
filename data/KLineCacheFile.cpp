#include "data/KLineCacheFile.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "data/KLineSeries.h"
#include "platform/sys/ByteOrder.h"

// The bar section is read straight into the bars: their memory layout must
// be the file's, field for field.
static_assert(sizeof(KLineBar) == 36, "a bar is 36 bytes");
static_assert(offsetof(KLineBar, time) == 0 && offsetof(KLineBar, open) == 8 &&
                  offsetof(KLineBar, high) == 12 && offsetof(KLineBar, low) == 16 &&
                  offsetof(KLineBar, close) == 20 && offsetof(KLineBar, volume) == 24 &&
                  offsetof(KLineBar, amount) == 28 && offsetof(KLineBar, extra) == 32,
              "a bar in memory is laid out as in the file");
static_assert(kKLineCacheBytesPerBar == sizeof(KLineBar) + 3 * 4, "a bar, its flags and two values");

namespace {

// Reads up to size bytes; fewer only at the end of the file or on an error.
size_t ReadUpTo(int fd, unsigned char* out, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::read(fd, out + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

// Fills the buffers in order; false when the file ends or fails first.
bool ReadAll(int fd, iovec* parts, int count) {
  while (count > 0) {
    const ssize_t got = ::readv(fd, parts, count);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    size_t left = static_cast<size_t>(got);
    while (count > 0 && left >= parts->iov_len) {
      left -= parts->iov_len;
      ++parts;
      --count;
    }
    if (count > 0) {
      parts->iov_base = static_cast<char*>(parts->iov_base) + left;
      parts->iov_len -= left;
    }
  }
  return true;
}

}  // namespace

std::string KLineCacheCodec::Encode(const CKLineSeries& series) {
  const int count = series.count_ > 0 ? series.count_ : 0;
  std::string out;
  out.reserve(kKLineCacheHeaderSize + kKLineCacheBytesPerBar * static_cast<size_t>(count));
  kiv::ByteWriter writer(&out);
  writer.Le32(kKLineCacheVersion)
      .Le32(series.stock_)
      .Bytes(series.reserved_, CKLineSeries::kReservedBytes)
      .Le32(series.dataType_)
      .Le16(series.variant_)
      .Le32(static_cast<uint32_t>(count));
  const size_t n = static_cast<size_t>(count);
  if constexpr (kiv::kHostIsLittleEndian) {
    // The sections are the arrays' own bytes (see the top of the header).
    writer.Bytes(series.bars_.data(), sizeof(KLineBar) * n)
        .Bytes(series.flags_.data(), sizeof(uint32_t) * n)
        .Bytes(series.value1_.data(), sizeof(float) * n)
        .Bytes(series.value2_.data(), sizeof(float) * n);
    return out;
  }
  for (int i = 0; i < count; ++i) {
    const KLineBar& bar = series.bars_[i];
    writer.Le64(static_cast<uint64_t>(bar.time))
        .LeFloat(bar.open)
        .LeFloat(bar.high)
        .LeFloat(bar.low)
        .LeFloat(bar.close)
        .LeFloat(bar.volume)
        .LeFloat(bar.amount)
        .Le32(bar.extra);
  }
  for (int i = 0; i < count; ++i) writer.Le32(series.flags_[i]);
  for (int i = 0; i < count; ++i) writer.LeFloat(series.value1_[i]);
  for (int i = 0; i < count; ++i) writer.LeFloat(series.value2_[i]);
  return out;
}

KLineCacheResult KLineCacheCodec::ReadHeader(const unsigned char* bytes, size_t available,
                                             uint64_t fileSize, CKLineSeries* series,
                                             int32_t* count) {
  kiv::ByteReader reader(bytes, available);
  const uint32_t version = reader.Le32();
  if (!reader.Ok()) {
    series->Clear();
    return KLineCacheResult::kTruncated;
  }
  if (version != kKLineCacheVersion) return KLineCacheResult::kBadVersion;
  series->Clear();
  const StockId stock = reader.Le32();
  unsigned char reserved[CKLineSeries::kReservedBytes] = {};
  reader.Bytes(reserved, sizeof reserved);
  const uint32_t dataType = reader.Le32();
  const uint16_t variant = reader.Le16();
  const int32_t bars = static_cast<int32_t>(reader.Le32());
  if (!reader.Ok()) return KLineCacheResult::kTruncated;

  // From here on the series bears the file's identity.
  series->stock_ = stock;
  std::memcpy(series->reserved_, reserved, sizeof reserved);
  series->dataType_ = dataType;
  series->variant_ = variant;
  if (variant >= CKLineSeries::kVariantLimit) return KLineCacheResult::kBadVariant;
  if (bars < 0 || bars > kKLineCacheMaxBars ||
      fileSize != kKLineCacheHeaderSize + kKLineCacheBytesPerBar * static_cast<uint64_t>(bars)) {
    return KLineCacheResult::kBadSize;
  }
  *count = bars;
  return KLineCacheResult::kLoaded;
}

void KLineCacheCodec::ToHostOrder(CKLineSeries* series, int32_t count) {
  if constexpr (!kiv::kHostIsLittleEndian) {
    for (int32_t i = 0; i < count; ++i) {
      KLineBar& bar = series->bars_[i];
      unsigned char bytes[sizeof(KLineBar)];
      std::memcpy(bytes, &bar, sizeof bytes);
      bar.time = static_cast<int64_t>(kiv::LoadLe64(bytes + 0));
      bar.open = kiv::LoadLeFloat(bytes + 8);
      bar.high = kiv::LoadLeFloat(bytes + 12);
      bar.low = kiv::LoadLeFloat(bytes + 16);
      bar.close = kiv::LoadLeFloat(bytes + 20);
      bar.volume = kiv::LoadLeFloat(bytes + 24);
      bar.amount = kiv::LoadLeFloat(bytes + 28);
      bar.extra = kiv::LoadLe32(bytes + 32);
      series->flags_[i] = kiv::LoadLe32(&series->flags_[i]);
      series->value1_[i] = kiv::LoadLeFloat(&series->value1_[i]);
      series->value2_[i] = kiv::LoadLeFloat(&series->value2_[i]);
    }
  }
}

template <class Fill>
KLineCacheResult KLineCacheCodec::Load(const unsigned char* header, size_t available,
                                       uint64_t fileSize, CKLineSeries* series, Fill fill) {
  int32_t count = 0;
  const KLineCacheResult result = ReadHeader(header, available, fileSize, series, &count);
  if (result != KLineCacheResult::kLoaded || count == 0) return result;
  series->ReserveForLoad(count);
  const size_t n = static_cast<size_t>(count);
  Section sections[kSections] = {
      {series->bars_.data(), sizeof(KLineBar) * n},
      {series->flags_.data(), sizeof(uint32_t) * n},
      {series->value1_.data(), sizeof(float) * n},
      {series->value2_.data(), sizeof(float) * n},
  };
  if (!fill(sections)) {
    series->Clear();  // no partial series
    return KLineCacheResult::kTruncated;
  }
  ToHostOrder(series, count);
  series->count_ = count;
  return KLineCacheResult::kLoaded;
}

KLineCacheResult KLineCacheCodec::Decode(const char* data, size_t size, CKLineSeries* series) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
  return Load(bytes, size, size, series, [bytes](Section (&sections)[kSections]) {
    // The header's check against the size vouches for every section's bytes.
    const unsigned char* from = bytes + kKLineCacheHeaderSize;
    for (const Section& section : sections) {
      std::memcpy(section.data, from, section.bytes);
      from += section.bytes;
    }
    return true;
  });
}

KLineCacheResult KLineCacheCodec::ReadFile(int fd, uint64_t fileSize, CKLineSeries* series) {
  unsigned char header[kKLineCacheHeaderSize];
  const size_t got = ReadUpTo(fd, header, sizeof header);
  return Load(header, got, fileSize, series, [fd](Section (&sections)[kSections]) {
    iovec parts[kSections];
    for (int i = 0; i < kSections; ++i) parts[i] = {sections[i].data, sections[i].bytes};
    return ReadAll(fd, parts, kSections);
  });
}
