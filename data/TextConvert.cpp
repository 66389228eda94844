#include "data/TextConvert.h"

#include <climits>
#include <cstring>
#include <string_view>

#include "platform/sys/CodePage.h"

void ConvertCodePage(std::string& text, bool ansiToUtf8) {
  if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) return;
  const UINT from = ansiToUtf8 ? CP_ACP : CP_UTF8;
  const UINT to = ansiToUtf8 ? CP_UTF8 : CP_ACP;
  const int length = static_cast<int>(text.size());

  const int units = MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0);
  if (units <= 0) return;
  std::u16string wide(static_cast<size_t>(units), u'\0');
  if (MultiByteToWideChar(from, 0, text.data(), length, wide.data(), units) != units) return;

  const int bytes = WideCharToMultiByte(to, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return;
  std::string converted(static_cast<size_t>(bytes), '\0');
  if (WideCharToMultiByte(to, 0, wide.data(), units, converted.data(), bytes, nullptr, nullptr) !=
      bytes)
    return;
  text.swap(converted);
}

void Utf8ToAnsiInPlace(char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return;
  const size_t capacity = static_cast<size_t>(size);
  const void* zero = std::memchr(buffer, '\0', capacity);
  const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - buffer) : capacity;
  const std::string ansi = kiv::EncodeFromUtf16(
      CP_ACP, kiv::DecodeToUtf16(CP_UTF8, std::string_view(buffer, length)));
  std::memset(buffer, 0, capacity);
  std::memcpy(buffer, ansi.data(), ansi.size() < capacity ? ansi.size() : capacity);
}

void WideToAnsiInPlace(WCHAR* buffer, int n) {
  if (buffer == nullptr || n <= 0) return;
  const size_t limit = static_cast<size_t>(n);
  const size_t units = limit / sizeof(WCHAR);
  size_t length = 0;
  while (length < units && buffer[length] != 0) ++length;

  // Scan the ASCII tail backwards; its last blank ends the text.
  for (size_t i = length; i-- > 0;) {
    if (buffer[i] >= 128) break;
    if (buffer[i] == u' ') {
      length = i;
      break;
    }
  }

  const std::string ansi = kiv::EncodeFromUtf16(CP_ACP, std::u16string_view(buffer, length));
  char* bytes = reinterpret_cast<char*>(buffer);
  std::memset(bytes, 0, limit);
  std::memcpy(bytes, ansi.data(), ansi.size() < limit ? ansi.size() : limit);
}
