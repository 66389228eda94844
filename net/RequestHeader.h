// The 24-byte header that opens every market-data message: it travels as a
// type-8 field (FIELD_REQUEST_HEADER) of the outer record set, beside the
// payload pack. The connection manager stamps it on requests and routes
// replies by its request id.
//
// Wire layout, little-endian, no padding:
//
//   offset  size  content
//        0     8  request id (unsigned)
//        8     8  flags: bits 27-30 a 4-bit argument, bit 31 no-resend,
//                 every other bit 0
//       16     4  type: a DataType, or a message type (push, heartbeat, ...)
//       20     4  extra word: 0 in requests; in replies handed to the
//                 reply handler as its third argument
//
// The in-memory struct is never copied to or from the wire as a block; use
// Encode and Decode, which go field by field.
#pragma once

#include <cstddef>
#include <cstdint>

struct RequestHeader {
  static constexpr size_t kOffsetRequestId = 0;
  static constexpr size_t kOffsetFlags = 8;
  static constexpr size_t kOffsetType = 16;
  static constexpr size_t kOffsetExtra = 20;
  static constexpr size_t kSize = 24;

  static constexpr unsigned kArgumentShift = 27;
  static constexpr uint64_t kArgumentMask = 0xFull << kArgumentShift;
  static constexpr uint64_t kNoResendFlag = 1ull << 31;

  uint64_t requestId = 0;
  uint64_t flags = 0;
  uint32_t type = 0;
  uint32_t extra = 0;

  // Flags word for a request: the argument keeps its low 4 bits only.
  static constexpr uint64_t MakeFlags(uint32_t argument, bool noResend) {
    return (static_cast<uint64_t>(argument & 0xFu) << kArgumentShift) |
           (noResend ? kNoResendFlag : 0);
  }
  uint32_t Argument() const { return static_cast<uint32_t>((flags & kArgumentMask) >> kArgumentShift); }
  bool NoResend() const { return (flags & kNoResendFlag) != 0; }

  // Writes exactly kSize bytes to out.
  void Encode(unsigned char* out) const;
  // Reads exactly kSize bytes from in.
  static RequestHeader Decode(const unsigned char* in);

  bool operator==(const RequestHeader& other) const {
    return requestId == other.requestId && flags == other.flags && type == other.type &&
           extra == other.extra;
  }
  bool operator!=(const RequestHeader& other) const { return !(*this == other); }
};

static_assert(RequestHeader::kOffsetFlags == RequestHeader::kOffsetRequestId + 8, "request id is 8 bytes");
static_assert(RequestHeader::kOffsetType == RequestHeader::kOffsetFlags + 8, "flags are 8 bytes");
static_assert(RequestHeader::kOffsetExtra == RequestHeader::kOffsetType + 4, "type is 4 bytes");
static_assert(RequestHeader::kSize == RequestHeader::kOffsetExtra + 4, "the header is 24 bytes");
