#include "updater/format/PackageList.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/sys/ByteOrder.h"
#include "platform/sys/GbkText.h"

namespace kiv {

namespace {

bool MagicMatches(const unsigned char* field) {
  for (size_t i = 0; i + 1 < kPackageMagicBytes; ++i) {
    unsigned char c = field[i];
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    if (c != static_cast<unsigned char>(kPackageMagic[i])) return false;
  }
  // Compared as a zero-terminated text: the zero must close it.
  return field[kPackageMagicBytes - 1] == 0;
}

// Inflates `body` into *out, which ends up exactly `size` bytes long.
PackageListStatus InflateBody(std::string_view body, uint32_t size, std::string* out) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return PackageListStatus::kBadStream;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data()));
  stream.avail_in = static_cast<uInt>(body.size());
  // The output grows with what actually inflates, in steps, so a header
  // that promises much over a tiny stream costs nothing.
  constexpr size_t kStep = size_t(256) << 10;
  unsigned char chunk[16384];
  PackageListStatus status = PackageListStatus::kOk;
  for (;;) {
    stream.next_out = chunk;
    stream.avail_out = sizeof chunk;
    const int result = inflate(&stream, Z_NO_FLUSH);
    const size_t produced = sizeof chunk - stream.avail_out;
    if (produced > size - out->size()) {
      status = PackageListStatus::kStreamTooLong;
      break;
    }
    if (out->capacity() < out->size() + produced) {
      out->reserve(std::min<size_t>(size, std::max(out->capacity() * 2, out->size() + produced + kStep)));
    }
    out->append(reinterpret_cast<const char*>(chunk), produced);
    if (result == Z_STREAM_END) {
      if (out->size() != size) status = PackageListStatus::kBadStream;
      else if (stream.avail_in != 0) status = PackageListStatus::kTrailingBytes;
      break;
    }
    if (result != Z_OK) {  // Z_BUF_ERROR here: the input ended inside the stream
      status = PackageListStatus::kBadStream;
      break;
    }
  }
  inflateEnd(&stream);
  if (status != PackageListStatus::kOk) out->clear();
  return status;
}

// A text field: the bytes before its zero, which must lie within the field.
bool ReadText(const char* field, std::string* text) {
  const void* zero = std::memchr(field, 0, kPackageTextBytes);
  if (!zero) return false;
  text->assign(field, static_cast<const char*>(zero) - field);
  return true;
}

}  // namespace

const char* PackageListStatusName(PackageListStatus status) {
  switch (status) {
    case PackageListStatus::kOk: return "ok";
    case PackageListStatus::kShortHeader: return "short header";
    case PackageListStatus::kBadMagic: return "bad magic";
    case PackageListStatus::kWrongType: return "wrong type";
    case PackageListStatus::kBadSize: return "bad size";
    case PackageListStatus::kTooLarge: return "file too large";
    case PackageListStatus::kBadStream: return "bad stream";
    case PackageListStatus::kStreamTooLong: return "stream too long";
    case PackageListStatus::kTrailingBytes: return "trailing bytes";
    case PackageListStatus::kUnterminatedText: return "unterminated text";
  }
  return "unknown";
}

PackageListStatus ReadPackageList(std::string_view file, int32_t expectedType, std::vector<PackageRecord>* records) {
  records->clear();
  if (file.size() > kMaxPackageFileBytes) return PackageListStatus::kTooLarge;
  if (file.size() < kPackageHeaderBytes) return PackageListStatus::kShortHeader;
  const auto* header = reinterpret_cast<const unsigned char*>(file.data());
  if (!MagicMatches(header + kPackageMagicOffset)) return PackageListStatus::kBadMagic;
  if (static_cast<int32_t>(LoadLe32(header + kPackageTypeOffset)) != expectedType) {
    return PackageListStatus::kWrongType;
  }
  const uint32_t size = LoadLe32(header + kPackageUnpackedSizeOffset);
  if (size > kMaxPackageUnpackedBytes || size % kPackageRecordBytes != 0) return PackageListStatus::kBadSize;

  std::string body;
  const PackageListStatus inflated = InflateBody(file.substr(kPackageHeaderBytes), size, &body);
  if (inflated != PackageListStatus::kOk) return inflated;

  std::vector<PackageRecord> read(size / kPackageRecordBytes);
  for (size_t i = 0; i < read.size(); ++i) {
    const char* record = body.data() + i * kPackageRecordBytes;
    if (!ReadText(record + kPackageNameOffset, &read[i].name) || !ReadText(record + kPackageDirOffset, &read[i].dir)) {
      return PackageListStatus::kUnterminatedText;
    }
    read[i].minor = static_cast<int32_t>(LoadLe32(record + kPackageMinorOffset));
    read[i].major = static_cast<int32_t>(LoadLe32(record + kPackageMajorOffset));
  }
  *records = std::move(read);
  return PackageListStatus::kOk;
}

bool WritePackageList(const std::vector<PackageRecord>& records, int32_t type, std::string* file) {
  file->clear();
  if (records.size() > kMaxPackageRecords) return false;
  std::string body(records.size() * kPackageRecordBytes, '\0');
  for (size_t i = 0; i < records.size(); ++i) {
    const PackageRecord& r = records[i];
    // A zero inside a text would end it early: such a name is not writable.
    if (r.name.size() >= kPackageTextBytes || r.dir.size() >= kPackageTextBytes ||
        r.name.find('\0') != std::string::npos || r.dir.find('\0') != std::string::npos) {
      return false;
    }
    char* record = body.data() + i * kPackageRecordBytes;
    std::memcpy(record + kPackageNameOffset, r.name.data(), r.name.size());
    std::memcpy(record + kPackageDirOffset, r.dir.data(), r.dir.size());
    StoreLe32(record + kPackageMinorOffset, static_cast<uint32_t>(r.minor));
    StoreLe32(record + kPackageMajorOffset, static_cast<uint32_t>(r.major));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(body.size()));
  std::string packed(packedSize, '\0');
  if (compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(body.data()),
               static_cast<uLong>(body.size())) != Z_OK) {
    return false;
  }
  packed.resize(packedSize);
  std::string out(kPackageHeaderBytes, '\0');
  std::memcpy(out.data() + kPackageMagicOffset, kPackageMagic, sizeof kPackageMagic);
  StoreLe32(out.data() + kPackageTypeOffset, static_cast<uint32_t>(type));
  StoreLe32(out.data() + kPackageUnpackedSizeOffset, static_cast<uint32_t>(body.size()));
  out += packed;
  *file = std::move(out);
  return true;
}

std::string PackageIdentityKey(const PackageRecord& record) {
  // The zero cannot occur in either text, so it keeps ("ab", "c") and
  // ("a", "bc") apart.
  std::string key = FoldCaseGbk(record.name);
  key += '\0';
  key += FoldCaseGbk(record.dir);
  return key;
}

int DiffPackageLists(const std::vector<PackageRecord>& installed, const std::vector<PackageRecord>& current,
                     std::vector<PackageRecord>* updates) {
  updates->clear();
  // Per identity, the oldest installed version: a current record is fetched
  // when any installed record of its identity is older, which is when the
  // oldest one is.
  std::unordered_map<std::string, const PackageRecord*> oldest;
  oldest.reserve(installed.size());
  for (const PackageRecord& record : installed) {
    auto placed = oldest.emplace(PackageIdentityKey(record), &record);
    if (!placed.second && IsOlderVersion(record, *placed.first->second)) placed.first->second = &record;
  }
  for (const PackageRecord& record : current) {
    auto found = oldest.find(PackageIdentityKey(record));
    if (found == oldest.end() || IsOlderVersion(*found->second, record)) updates->push_back(record);
  }
  return 1;
}

}  // namespace kiv
