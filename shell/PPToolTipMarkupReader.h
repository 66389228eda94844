// PPToolTipMarkupReader: reads a rich tooltip's markup text (GBK) into
// tokens, left to right: runs of plain text, tabs and line feeds, and tags.
//
//   - A run goes up to the next "<", tab or line feed; carriage returns are
//     dropped, and "<<" stands for one "<" inside the run.
//   - A tag is "<" name ["=" value] [attribute ["=" value]]... ">", items
//     separated by blanks; tabs, line feeds and carriage returns inside it
//     are left out. A name starting with "/" closes. Names and attribute
//     names come out in lower case. A value is taken only right after "=".
//   - A tag without its ">" ends the text: nothing after its "<" is read.
//
// The reader never reads outside the text it was given. It holds a view of
// that text, which must outlive it. Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct PPToolTipToken {
  enum Kind { kText, kTab, kLineBreak, kTag };
  Kind kind = kText;
  std::string text;  // kText: the run
  // kTag:
  std::string name;  // lower case, without the closing "/"
  bool closing = false;
  bool hasValue = false;  // an "=" followed the name
  std::string value;
  std::vector<std::pair<std::string, std::string>> attributes;  // (lower-case name, value)
  std::vector<bool> attributeHasValue;
};

class PPToolTipMarkupReader {
 public:
  explicit PPToolTipMarkupReader(std::string_view text) : text_(text) {}

  // The next token; false at the end of the text, or at a tag without ">".
  bool Next(PPToolTipToken* token);

  // A tag value as a number: decimal, hexadecimal after "0x", octal after a
  // leading "0", read up to the first character that is no digit of its
  // base; an empty value gives `fallback`. Wraps at 32 bits.
  static uint32_t Number(const std::string& value, uint32_t fallback);

 private:
  std::string_view text_;
  size_t at_ = 0;
  bool ended_ = false;
};
