// The block data reply as the terminal receives it, through both entries of
// its decoder: the whole reply (the 8-byte header of two big-endian lengths,
// read through the bounded reader, then the zlib body, inflated and
// rewritten in place), and the same bytes taken as a body already inflated,
// so that the record walk is explored too (a mutated zlib stream almost
// never passes its checksum). Every shortened copy of a reply that decodes
// must be refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "data/TextConvert.h"
#include "net/BlockingSocket.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;

namespace {

// Every record the count promises lies inside the bytes.
void TouchRecords(const uint8_t* bytes, size_t size, uint32_t count) {
  Check(kiv::kBlockLeadingBytes + 4 + size_t(count) * kiv::kBlockRecordSize <= size);
  uint32_t stored = 0;
  std::memcpy(&stored, bytes + kiv::kBlockLeadingBytes, 4);
  Check(stored == count);
  volatile uint8_t sink = 0;
  for (uint32_t i = 0; i < count; ++i) sink ^= bytes[20 + size_t(i) * 20 + 19];
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kiv::BlockReplyHeader header;
  if (size < 8) Check(kiv::ReadBlockReplyHeader(data, size, header) == kiv::BlockReplyStatus::kFailed);
  std::unique_ptr<char[]> out;
  uint32_t count = 0;
  if (kiv::DecodeBlockReply(data, size, &WideToAnsiInPlace, out, count) == kiv::BlockReplyStatus::kOk) {
    Check(kiv::ReadBlockReplyHeader(data, size, header) == kiv::BlockReplyStatus::kOk);
    TouchRecords(reinterpret_cast<const uint8_t*>(out.get()), header.inflated + 10, count);
    const size_t cut = size - 1 - data[size - 1] % (size < 16 ? size : 16);
    std::unique_ptr<uint8_t[]> shortened(new uint8_t[cut > 0 ? cut : 1]);
    if (cut > 0) std::memcpy(shortened.get(), data, cut);
    std::unique_ptr<char[]> none;
    uint32_t ignored = 0;
    Check(kiv::DecodeBlockReply(shortened.get(), cut, nullptr, none, ignored) == kiv::BlockReplyStatus::kFailed);
  }

  // An exact-size copy, so that a read past the inflated bytes is caught.
  std::vector<uint8_t> inflated(data, data + size);
  count = 0;
  const kiv::NameConverter convert = size % 2 == 0 ? &WideToAnsiInPlace : nullptr;
  if (kiv::DecodeInflatedBlockBody(inflated.data(), inflated.size(), convert, count) == kiv::BlockReplyStatus::kOk) {
    TouchRecords(inflated.data(), inflated.size(), count);
  }
  return 0;
}
