// One whole block data reply as the terminal receives it: the 8-byte header
// of two big-endian lengths, then the zlib body, which is inflated and
// whose count, keys and names are rewritten in place.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "data/TextConvert.h"
#include "net/BlockingSocket.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<char[]> out;
  uint32_t count = 0;
  if (kiv::DecodeBlockReply(data, size, &WideToAnsiInPlace, out, count) == kiv::BlockReplyStatus::kOk) {
    // Every record the count promises lies inside the buffer.
    volatile char sink = 0;
    for (uint32_t i = 0; i < count; ++i) sink ^= out[20 + size_t(i) * 20 + 19];
    (void)sink;
  }
  return 0;
}
