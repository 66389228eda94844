#include "data/UrlEncodeUtf8.h"

#include <cstring>

namespace {

bool Kept(unsigned char c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  return c != 0 && std::strchr("*./@&?_=:", c) != nullptr;
}

}  // namespace

int UrlEncodeUtf8(std::string& out, const char* bytes, int length) {
  static const char kHex[] = "0123456789ABCDEF";
  out.clear();
  if (bytes == nullptr || length <= 0) return 0;
  out.reserve(static_cast<size_t>(length) * 3);
  for (int i = 0; i < length; ++i) {
    // Multi-byte characters are escaped byte by byte, so a character cut
    // short at the end of the text is never read past.
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (Kept(c)) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return 1;
}
