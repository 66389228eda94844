#include "shell/RomSpell.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/sys/GbkText.h"
#include "shell/RomSpellTable.h"

namespace {

// Texts are read as bytes; a lead byte (0x81-0xFE) and the byte after it
// are one character, a lead byte without one after it is no character.
using Bytes = const unsigned char*;

int SpellCharWidth(Bytes text, int length, int at) {
  return kiv::IsGbkLeadByte(text[at]) && at + 1 < length ? 2 : 1;
}

// The length of text without a lead byte that ends it alone.
int WithoutLoneLead(Bytes text, int length) {
  int at = 0;
  while (at < length) {
    const int width = SpellCharWidth(text, length, at);
    if (width == 1 && kiv::IsGbkLeadByte(text[at])) return at;
    at += width;
  }
  return length;
}

// The first character boundary at or after `from` where needle (needleLength
// bytes, whole characters) starts in text and ends on a boundary; -1 when
// there is none.
int FindSpellText(Bytes text, int length, int from, Bytes needle, int needleLength) {
  for (int at = from; at + needleLength <= length; at += SpellCharWidth(text, length, at)) {
    if (text[at] != needle[0] || std::memcmp(text + at, needle, static_cast<size_t>(needleLength)) != 0) continue;
    // A match that ends inside a character of the text is half a character.
    int end = at;
    while (end < at + needleLength) end += SpellCharWidth(text, length, end);
    if (end == at + needleLength) return at;
  }
  return -1;
}

// The code as "%06d" writes it, into text (at least 12 bytes); its length.
// Every keystroke formats every security's code, so the usual case is done
// by hand.
int FormatSpellCode(int code, char* text) {
  if (code < 0) return std::snprintf(text, 12, "%06d", code);
  char digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + code % 10);
    code /= 10;
  } while (code > 0);
  int length = 0;
  for (int pad = count; pad < 6; ++pad) text[length++] = '0';
  while (count > 0) text[length++] = digits[--count];
  return length;
}

int SpellLetterIndex(char letter) {
  return letter >= 'A' && letter <= 'Z' ? letter - 'A' : -1;
}

}  // namespace

CRomSpell::CRomSpell() : masks_(0x10000, 0) {
  for (int n = 0; n < kRomSpellLetterCount; ++n) {
    const RomSpellLetter& entry = kRomSpellTable[n];
    letters_[n].assign(entry.gbk, static_cast<size_t>(entry.bytes));
    const std::string& s = letters_[n];
    for (size_t at = 0; at + 1 < s.size(); at += 2) {
      const unsigned first = static_cast<unsigned char>(s[at]);
      const unsigned second = static_cast<unsigned char>(s[at + 1]);
      masks_[first << 8 | second] |= 1u << n;
    }
  }
}

bool CRomSpell::StandsUnder(char letter, unsigned char first, unsigned char second) const {
  const int n = SpellLetterIndex(letter);
  return n >= 0 && (masks_[static_cast<unsigned>(first) << 8 | second] >> n & 1u) != 0;
}

bool CRomSpell::StandsUnderBySearch(char letter, unsigned char first, unsigned char second) const {
  const int n = SpellLetterIndex(letter);
  if (n < 0) return false;
  const std::string& s = letters_[n];
  for (size_t at = 0; at + 1 < s.size(); at += 2) {
    if (static_cast<unsigned char>(s[at]) == first && static_cast<unsigned char>(s[at + 1]) == second) return true;
  }
  return false;
}

const std::string& CRomSpell::LetterString(char letter) const {
  static const std::string kNone;
  const int n = SpellLetterIndex(letter);
  return n >= 0 ? letters_[n] : kNone;
}

int CRomSpell::Match(const char* name, int nameLength, int code, const char* typed, int typedLength) const {
  return MatchWith(name, nameLength, code, typed, typedLength,
                   [this](char letter, unsigned char a, unsigned char b) { return StandsUnder(letter, a, b); });
}

int CRomSpell::MatchBySearch(const char* name, int nameLength, int code, const char* typed,
                             int typedLength) const {
  return MatchWith(name, nameLength, code, typed, typedLength, [this](char letter, unsigned char a, unsigned char b) {
    return StandsUnderBySearch(letter, a, b);
  });
}

template <class StandsUnderFn>
int CRomSpell::MatchWith(const char* nameText, int nameLength, int code, const char* typedText, int typedLength,
                         const StandsUnderFn& standsUnder) const {
  if (!nameText || !typedText || nameLength < 1 || typedLength < 1) return kNoMatch;
  const Bytes name = reinterpret_cast<Bytes>(nameText);
  const Bytes typed = reinterpret_cast<Bytes>(typedText);
  // Half a character typed can stand for nothing; half a character at the
  // end of a name (a cut name) is no character to match.
  if (WithoutLoneLead(typed, typedLength) != typedLength) return kNoMatch;
  nameLength = WithoutLoneLead(name, nameLength);

  char codeText[16];
  const int codeLength = FormatSpellCode(code, codeText);
  const size_t inCode = std::string_view(codeText, static_cast<size_t>(codeLength))
                            .find(std::string_view(typedText, static_cast<size_t>(typedLength)));
  if (inCode != std::string_view::npos) return inCode == 0 ? kAtStart : kFurtherIn;

  if (typedLength > nameLength) return kNoMatch;
  const int inName = FindSpellText(name, nameLength, 0, typed, typedLength);
  if (inName >= 0) return inName == 0 ? kAtStart : kFurtherIn;

  // The initials. p: where the next typed character must be found.
  int p = 0;
  while (p < nameLength && name[p] == ' ') ++p;
  if (p == nameLength) return kNoMatch;
  int grade = kAtStart;
  bool endsInBlank = false;
  for (int t = 0; t < typedLength;) {
    const unsigned char c = typed[t];
    if (c == ' ') {
      endsInBlank = true;
      ++t;
      continue;
    }
    endsInBlank = false;
    if (SpellCharWidth(typed, typedLength, t) == 2) {
      // A Chinese character: itself, anywhere from p on.
      const int found = FindSpellText(name, nameLength, p, typed + t, 2);
      if (found < 0) return kNoMatch;
      if (found > p) grade = kFurtherIn;
      p = found + 2;
      t += 2;
      continue;
    }
    const unsigned char letter = c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
    const int literal = FindSpellText(name, nameLength, p, &letter, 1);
    const bool isLetter = letter >= 'A' && letter <= 'Z';
    const bool atPStandsUnder =
        isLetter && p + 1 < nameLength && standsUnder(static_cast<char>(letter), name[p], name[p + 1]);
    if (!isLetter || (literal >= 0 && !atPStandsUnder)) {
      // The character itself.
      if (literal < 0) return kNoMatch;
      if (literal > p) grade = kFurtherIn;
      p = literal + 1;
      ++t;
      continue;
    }
    // The first character from p on that stands under the letter; each one
    // passed over makes the match one further in.
    int scan = p;
    while (scan + 1 < nameLength && !standsUnder(static_cast<char>(letter), name[scan], name[scan + 1])) {
      grade = kFurtherIn;
      scan += SpellCharWidth(name, nameLength, scan);
    }
    if (scan + 1 >= nameLength) return kNoMatch;
    p = scan + 2;
    // The letter itself, when it came before the character found, is where
    // the name goes on from.
    if (literal >= 0 && literal < p) p = literal;
    ++t;
  }
  return endsInBlank ? kNoMatch : grade;
}
