#include "data/UrlEscape.h"

#include <cstdint>
#include <cstdlib>

namespace {

const char kEscapeDigits[] = "0123456789ABCDEF";

bool KeptAsIs(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_';
}

}  // namespace

char* UrlEscape(const char* bytes, size_t length, size_t* outLength) {
  if (outLength) *outLength = 0;
  if ((!bytes && length > 0) || length > (SIZE_MAX - 1) / 3) return nullptr;
  char* text = static_cast<char*>(std::calloc(3 * length + 1, 1));
  if (!text) return nullptr;
  size_t used = 0;
  for (size_t i = 0; i < length; ++i) {
    unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (byte == ' ') {
      text[used++] = '+';
    } else if (KeptAsIs(byte)) {
      text[used++] = static_cast<char>(byte);
    } else {
      text[used++] = '%';
      text[used++] = kEscapeDigits[byte >> 4];
      text[used++] = kEscapeDigits[byte & 15];
    }
  }
  if (outLength) *outLength = used;
  return text;
}

std::string UrlEscapeText(const std::string& text) {
  size_t length = 0;
  char* escaped = UrlEscape(text.data(), text.size(), &length);
  if (escaped == nullptr) return std::string();
  std::string out(escaped, length);
  std::free(escaped);
  return out;
}
