#include "data/KLineCacheFile.h"

#include <cstring>

#include "data/KLineSeries.h"

namespace {

void PutU32(std::string& out, uint32_t value) {
  char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                   static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
  out.append(bytes, 4);
}

void PutU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value));
  out.push_back(static_cast<char>(value >> 8));
}

void PutFloat(std::string& out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  PutU32(out, bits);
}

void PutI64(std::string& out, int64_t value) {
  const uint64_t bits = static_cast<uint64_t>(value);
  PutU32(out, static_cast<uint32_t>(bits));
  PutU32(out, static_cast<uint32_t>(bits >> 32));
}

// Reads little-endian values from a buffer whose length the caller checked.
class Reader {
 public:
  explicit Reader(const char* data) : m_p(reinterpret_cast<const unsigned char*>(data)) {}
  uint32_t U32() {
    const uint32_t value = m_p[0] | (m_p[1] << 8) | (m_p[2] << 16) | (uint32_t(m_p[3]) << 24);
    m_p += 4;
    return value;
  }
  uint16_t U16() {
    const uint16_t value = static_cast<uint16_t>(m_p[0] | (m_p[1] << 8));
    m_p += 2;
    return value;
  }
  float Float() {
    const uint32_t bits = U32();
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
  }
  int64_t I64() {
    const uint64_t low = U32();
    const uint64_t high = U32();
    return static_cast<int64_t>(low | (high << 32));
  }
  void Bytes(void* out, size_t n) {
    std::memcpy(out, m_p, n);
    m_p += n;
  }

 private:
  const unsigned char* m_p;
};

}  // namespace

std::string KLineCacheCodec::Encode(const CKLineSeries& series) {
  const int count = series.m_nCount > 0 ? series.m_nCount : 0;
  std::string out;
  out.reserve(kKLineCacheHeaderSize + kKLineCacheBytesPerBar * static_cast<size_t>(count));
  PutU32(out, kKLineCacheVersion);
  PutU32(out, series.m_Stock);
  out.append(reinterpret_cast<const char*>(series.m_Reserved), CKLineSeries::kReservedBytes);
  PutU32(out, series.m_nDataType);
  PutU16(out, series.m_nVariant);
  PutU32(out, static_cast<uint32_t>(count));
  for (int i = 0; i < count; ++i) {
    const KLineBar& bar = series.m_Bars[i];
    PutI64(out, bar.time);
    PutFloat(out, bar.open);
    PutFloat(out, bar.high);
    PutFloat(out, bar.low);
    PutFloat(out, bar.close);
    PutFloat(out, bar.volume);
    PutFloat(out, bar.amount);
    PutU32(out, bar.extra);
  }
  for (int i = 0; i < count; ++i) PutU32(out, series.m_Flags[i]);
  for (int i = 0; i < count; ++i) PutFloat(out, series.m_Value1[i]);
  for (int i = 0; i < count; ++i) PutFloat(out, series.m_Value2[i]);
  return out;
}

KLineCacheResult KLineCacheCodec::Decode(const char* data, size_t size, CKLineSeries* series) {
  if (size < 4) {
    series->Clear();
    return KLineCacheResult::kTruncated;
  }
  Reader reader(data);
  if (reader.U32() != kKLineCacheVersion) return KLineCacheResult::kBadVersion;
  series->Clear();
  if (size < kKLineCacheHeaderSize) return KLineCacheResult::kTruncated;

  // From here on the series bears the file's identity.
  series->m_Stock = reader.U32();
  reader.Bytes(series->m_Reserved, CKLineSeries::kReservedBytes);
  series->m_nDataType = reader.U32();
  series->m_nVariant = reader.U16();
  if (series->m_nVariant >= CKLineSeries::kVariantLimit) return KLineCacheResult::kBadVariant;
  const int32_t count = static_cast<int32_t>(reader.U32());
  if (count < 0 || count > kKLineCacheMaxBars ||
      size != kKLineCacheHeaderSize + kKLineCacheBytesPerBar * static_cast<size_t>(count)) {
    return KLineCacheResult::kBadSize;
  }
  if (count == 0) return KLineCacheResult::kLoaded;

  series->Reserve((count / CKLineSeries::kGrowth + 1) * CKLineSeries::kGrowth);
  for (int i = 0; i < count; ++i) {
    KLineBar& bar = series->m_Bars[i];
    bar.time = reader.I64();
    bar.open = reader.Float();
    bar.high = reader.Float();
    bar.low = reader.Float();
    bar.close = reader.Float();
    bar.volume = reader.Float();
    bar.amount = reader.Float();
    bar.extra = reader.U32();
  }
  for (int i = 0; i < count; ++i) series->m_Flags[i] = reader.U32();
  for (int i = 0; i < count; ++i) series->m_Value1[i] = reader.Float();
  for (int i = 0; i < count; ++i) series->m_Value2[i] = reader.Float();
  series->m_nCount = count;
  return KLineCacheResult::kLoaded;
}
