// Byte-level work on GBK text that must not split a double-byte character:
// the trail byte of one (0x40..0xFE) may be an ASCII letter, a backslash, '['
// or ']', so a plain byte search or case fold would find or change a byte that
// is only half of a Chinese character. Here a lead byte (0x81..0xFE) and its
// trail byte always go together.
#pragma once

#include <string>
#include <string_view>

namespace kiv {

inline bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// The text with the ASCII letters of its single-byte characters in lower
// case: two names are equal without regard to case when their folds are equal.
inline std::string FoldCaseGbk(std::string_view text) {
  std::string folded(text);
  for (size_t i = 0; i < folded.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(folded[i]);
    if (IsGbkLeadByte(byte)) {
      ++i;  // keep the trail byte as it is
    } else if (byte >= 'A' && byte <= 'Z') {
      folded[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return folded;
}

// Case-insensitive names, as profile files and the registry compare section,
// key and value names: only ASCII letters fold.
inline bool EqualsNoCaseGbk(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldCaseGbk(a) == FoldCaseGbk(b);
}

// The position of the first single-byte character c at or after `from`
// (which must start a character), or npos.
inline size_t FindCharGbk(std::string_view text, char c, size_t from = 0) {
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] == c) return i;
    if (IsGbkLeadByte(static_cast<unsigned char>(text[i]))) ++i;
  }
  return std::string_view::npos;
}

}  // namespace kiv
