// A ZIP archive built in memory, as an Office Open XML package needs it:
// every member deflated (zlib, raw deflate) with its CRC-32, then the
// central directory. No ZIP64: an archive or member of 4 GiB or more, or
// more than 65535 members, is refused. Members carry a fixed time stamp
// (1980-01-01 00:00), so the same content always gives the same bytes.
//
// Layout written, all numbers little-endian:
//   per member: local header (30 bytes + name), deflated data
//   per member: central directory header (46 bytes + name)
//   end of central directory (22 bytes)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kiv::office {

class ZipWriter {
 public:
  // Adds a member; name is a relative path with '/' separators. False
  // when the member or the archive would be too large, or deflate fails.
  bool Add(const std::string& name, std::string_view content);
  // The archive; the writer is spent afterwards. Empty on failure.
  std::string Finish();

 private:
  std::string data_;
  std::string directory_;
  uint32_t count_ = 0;
  bool failed_ = false;
};

}  // namespace kiv::office
