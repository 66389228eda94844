#include "data/Base64.h"

int Base64CharValue(char c) {
  if (c == '=') return 0;
  // Compare as a signed char, so that bytes of 0x80 and above fall below '0'.
  const signed char s = static_cast<signed char>(c);
  if (s < '0') return s == '/' ? 63 : 62;
  if (s <= '9') return s + 4;
  if (s <= 'Z') return s - 65;
  if (s <= 'z') return s - 71;
  return 0;
}

void Base64DecodeInPlace(std::string& text) {
  const size_t groups = text.size() / 4;
  // Each group of four characters is read before its three bytes are written,
  // and writes never overtake reads (3 per 4), so the string serves as both.
  for (size_t g = 0; g < groups; ++g) {
    const int p = Base64CharValue(text[g * 4]);
    const int q = Base64CharValue(text[g * 4 + 1]);
    const int r = Base64CharValue(text[g * 4 + 2]);
    const int s = Base64CharValue(text[g * 4 + 3]);
    text[g * 3] = static_cast<char>(static_cast<unsigned char>((p * 4) | (q / 16 & 3)));
    text[g * 3 + 1] = static_cast<char>(static_cast<unsigned char>((q * 16) | (r / 4 & 15)));
    text[g * 3 + 2] = static_cast<char>(static_cast<unsigned char>((r * 64) | (s & 63)));
  }
  text.resize(groups * 3);
}
