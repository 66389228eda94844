// CRomSpell: the pinyin-initial table of the keyboard stock search, and the
// match of a typed text against a security's code and GBK name: by the code,
// by the name, or by the pinyin initials of the name's Chinese characters.
//
// The table is one string per letter A to Z (RomSpellTable.h) listing the
// characters whose pinyin begins with that letter. Whether a character stands
// under a letter is answered from a letter mask per two-byte code, built
// from those strings once, when the object is constructed: a typed letter is
// tried against every character of every name on every keystroke, and a
// search of a string of up to some 570 characters each time would cost the
// pop-up its frame. The search of the strings stays available
// (MatchBySearch) as the reference the lookup must agree with.
//
// Read-only after construction: any thread may call the const members.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CRomSpell {
 public:
  // Match results.
  static constexpr int kNoMatch = -1;
  static constexpr int kAtStart = 0;  // begins at the first character of the code or name
  static constexpr int kFurtherIn = 10;

  CRomSpell();

  // Matches typed (typedLength bytes) against a security: its name
  // (nameLength bytes, GBK) and its code, written "%06d". kNoMatch,
  // kAtStart or kFurtherIn:
  //   1. a null text or a length below 1: no match;
  //   2. the typed text inside the code: at its start or further in;
  //   3. a typed text longer than the name: no match;
  //   4. the typed text inside the name (on character boundaries);
  //   5. else the initials: blanks of the typed text are skipped; a Chinese
  //      character must occur in the name from the current position on; a
  //      letter (either case) matches a character standing under it or, when
  //      the character at the position does not, the letter itself; any
  //      other character matches itself. kAtStart when each matched the very
  //      next character of the name (leading blanks skipped), kFurtherIn when
  //      any skipped some. Running out of name, or a typed text that ends in
  //      blanks, is no match.
  // Reads nothing outside the two texts. A lone lead byte at the end of the
  // typed text makes it match nothing; one at the end of the name is no
  // character and matches nothing.
  int Match(const char* name, int nameLength, int code, const char* typed, int typedLength) const;
  // The same, with each "stands under" answered by searching the letter's
  // string: the reference the lookup is checked against.
  int MatchBySearch(const char* name, int nameLength, int code, const char* typed, int typedLength) const;

  // Whether the two bytes first, second are a character of the letter's
  // string (A..Z, at a character boundary of the string): by the lookup, and
  // by searching the string.
  bool StandsUnder(char letter, unsigned char first, unsigned char second) const;
  bool StandsUnderBySearch(char letter, unsigned char first, unsigned char second) const;

  // The letter's string (A..Z), as the table holds it.
  const std::string& LetterString(char letter) const;

 private:
  template <class StandsUnderFn>
  int MatchWith(const char* name, int nameLength, int code, const char* typed, int typedLength,
                const StandsUnderFn& standsUnder) const;

  std::string letters_[26];
  // Bit n of masks_[first << 8 | second]: that character stands under
  // letter 'A' + n.
  std::vector<uint32_t> masks_;
};
