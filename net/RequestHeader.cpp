#include "net/RequestHeader.h"

namespace {

void PutLe(unsigned char* out, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint64_t GetLe(const unsigned char* in, size_t bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(in[i]) << (8 * i);
  return value;
}

}  // namespace

void RequestHeader::Encode(unsigned char* out) const {
  PutLe(out + kOffsetRequestId, requestId, 8);
  PutLe(out + kOffsetFlags, flags, 8);
  PutLe(out + kOffsetType, type, 4);
  PutLe(out + kOffsetExtra, extra, 4);
}

RequestHeader RequestHeader::Decode(const unsigned char* in) {
  RequestHeader header;
  header.requestId = GetLe(in + kOffsetRequestId, 8);
  header.flags = GetLe(in + kOffsetFlags, 8);
  header.type = static_cast<uint32_t>(GetLe(in + kOffsetType, 4));
  header.extra = static_cast<uint32_t>(GetLe(in + kOffsetExtra, 4));
  return header;
}
