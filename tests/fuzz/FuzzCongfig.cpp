// The first bytes of a configuration file as the store's Load judges them,
// against a fixed list of offered servers, and with the file size the input
// names: its own header's or an arbitrary one. A sound judgement names a
// size the header allows; bytes too few or bad are damage, never a read
// failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "data/Congfig.h"
#include "data/IpConfigTable.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;

namespace {

const CIpConfigTable& OfferedServers() {
  static CIpConfigTable* table = [] {
    auto* t = new CIpConfigTable;
    t->LoadText("Data1Ip,10.0.0.1&one\nData2Ip,10.0.0.2&two\nDJGIp,127.0.0.1:8080&aux\n");
    return t;
  }();
  return *table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte picks the file size: the header's own (body length + 12),
  // or a few bytes off it, or the input's own length.
  const uint8_t pick = data[0];
  const uint8_t* bytes = data + 1;
  const size_t length = size - 1;
  uint64_t fileSize = length;
  if (length >= 12 && pick % 4 != 0) {
    uint32_t body = 0;
    std::memcpy(&body, bytes + 8, 4);
    fileSize = uint64_t(body) + 12 + (pick % 4 == 1 ? 0 : pick % 4 == 2 ? 1 : uint64_t(-1));
  }
  size_t mappedSize = 0;
  const CongfigFileState state = CCongfig::CheckHead(bytes, length, fileSize, OfferedServers(), &mappedSize);
  Check(state != CongfigFileState::kUnreadable);
  if (length < CCongfig::kCheckedBytes) Check(state == CongfigFileState::kDamaged);
  if (state == CongfigFileState::kMatches || state == CongfigFileState::kNoLongerOffered) {
    Check(mappedSize == fileSize);
    Check(mappedSize >= 2428 && mappedSize <= CCongfig::kBodyLength + 12);
  }
  return 0;
}
