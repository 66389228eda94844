#include "desk/startup/UserConfigFile.h"

std::string UserConfigFileName(const std::string& loginName) {
  std::string name;
  name.reserve(loginName.size() + 5);
  for (size_t i = 0; i < loginName.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(loginName[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < loginName.size()) {
      // A GBK lead byte and its trail byte, kept as one character.
      name += loginName[i];
      name += loginName[++i];
      continue;
    }
    name += (c < 0x20 || c == '/' || c == '\\' || c == ':' || c == 0x7F) ? '_' : static_cast<char>(c);
  }
  if (name.empty()) name = "_";
  return name + ".data";
}
