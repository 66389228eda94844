#include "net/Frame.h"

#include <zlib.h>

#include <cstring>

namespace {

void PutFrameWord(unsigned char* out, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t GetFrameWord(const unsigned char* in) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(in[i]) << (8 * i);
  return value;
}

}  // namespace

// Spelled as bytes so that a GBK execution character set cannot touch it.
const unsigned char FrameHeader::kSignature[FrameHeader::kSignatureSize] = {'q', 'w', 't', '4',
                                                                            '8', '3', '0', '6'};

FrameHeader FrameHeader::Make(uint32_t method, uint32_t bodyLength, uint32_t uncompressedLength) {
  FrameHeader header;
  std::memcpy(header.signature, kSignature, kSignatureSize);
  header.flags = (method << kMethodShift) & kMethodMask;
  header.bodyLength = bodyLength;
  header.uncompressedLength = uncompressedLength;
  return header;
}

bool FrameHeader::HasSignature() const {
  return std::memcmp(signature, kSignature, kSignatureSize) == 0;
}

void FrameHeader::Encode(unsigned char* out) const {
  std::memcpy(out + kOffsetSignature, signature, kSignatureSize);
  PutFrameWord(out + kOffsetFlags, flags);
  PutFrameWord(out + kOffsetReserved1, reserved1);
  PutFrameWord(out + kOffsetReserved2, reserved2);
  PutFrameWord(out + kOffsetBodyLength, bodyLength);
  PutFrameWord(out + kOffsetUncompressedLength, uncompressedLength);
}

FrameHeader FrameHeader::Decode(const unsigned char* in) {
  FrameHeader header;
  std::memcpy(header.signature, in + kOffsetSignature, kSignatureSize);
  header.flags = GetFrameWord(in + kOffsetFlags);
  header.reserved1 = GetFrameWord(in + kOffsetReserved1);
  header.reserved2 = GetFrameWord(in + kOffsetReserved2);
  header.bodyLength = GetFrameWord(in + kOffsetBodyLength);
  header.uncompressedLength = GetFrameWord(in + kOffsetUncompressedLength);
  return header;
}

FrameHeaderCheck CheckFrameHeader(const FrameHeader& header) {
  if (!header.HasSignature()) return FrameHeaderCheck::kBadSignature;
  if (header.bodyLength == 0) return FrameHeaderCheck::kEmptyBody;
  if (header.bodyLength > kMaxFrameLength) return FrameHeaderCheck::kBodyTooLong;
  // Checked whatever the method says: the length sizes the inflate buffer,
  // and a sender that states a huge one is not to be trusted with the rest.
  if (header.uncompressedLength > kMaxFrameLength) return FrameHeaderCheck::kUncompressedTooLong;
  return FrameHeaderCheck::kOk;
}

const char* FrameHeaderCheckText(FrameHeaderCheck check) {
  switch (check) {
    case FrameHeaderCheck::kOk: return "ok";
    case FrameHeaderCheck::kBadSignature: return "bad signature";
    case FrameHeaderCheck::kEmptyBody: return "empty body";
    case FrameHeaderCheck::kBodyTooLong: return "body length too large";
    case FrameHeaderCheck::kUncompressedTooLong: return "uncompressed length too large";
  }
  return "unknown";
}

FrameBodyResult DecodeFrameBody(const FrameHeader& header, const void* body, size_t length,
                                std::string& out) {
  out.clear();
  switch (header.Method()) {
    case kFrameMethodNone:
      out.assign(static_cast<const char*>(body), length);
      return FrameBodyResult::kOk;
    case kFrameMethodZlib: {
      if (header.uncompressedLength == 0 || header.uncompressedLength > kMaxFrameLength)
        return FrameBodyResult::kBadCompression;
      out.resize(header.uncompressedLength);
      uLongf inflated = header.uncompressedLength;
      const int rc = uncompress(reinterpret_cast<Bytef*>(&out[0]), &inflated,
                                static_cast<const Bytef*>(body), static_cast<uLong>(length));
      // A body that inflates to fewer bytes than its header promised is as
      // corrupt as one that does not inflate at all.
      if (rc != Z_OK || inflated != header.uncompressedLength) {
        out.clear();
        return FrameBodyResult::kBadCompression;
      }
      return FrameBodyResult::kOk;
    }
    default:
      return FrameBodyResult::kUnknownMethod;
  }
}

bool EncodeFrame(const void* data, size_t length, FrameHeader& header, std::string& body) {
  if (data == nullptr || length == 0 || length > kMaxFrameLength) return false;
  const uint32_t size = static_cast<uint32_t>(length);
  if (size >= kCompressThreshold) {
    // The output buffer is exactly as large as the input: compression that
    // does not save a byte fails here, and the body goes out as it is.
    std::string packed(size, '\0');
    uLongf packedLength = size;
    const int rc = compress(reinterpret_cast<Bytef*>(&packed[0]), &packedLength,
                            static_cast<const Bytef*>(data), static_cast<uLong>(size));
    if (rc == Z_OK && packedLength < size) {
      packed.resize(packedLength);
      header = FrameHeader::Make(kFrameMethodZlib, static_cast<uint32_t>(packedLength), size);
      body.swap(packed);
      return true;
    }
  }
  header = FrameHeader::Make(kFrameMethodNone, size, 0);
  body.assign(static_cast<const char*>(data), length);
  return true;
}

std::string FrameBytes(const FrameHeader& header, const std::string& body) {
  std::string bytes(FrameHeader::kSize, '\0');
  header.Encode(reinterpret_cast<unsigned char*>(&bytes[0]));
  bytes += body;
  return bytes;
}
