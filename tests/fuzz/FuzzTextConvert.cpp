// Text fields of replies in a foreign encoding: arbitrary bytes through the
// in-place conversions, each on a buffer of exactly the input's size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "data/TextConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;

  // Exactly sized, so that a read past the given size is caught.
  std::unique_ptr<char[]> narrow(new char[size]);
  std::memcpy(narrow.get(), data, size);
  Utf8ToAnsiInPlace(narrow.get(), static_cast<int>(size));

  const size_t units = size / 2;
  std::unique_ptr<WCHAR[]> wide(new WCHAR[units]);
  std::memcpy(wide.get(), data, units * sizeof(WCHAR));
  WideToAnsiInPlace(wide.get(), static_cast<int>(units * sizeof(WCHAR)));

  std::string text(reinterpret_cast<const char*>(data), size);
  ConvertCodePage(text, true);
  std::string other(reinterpret_cast<const char*>(data), size);
  ConvertCodePage(other, false);
  return 0;
}
