// One frame as the terminal receives it: a 28-byte header, then the body,
// which is checked, decoded (inflated when compressed) and taken apart into
// messages, batch items included. The header is read through the bounded
// reader from however many bytes there are, so that short input is refused
// there; the messages are taken apart both from a copy and in place.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/Frame.h"
#include "net/Message.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FrameHeader header;
  if (!FrameHeader::Decode(data, size, header)) {
    Check(size < FrameHeader::kSize);
    return 0;
  }
  FrameHeader cut;
  Check(!FrameHeader::Decode(data, FrameHeader::kSize - 1 - data[0] % FrameHeader::kSize, cut));
  if (CheckFrameHeader(header) != FrameHeaderCheck::kOk) return 0;
  const size_t available = size - FrameHeader::kSize;
  // The client reads exactly bodyLength bytes; a shorter input is a short body.
  if (available < header.bodyLength) return 0;
  std::string message;
  if (DecodeFrameBody(header, data + FrameHeader::kSize, header.bodyLength, message) != FrameBodyResult::kOk)
    return 0;
  std::vector<NetMessage> messages;
  const bool parsed = ParseMessages(message.data(), message.size(), messages);
  std::vector<NetMessage> inPlace;
  Check(ParseMessages(std::string(message), inPlace) == parsed);
  Check(inPlace.size() == messages.size());
  for (size_t i = 0; i < messages.size(); ++i) {
    Check(inPlace[i].header == messages[i].header);
    const PackColumn column = inPlace[i].payload.GetColumn(300001);
    Check(inPlace[i].payload.GetInt32(column, 0) == messages[i].payload.GetInt32(300001, 0));
  }
  return 0;
}
