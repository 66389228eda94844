#include "shell/login/AnsiToUtf8.h"

#include "platform/sys/CodePage.h"

std::string AnsiToUtf8(const std::string& ansi) {
  return kiv::EncodeFromUtf16(CP_UTF8, kiv::DecodeToUtf16(CP_ACP, ansi));
}
