#include "platform/office/ZipWriter.h"

#include <zlib.h>

#include <limits>

#include "platform/sys/ByteOrder.h"

namespace kiv::office {

namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint16_t kVersion = 20;  // 2.0: deflate
constexpr uint16_t kMethodDeflate = 8;
constexpr uint16_t kDosTime = 0;                        // 00:00:00
constexpr uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;  // 1980-01-01
constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();

// The fields that the local header and the central directory header share,
// from "version needed to extract" to "extra field length".
void PutMemberFields(ByteWriter& out, uint32_t crc, uint32_t packedSize, uint32_t size,
                     uint16_t nameLength) {
  out.Le16(kVersion)  // needed to extract
      .Le16(0)        // flags
      .Le16(kMethodDeflate)
      .Le16(kDosTime)
      .Le16(kDosDate)
      .Le32(crc)
      .Le32(packedSize)
      .Le32(size)
      .Le16(nameLength)
      .Le16(0);  // extra field length
}

bool Deflate(std::string_view input, std::string* output) {
  z_stream stream{};
  // Negative window bits: raw deflate, as ZIP stores it (no zlib header).
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK)
    return false;
  output->resize(deflateBound(&stream, static_cast<uLong>(input.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = reinterpret_cast<Bytef*>(&(*output)[0]);
  stream.avail_out = static_cast<uInt>(output->size());
  int result = deflate(&stream, Z_FINISH);
  output->resize(stream.total_out);
  deflateEnd(&stream);
  return result == Z_STREAM_END;
}

}  // namespace

bool ZipWriter::Add(const std::string& name, std::string_view content) {
  if (failed_) return false;
  std::string packed;
  if (name.empty() || name.size() > 0xFFFF || content.size() >= kMax32 || count_ >= 0xFFFF ||
      !Deflate(content, &packed)) {
    failed_ = true;
    return false;
  }
  const uint64_t offset = data_.size();
  if (offset + 30 + name.size() + packed.size() >= kMax32) {
    failed_ = true;
    return false;
  }
  const uint32_t crc = static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                                   reinterpret_cast<const Bytef*>(content.data()),
                                                   static_cast<uInt>(content.size())));

  const uint32_t packedSize = static_cast<uint32_t>(packed.size());
  const uint32_t size = static_cast<uint32_t>(content.size());
  const uint16_t nameLength = static_cast<uint16_t>(name.size());

  ByteWriter local(&data_);
  local.Le32(kLocalHeaderSignature);
  PutMemberFields(local, crc, packedSize, size, nameLength);
  local.Bytes(name.data(), name.size()).Bytes(packed.data(), packed.size());

  ByteWriter central(&directory_);
  central.Le32(kCentralHeaderSignature).Le16(kVersion);  // made by (MS-DOS attributes)
  PutMemberFields(central, crc, packedSize, size, nameLength);
  central.Le16(0)  // comment length
      .Le16(0)     // disk number
      .Le16(0)     // internal attributes
      .Le32(0)     // external attributes
      .Le32(static_cast<uint32_t>(offset))
      .Bytes(name.data(), name.size());
  ++count_;
  return true;
}

std::string ZipWriter::Finish() {
  if (failed_ || static_cast<uint64_t>(data_.size()) + directory_.size() + 22 >= kMax32)
    return std::string();
  std::string archive = std::move(data_);
  const uint32_t directoryOffset = static_cast<uint32_t>(archive.size());
  archive += directory_;
  ByteWriter(&archive)
      .Le32(kEndSignature)
      .Le16(0)  // this disk
      .Le16(0)  // disk of the directory
      .Le16(static_cast<uint16_t>(count_))
      .Le16(static_cast<uint16_t>(count_))
      .Le32(static_cast<uint32_t>(directory_.size()))
      .Le32(directoryOffset)
      .Le16(0);  // comment length
  data_.clear();
  directory_.clear();
  failed_ = true;  // spent
  return archive;
}

}  // namespace kiv::office
