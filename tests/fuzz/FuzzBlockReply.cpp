// One whole block data reply as the terminal receives it: the 8-byte header
// of two big-endian lengths, then the zlib body, which is inflated and
// whose count, keys and names are rewritten in place. The header is read
// through the bounded reader; every shortened copy of a reply that decodes
// must be refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "data/TextConvert.h"
#include "net/BlockingSocket.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kiv::BlockReplyHeader header;
  if (size < 8) Check(kiv::ReadBlockReplyHeader(data, size, header) == kiv::BlockReplyStatus::kFailed);
  std::unique_ptr<char[]> out;
  uint32_t count = 0;
  if (kiv::DecodeBlockReply(data, size, &WideToAnsiInPlace, out, count) == kiv::BlockReplyStatus::kOk) {
    // Every record the count promises lies inside the buffer.
    volatile char sink = 0;
    for (uint32_t i = 0; i < count; ++i) sink ^= out[20 + size_t(i) * 20 + 19];
    (void)sink;
    const size_t cut = size - 1 - data[size - 1] % (size < 16 ? size : 16);
    std::unique_ptr<uint8_t[]> shortened(new uint8_t[cut > 0 ? cut : 1]);
    if (cut > 0) std::memcpy(shortened.get(), data, cut);
    std::unique_ptr<char[]> none;
    Check(kiv::DecodeBlockReply(shortened.get(), cut, nullptr, none, count) == kiv::BlockReplyStatus::kFailed);
  }
  return 0;
}
