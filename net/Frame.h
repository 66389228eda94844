// Frames of the market-data link: the 28-byte header in front of every
// message body, in both directions, and the body's optional zlib
// compression. Pure functions on bytes; the TCP client (ClientNet.h) and the
// stand-in server both frame and unframe through this file alone.
//
// Frame header, little-endian, no padding, followed by the body:
//
//   offset  size  content
//        0     8  signature, the ASCII text "qwt48306" (no terminator)
//        8     4  flags: bits 24-27 the compression method (0 none,
//                 1 zlib "compress" format); every other bit 0
//       12     4  0
//       16     4  0
//       20     4  body length: the number of body bytes that follow
//       24     4  uncompressed length: the body's length before
//                 compression; 0 when the body is not compressed
//
// A sender builds the header from zeros. A receiver checks the signature and
// that the body length is neither 0 nor above kMaxFrameLength, and that a
// stated uncompressed length is not above it either; it ignores bytes 12-19
// and the flag bits outside 24-27. Those checks decide whether the link can
// go on (a failed one closes it). A frame that passes them but whose body
// cannot be decoded (an unknown method, a body that does not inflate to
// exactly its stated length) is skipped and the link goes on.
//
// Bodies of kCompressThreshold bytes or more are compressed when zlib makes
// them shorter; a body that zlib cannot shrink goes out as it is, method 0,
// so that no message is ever refused for its content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct FrameHeader {
  static constexpr size_t kOffsetSignature = 0;
  static constexpr size_t kSignatureSize = 8;
  static constexpr size_t kOffsetFlags = 8;
  static constexpr size_t kOffsetReserved1 = 12;
  static constexpr size_t kOffsetReserved2 = 16;
  static constexpr size_t kOffsetBodyLength = 20;
  static constexpr size_t kOffsetUncompressedLength = 24;
  static constexpr size_t kSize = 28;

  static constexpr unsigned kMethodShift = 24;
  static constexpr uint32_t kMethodMask = 0xFu << kMethodShift;

  // The signature bytes, ASCII whatever the compiler's character set.
  static const unsigned char kSignature[kSignatureSize];

  unsigned char signature[kSignatureSize] = {};
  uint32_t flags = 0;
  uint32_t reserved1 = 0;
  uint32_t reserved2 = 0;
  uint32_t bodyLength = 0;
  uint32_t uncompressedLength = 0;

  // A header with the signature, the method and both lengths, the rest 0.
  static FrameHeader Make(uint32_t method, uint32_t bodyLength, uint32_t uncompressedLength);

  uint32_t Method() const { return (flags & kMethodMask) >> kMethodShift; }
  bool HasSignature() const;

  // Writes exactly kSize bytes to out.
  void Encode(unsigned char* out) const;
  // Reads exactly kSize bytes from in.
  static FrameHeader Decode(const unsigned char* in);
  // The header at the start of size bytes; false, out untouched, when fewer
  // than kSize bytes are there.
  static bool Decode(const unsigned char* in, size_t size, FrameHeader& out);
};

static_assert(FrameHeader::kOffsetFlags == FrameHeader::kOffsetSignature + FrameHeader::kSignatureSize,
              "the signature is 8 bytes");
static_assert(FrameHeader::kOffsetReserved1 == FrameHeader::kOffsetFlags + 4, "flags are 4 bytes");
static_assert(FrameHeader::kOffsetReserved2 == FrameHeader::kOffsetReserved1 + 4, "reserved word is 4 bytes");
static_assert(FrameHeader::kOffsetBodyLength == FrameHeader::kOffsetReserved2 + 4, "reserved word is 4 bytes");
static_assert(FrameHeader::kOffsetUncompressedLength == FrameHeader::kOffsetBodyLength + 4,
              "body length is 4 bytes");
static_assert(FrameHeader::kSize == FrameHeader::kOffsetUncompressedLength + 4, "the header is 28 bytes");

// Compression methods of the flags word.
constexpr uint32_t kFrameMethodNone = 0;
constexpr uint32_t kFrameMethodZlib = 1;

// Bodies this long or longer are offered to zlib.
constexpr uint32_t kCompressThreshold = 200;

// No body, compressed or not, is larger than 64 MiB; a header that says
// otherwise is corrupt or hostile, and nothing is allocated for it.
constexpr uint32_t kMaxFrameLength = 64u * 1024u * 1024u;

// What a receiver makes of a header.
enum class FrameHeaderCheck {
  kOk,
  kBadSignature,          // close the link
  kEmptyBody,             // close the link
  kBodyTooLong,           // close the link
  kUncompressedTooLong,   // close the link
};

FrameHeaderCheck CheckFrameHeader(const FrameHeader& header);
const char* FrameHeaderCheckText(FrameHeaderCheck check);

// What a receiver makes of a body that passed the header check.
enum class FrameBodyResult {
  kOk,
  kUnknownMethod,   // skip the frame, keep the link
  kBadCompression,  // skip the frame, keep the link
};

// Turns the body of a checked header into the message bytes: a copy for
// method 0, the inflated bytes for method 1, which must inflate to exactly
// the uncompressed length. body must hold header.bodyLength bytes.
FrameBodyResult DecodeFrameBody(const FrameHeader& header, const void* body, size_t length,
                                std::string& out);

// Frames one message. False, with nothing produced, for an empty message or
// one longer than kMaxFrameLength (the receiver would refuse it).
bool EncodeFrame(const void* data, size_t length, FrameHeader& header, std::string& body);

// Header and body as one byte string, ready to be written.
std::string FrameBytes(const FrameHeader& header, const std::string& body);
