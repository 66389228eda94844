// The test side's package list writer: good lists from records, and lists
// broken in one chosen way, byte by byte, for the reader's case tables, the
// engine's tests and the stand-in's update folder.
//
//   PackageListMaker list;
//   list.records = {Record("a.dll", "\\", 1, 5)};
//   list.declaredSize = 1000;          // not a whole number of records
//   std::string bytes = list.Bytes();
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys/ByteOrder.h"
#include "updater/format/PackageList.h"

namespace kiv::test {

inline PackageRecord Record(const std::string& name, const std::string& dir, int32_t major, int32_t minor) {
  PackageRecord record;
  record.name = name;
  record.dir = dir;
  record.major = major;
  record.minor = minor;
  return record;
}

// One 528-byte record as the server would write it; the texts are copied
// without any check, so a text of 260 bytes leaves its field without a zero.
inline std::string RawRecord(const std::string& name, const std::string& dir, int32_t major, int32_t minor) {
  std::string raw(kPackageRecordBytes, '\0');
  std::memcpy(&raw[kPackageNameOffset], name.data(), std::min(name.size(), kPackageTextBytes));
  std::memcpy(&raw[kPackageDirOffset], dir.data(), std::min(dir.size(), kPackageTextBytes));
  StoreLe32(&raw[kPackageMinorOffset], static_cast<uint32_t>(minor));
  StoreLe32(&raw[kPackageMajorOffset], static_cast<uint32_t>(major));
  return raw;
}

inline std::string Deflate(const std::string& body) {
  uLongf size = compressBound(static_cast<uLong>(body.size()));
  std::string packed(size, '\0');
  compress(reinterpret_cast<Bytef*>(&packed[0]), &size, reinterpret_cast<const Bytef*>(body.data()),
           static_cast<uLong>(body.size()));
  packed.resize(size);
  return packed;
}

struct PackageListMaker {
  std::vector<PackageRecord> records;
  int32_t type = 0;
  // The 16 bytes of the magic field; shorter text is zero-filled.
  std::string magic = std::string(kPackageMagic, sizeof kPackageMagic);
  std::string reserved = std::string(24, '\0');
  // Raw inflated body instead of the records' own.
  std::optional<std::string> body;
  // Unpacked size written in the header instead of the body's length.
  std::optional<uint32_t> declaredSize;
  // The whole zlib part instead of the deflated body.
  std::optional<std::string> stream;
  // Bytes of the zlib part dropped from its end.
  size_t cutStream = 0;
  // Bytes after the zlib part.
  std::string trailing;

  std::string Body() const {
    if (body) return *body;
    std::string raw;
    for (const PackageRecord& r : records) raw += RawRecord(r.name, r.dir, r.major, r.minor);
    return raw;
  }

  std::string Bytes() const {
    const std::string inflated = Body();
    std::string packed = stream ? *stream : Deflate(inflated);
    packed.resize(packed.size() - std::min(cutStream, packed.size()));
    std::string out(kPackageHeaderBytes, '\0');
    std::memcpy(&out[kPackageMagicOffset], magic.data(), std::min(magic.size(), kPackageMagicBytes));
    std::memcpy(&out[kPackageReservedOffset], reserved.data(), std::min<size_t>(reserved.size(), 24));
    StoreLe32(&out[kPackageTypeOffset], static_cast<uint32_t>(type));
    StoreLe32(&out[kPackageUnpackedSizeOffset], declaredSize ? *declaredSize : static_cast<uint32_t>(inflated.size()));
    return out + packed + trailing;
  }
};

}  // namespace kiv::test
