// One frame as the terminal receives it: a 28-byte header, then the body,
// which is checked, decoded (inflated when compressed) and taken apart into
// messages, batch items included.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/Frame.h"
#include "net/Message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < FrameHeader::kSize) return 0;
  const FrameHeader header = FrameHeader::Decode(data);
  if (CheckFrameHeader(header) != FrameHeaderCheck::kOk) return 0;
  const size_t available = size - FrameHeader::kSize;
  // The client reads exactly bodyLength bytes; a shorter input is a short body.
  if (available < header.bodyLength) return 0;
  std::string message;
  if (DecodeFrameBody(header, data + FrameHeader::kSize, header.bodyLength, message) != FrameBodyResult::kOk)
    return 0;
  std::vector<NetMessage> messages;
  if (ParseMessages(message.data(), message.size(), messages)) {
    for (NetMessage& m : messages) {
      (void)m.payload.GetFieldCount();
      (void)m.payload.GetInt32(300001, 0);
    }
  }
  return 0;
}
