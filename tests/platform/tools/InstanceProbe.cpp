// A minimal program start for the single-instance tests, run as a real
// process:
//
//   instance_probe <folder> <name> [copy-data as hex]
//
// As the first instance it prints "first", then one line per message it
// receives ("raise" or "copy <hex>"), and ends when its standard input
// closes. As a later start it sends "raise" (or the copy-data bytes) to the
// first one, prints the outcome and exits: 0 delivered, 3 refused,
// 4 unreachable, 5 the instance could not be set up.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/sys/SingleInstance.h"

namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
  }
  return bytes;
}

std::string ToHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(kDigits[c >> 4]);
    hex.push_back(kDigits[c & 15]);
  }
  return hex;
}

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: instance_probe <folder> <name> [copy-data hex]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const std::string name = argv[2];
  kiv::SingleInstance instance(name, folder);
  switch (instance.Acquire()) {
    case kiv::SingleInstance::Role::kFailed:
      Say("failed");
      return 5;
    case kiv::SingleInstance::Role::kSecond: {
      kiv::InstanceSendResult result =
          argc > 3 ? kiv::SendCopyDataToInstance(name, FromHex(argv[3]), folder, 10000)
                   : kiv::SendRaiseToInstance(name, folder, 10000);
      switch (result) {
        case kiv::InstanceSendResult::kDelivered:
          Say("second delivered");
          return 0;
        case kiv::InstanceSendResult::kRefused:
          Say("second refused");
          return 3;
        case kiv::InstanceSendResult::kUnreachable:
          Say("second unreachable");
          return 4;
      }
      return 4;
    }
    case kiv::SingleInstance::Role::kFirst:
      break;
  }
  instance.SetRaiseHandler([] { Say("raise"); });
  instance.SetCopyDataHandler([](const std::string& text) { Say("copy " + ToHex(text)); });
  Say("first");
  char buffer[64];
  while (::read(0, buffer, sizeof buffer) > 0) {
  }
  return 0;
}
