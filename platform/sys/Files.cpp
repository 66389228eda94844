#include "platform/sys/Files.h"

#include "platform/sys/CodePage.h"

namespace kiv {

std::string NativePath(const std::string& gbkPath) { return GbkToUtf8(gbkPath); }

std::FILE* OpenFile(const std::string& gbkPath, const char* mode) {
  return std::fopen(NativePath(gbkPath).c_str(), mode);
}

}  // namespace kiv
