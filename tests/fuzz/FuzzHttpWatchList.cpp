// The watch-list reply of the web service, as the terminal reads it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/KIVDesk_ZiXuan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<WatchEntry> entries;
  if (!CKIVDesk_ZiXuan::ParseReply(text, entries) && !entries.empty()) __builtin_trap();
  for (const WatchEntry& e : entries) {
    if (e.reserved != 0 || e.name[0] != 0) __builtin_trap();
  }
  return 0;
}
