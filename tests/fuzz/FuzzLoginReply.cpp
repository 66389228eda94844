// The account service's bytes as the login reads them: the login reply
// (converted from UTF-8 as the worker converts it) and the active-IP reply.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/TextConvert.h"
#include "shell/login/WebLogin.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using kiv::fuzz::Check;
  std::string reply(reinterpret_cast<const char*>(data), size);
  for (int pass = 0; pass < 2; ++pass) {
    const LoginReplyScan scan = ScanLoginReply(reply, "123456");
    if (scan.verdict != LoginVerdict::kFailed) {
      // Nothing is let through without the phone flag and a digest.
      Check(reply.find("cellsure\":\"") != std::string::npos);
      Check(reply.find("password\":\"") != std::string::npos);
    }
    Check(scan.pclogged >= 0);
    const std::vector<std::string> addresses = ScanActiveIps(reply);
    Check(addresses.size() <= 3);
    for (const std::string& address : addresses) {
      Check(!address.empty() && address.size() <= kMaxActiveIpAddress);
    }
    ConvertCodePage(reply, false);
  }
  return 0;
}
