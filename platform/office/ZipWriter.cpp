#include "platform/office/ZipWriter.h"

#include <zlib.h>

#include <limits>

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

void Put16(std::string* out, uint16_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>(value >> 8));
}

void Put32(std::string* out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out->push_back(static_cast<char>((value >> shift) & 0xFF));
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

  Put32(&data_, kLocalHeaderSignature);
  Put16(&data_, kVersion);
  Put16(&data_, 0);  // flags
  Put16(&data_, kMethodDeflate);
  Put16(&data_, kDosTime);
  Put16(&data_, kDosDate);
  Put32(&data_, crc);
  Put32(&data_, static_cast<uint32_t>(packed.size()));
  Put32(&data_, static_cast<uint32_t>(content.size()));
  Put16(&data_, static_cast<uint16_t>(name.size()));
  Put16(&data_, 0);  // extra field length
  data_ += name;
  data_ += packed;

  Put32(&directory_, kCentralHeaderSignature);
  Put16(&directory_, kVersion);  // made by (MS-DOS attributes)
  Put16(&directory_, kVersion);  // needed to extract
  Put16(&directory_, 0);
  Put16(&directory_, kMethodDeflate);
  Put16(&directory_, kDosTime);
  Put16(&directory_, kDosDate);
  Put32(&directory_, crc);
  Put32(&directory_, static_cast<uint32_t>(packed.size()));
  Put32(&directory_, static_cast<uint32_t>(content.size()));
  Put16(&directory_, static_cast<uint16_t>(name.size()));
  Put16(&directory_, 0);  // extra field length
  Put16(&directory_, 0);  // comment length
  Put16(&directory_, 0);  // disk number
  Put16(&directory_, 0);  // internal attributes
  Put32(&directory_, 0);  // external attributes
  Put32(&directory_, static_cast<uint32_t>(offset));
  directory_ += name;
  ++count_;
  return true;
}

std::string ZipWriter::Finish() {
  if (failed_ || static_cast<uint64_t>(data_.size()) + directory_.size() + 22 >= kMax32)
    return std::string();
  std::string archive = std::move(data_);
  const uint32_t directoryOffset = static_cast<uint32_t>(archive.size());
  archive += directory_;
  Put32(&archive, kEndSignature);
  Put16(&archive, 0);  // this disk
  Put16(&archive, 0);  // disk of the directory
  Put16(&archive, static_cast<uint16_t>(count_));
  Put16(&archive, static_cast<uint16_t>(count_));
  Put32(&archive, static_cast<uint32_t>(directory_.size()));
  Put32(&archive, directoryOffset);
  Put16(&archive, 0);  // comment length
  data_.clear();
  directory_.clear();
  failed_ = true;  // spent
  return archive;
}

}  // namespace kiv::office
