// The package list: the binary list of program files by which the updater
// decides what to fetch. The installed list is data.dat in the program
// folder; the current one is downloaded from the update server. Both have
// one layout, a 48-byte header and a zlib stream (RFC 1950) of 528-byte
// records:
//
//   PackageHeader, little-endian
//     offset  0  16 bytes  magic "KIVDATAUPPCBTOU" and a zero byte; compared
//                          without regard to ASCII case
//     offset 16  24 bytes  reserved (written as zeros, never read)
//     offset 40  int32     type: must equal config.ini's Type
//     offset 44  uint32    unpacked size: the exact length of the inflated
//                          body, a whole number of records
//   PackageRecord, 528 bytes of the inflated body
//     offset   0  260 bytes  name: GBK text and a zero, no path
//     offset 260  260 bytes  dir: GBK text and a zero, "\" for the program
//                            folder itself, "\sub\folder" below it
//     offset 520  int32      minor version
//     offset 524  int32      major version
//
// Lists come from the network and from files, so nothing in them is
// trusted: the unpacked size is bounded and checked to be a whole number of
// records before anything is inflated, memory grows only with bytes that
// actually inflate, the stream must end exactly at the unpacked size with
// no byte after it, and each text field must hold its zero within its own
// 260 bytes.
//
// Pure functions on bytes; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// PackageHeader.
constexpr size_t kPackageHeaderBytes = 48;
constexpr size_t kPackageMagicOffset = 0;
constexpr size_t kPackageMagicBytes = 16;
constexpr size_t kPackageReservedOffset = 16;
constexpr size_t kPackageTypeOffset = 40;
constexpr size_t kPackageUnpackedSizeOffset = 44;
static_assert(kPackageUnpackedSizeOffset + 4 == kPackageHeaderBytes, "the header ends with the unpacked size");
constexpr char kPackageMagic[] = "KIVDATAUPPCBTOU";
static_assert(sizeof kPackageMagic == kPackageMagicBytes, "the magic and its zero fill the field");

// PackageRecord.
constexpr size_t kPackageRecordBytes = 528;
constexpr size_t kPackageNameOffset = 0;
constexpr size_t kPackageDirOffset = 260;
constexpr size_t kPackageTextBytes = 260;  // name and dir, each with its zero
constexpr size_t kPackageMinorOffset = 520;
constexpr size_t kPackageMajorOffset = 524;
static_assert(kPackageDirOffset == kPackageNameOffset + kPackageTextBytes, "dir follows name");
static_assert(kPackageMinorOffset == kPackageDirOffset + kPackageTextBytes, "versions follow dir");
static_assert(kPackageMajorOffset + 4 == kPackageRecordBytes, "the record ends with the major version");

// The largest list accepted: far more files than any installation holds,
// and a bound on what a hostile header can make the reader inflate.
constexpr size_t kMaxPackageRecords = 65536;
constexpr uint32_t kMaxPackageUnpackedBytes = static_cast<uint32_t>(kMaxPackageRecords * kPackageRecordBytes);
// A list file larger than this is not read at all: deflate never makes a
// body much larger than its input, so no sound list comes near it.
constexpr size_t kMaxPackageFileBytes = size_t(64) << 20;

// The program folder's dir.
constexpr char kPackageRootDir[] = "\\";

struct PackageRecord {
  std::string name;  // GBK, at most 259 bytes
  std::string dir;   // GBK, at most 259 bytes
  int32_t minor = 0;
  int32_t major = 0;
};

// Why a list was not accepted; the caller sees an empty list either way.
enum class PackageListStatus {
  kOk,
  kShortHeader,     // fewer than 48 bytes
  kBadMagic,
  kWrongType,
  kBadSize,         // above the bound, or not a whole number of records
  kTooLarge,        // the file itself is beyond kMaxPackageFileBytes
  kBadStream,       // zlib failed, or the stream ended short of the size
  kStreamTooLong,   // the stream inflates to more than the size
  kTrailingBytes,   // bytes after the end of the stream
  kUnterminatedText,  // a name or dir without its zero
};

// A short English word for trace lines and test names.
const char* PackageListStatusName(PackageListStatus status);

// Reads a whole list file. On kOk *records holds the records in file order
// (none for a list of size 0); on any other status it is empty.
PackageListStatus ReadPackageList(std::string_view file, int32_t expectedType, std::vector<PackageRecord>* records);

// The bytes of a list of these records, type as given, reserved bytes zero.
// False (and *file empty) when a name or dir does not fit its field or the
// list is beyond the bound.
bool WritePackageList(const std::vector<PackageRecord>& records, int32_t type, std::string* file);

// Whether `installed` is older than `current`: the major version decides
// first, the minor one between equal majors.
inline bool IsOlderVersion(const PackageRecord& installed, const PackageRecord& current) {
  return installed.major < current.major || (installed.major == current.major && installed.minor < current.minor);
}

// A record's identity: (name, dir) with the ASCII letters of single-byte
// characters folded, so that two records are the same file when their keys
// are equal. A GBK character's trail byte is never folded.
std::string PackageIdentityKey(const PackageRecord& record);

// The records of `current` to fetch, in order: those no installed record
// has the identity of, and those some installed record of the same
// identity is older than. A file only installed is left alone. An empty
// installed list makes every current record an update. Records keep their
// versions. Returns 1.
//
// Looks each identity up in an index of the installed list, built once, so
// that the cost grows with the sum of the lengths, not their product.
int DiffPackageLists(const std::vector<PackageRecord>& installed, const std::vector<PackageRecord>& current,
                     std::vector<PackageRecord>* updates);

}  // namespace kiv
