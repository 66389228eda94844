#include "net/RequestHeader.h"

#include "platform/sys/ByteOrder.h"

void RequestHeader::Encode(unsigned char* out) const {
  kiv::StoreLe64(out + kOffsetRequestId, requestId);
  kiv::StoreLe64(out + kOffsetFlags, flags);
  kiv::StoreLe32(out + kOffsetType, type);
  kiv::StoreLe32(out + kOffsetExtra, extra);
}

RequestHeader RequestHeader::Decode(const unsigned char* in) {
  RequestHeader header;
  header.requestId = kiv::LoadLe64(in + kOffsetRequestId);
  header.flags = kiv::LoadLe64(in + kOffsetFlags);
  header.type = kiv::LoadLe32(in + kOffsetType);
  header.extra = kiv::LoadLe32(in + kOffsetExtra);
  return header;
}
