// The pinyin-initial table and the match of typed text against a security:
// the table's contents (every GB2312 character once, the moved characters,
// I, U and V), Match by code, by name and by initials, input that ends in
// half a character, and the lookup answering exactly as the search of the
// letter strings does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "shell/RomSpell.h"
#include "shell/RomSpellTable.h"

namespace kiv::test {
namespace {

const CRomSpell& SharedSpell() {
  static const CRomSpell spell;
  return spell;
}

int MatchText(const std::string& typed, const std::string& name, int code = 999999) {
  return SharedSpell().Match(name.data(), static_cast<int>(name.size()), code, typed.data(), static_cast<int>(typed.size()));
}

unsigned GbkCode(const std::string& gbkChar) {
  return static_cast<unsigned char>(gbkChar[0]) << 8 | static_cast<unsigned char>(gbkChar[1]);
}

// Every character of GB2312's two levels, in code order.
std::vector<std::string> Gb2312Characters() {
  std::vector<std::string> chars;
  for (int lead = 0xB0; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      if (lead == 0xD7 && trail > 0xF9) continue;  // five unused places end level 1
      chars.push_back(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  return chars;
}

// The letters a character stands under.
std::string LettersOf(const std::string& gbkChar) {
  std::string letters;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (SharedSpell().StandsUnder(letter, static_cast<unsigned char>(gbkChar[0]), static_cast<unsigned char>(gbkChar[1]))) {
      letters += letter;
    }
  }
  return letters;
}

// The characters that stand under another letter than their code position
// gives; the last three stand under both.
struct Placement {
  const char* character;
  const char* letters;  // every letter it stands under
};
const Placement kPlacements[] = {
    {"夯", "B"}, {"曾", "C"}, {"哦", "E"}, {"咯", "G"}, {"傀", "G"}, {"蛤", "H"}, {"行", "H"}, {"会", "K"},
    {"槛", "K"}, {"扒", "P"}, {"耙", "P"}, {"膀", "P"}, {"脯", "P"}, {"匙", "S"}, {"峙", "S"}, {"弹", "T"},
    {"囤", "T"}, {"栖", "X"}, {"藏", "Z"}, {"幢", "Z"}, {"翟", "Z"}, {"泊", "BP"}, {"重", "CZ"}, {"期", "JQ"},
};

TEST(RomSpellTableTest, ListsEveryGb2312CharacterUnderOneLetterButThreeUnderTwo) {
  std::map<unsigned, int> seen;
  int total = 0;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (letter == 'I' || letter == 'U' || letter == 'V') continue;
    const std::string& s = SharedSpell().LetterString(letter);
    ASSERT_EQ(s.size() % 2, 0u) << letter;
    for (size_t at = 0; at < s.size(); at += 2) {
      ++seen[GbkCode(s.substr(at, 2))];
      ++total;
    }
  }
  EXPECT_EQ(total, 6766);
  const std::vector<std::string> all = Gb2312Characters();
  ASSERT_EQ(all.size(), 6763u);
  for (const std::string& c : all) {
    const bool twice = c == "泊" || c == "重" || c == "期";
    EXPECT_EQ(seen[GbkCode(c)], twice ? 2 : 1) << std::hex << GbkCode(c);
  }
  EXPECT_EQ(seen.size(), 6763u);  // nothing else
}

TEST(RomSpellTableTest, TheLettersThatBeginNoSyllableHoldTheirOwnForms) {
  EXPECT_EQ(SharedSpell().LetterString('I'), "iIｉＩ");
  EXPECT_EQ(SharedSpell().LetterString('U'), "uUｕＵ");
  EXPECT_EQ(SharedSpell().LetterString('V'), "vVｖＶ");
}

TEST(RomSpellTableTest, LevelOneIsInCodeOrderWithTheMovedCharactersAtEitherEnd) {
  std::map<char, std::set<unsigned>> placed;
  for (const Placement& p : kPlacements) {
    for (const char* l = p.letters; *l; ++l) placed[*l].insert(GbkCode(p.character));
  }
  // 泊, 重 and 期 keep their code position under B, Z and Q.
  placed['B'].erase(GbkCode("泊"));
  placed['Z'].erase(GbkCode("重"));
  placed['Q'].erase(GbkCode("期"));
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (letter == 'I' || letter == 'U' || letter == 'V') continue;
    const std::string& s = SharedSpell().LetterString(letter);
    std::vector<unsigned> level1, level2;
    for (size_t at = 0; at < s.size(); at += 2) (GbkCode(s.substr(at, 2)) < 0xD8A1 ? level1 : level2).push_back(GbkCode(s.substr(at, 2)));
    EXPECT_TRUE(std::is_sorted(level2.begin(), level2.end())) << letter;
    // Strip the moved ones from both ends: what stays is in code order and
    // holds none of them.
    auto first = level1.begin();
    auto last = level1.end();
    while (first != last && placed[letter].count(*first)) ++first;
    while (last != first && placed[letter].count(*(last - 1))) --last;
    EXPECT_EQ(static_cast<size_t>((first - level1.begin()) + (level1.end() - last)), placed[letter].size()) << letter;
    EXPECT_TRUE(std::is_sorted(first, last)) << letter;
  }
}

TEST(RomSpellTableTest, MovedCharactersStandUnderTheirNewLetterOnly) {
  for (const Placement& p : kPlacements) {
    EXPECT_EQ(LettersOf(p.character), p.letters) << p.character;
    for (const char* l = p.letters; *l; ++l) {
      EXPECT_EQ(MatchText(std::string(1, static_cast<char>(*l - 'A' + 'a')), p.character), CRomSpell::kAtStart)
          << p.character << " " << *l;
    }
  }
  EXPECT_EQ(MatchText("h", "夯"), CRomSpell::kNoMatch);
  EXPECT_EQ(MatchText("b", "夯"), CRomSpell::kAtStart);
}

struct MatchCase {
  const char* what;
  const char* typed;
  const char* name;
  int code;
  int expected;
};

TEST(RomSpellTest, MatchesByCodeByNameAndByInitials) {
  const MatchCase cases[] = {
      {"initials of the first two characters", "pf", "浦发银行", 600000, CRomSpell::kAtStart},
      {"the same in upper case", "PF", "浦发银行", 600000, CRomSpell::kAtStart},
      {"all four initials", "pfyh", "浦发银行", 600000, CRomSpell::kAtStart},
      {"initials from the second character", "fy", "浦发银行", 600000, CRomSpell::kFurtherIn},
      {"initials with a gap", "ph", "浦发银行", 600000, CRomSpell::kFurtherIn},
      {"an initial the name lacks", "pfx", "浦发银行", 600000, CRomSpell::kNoMatch},
      {"blanks between typed letters are skipped", "p f", "浦发银行", 600000, CRomSpell::kAtStart},
      {"typed text ending in a blank", "pf ", "浦发银行", 600000, CRomSpell::kNoMatch},
      {"typed text ending in blanks", "p  ", "浦发银行", 600000, CRomSpell::kNoMatch},
      {"the name's leading blanks are skipped", "pf", "  浦发", 600000, CRomSpell::kAtStart},
      {"a name of blanks", "a", "    ", 600000, CRomSpell::kNoMatch},
      {"Latin letters in order", "tcl", "TCL科技", 100, CRomSpell::kAtStart},
      {"Latin letters with gaps", "ace", "ABCDE", 100, CRomSpell::kFurtherIn},
      {"Latin letters out of order", "ca", "ABC", 100, CRomSpell::kNoMatch},
      {"Latin letter then an initial", "tk", "TCL科技", 100, CRomSpell::kFurtherIn},
      {"digits at the start of the code", "600", "浦发银行", 600000, CRomSpell::kAtStart},
      {"digits further in the code", "000", "浦发银行", 600000, CRomSpell::kFurtherIn},
      {"the code's leading zeros", "0000", "平安银行", 1, CRomSpell::kAtStart},
      {"the code's last digit", "1", "平安银行", 1, CRomSpell::kFurtherIn},
      {"a digit neither in code nor name", "6", "平安银行", 1, CRomSpell::kNoMatch},
      {"a digit in the name", "5", "中证500", 16, CRomSpell::kFurtherIn},
      {"the name itself", "浦发银行", "浦发银行", 600000, CRomSpell::kAtStart},
      {"a piece of the name further in", "银行", "浦发银行", 600000, CRomSpell::kFurtherIn},
      {"a character at the position, then an initial", "浦f", "浦发银行", 600000, CRomSpell::kAtStart},
      {"a character found later than the position", "p银", "浦发银行", 600000, CRomSpell::kFurtherIn},
      {"a character the name lacks", "p金", "浦发银行", 600000, CRomSpell::kNoMatch},
      {"typed text longer than the name", "abcde", "ABCD", 100, CRomSpell::kNoMatch},
      {"a sign only matches itself", "*s", "*ST海通", 100, CRomSpell::kAtStart},
      {"a code past six digits", "12345678", "浦发银行", 12345678, CRomSpell::kAtStart},
      {"code 0 as six zeros", "000000", "浦发银行", 0, CRomSpell::kAtStart},
      {"full-width i under I", "i", "ｉ", 100, CRomSpell::kAtStart},
      {"full-width I under I", "I", "Ｉ", 100, CRomSpell::kAtStart},
      {"full-width u under U", "u", "ｕ", 100, CRomSpell::kAtStart},
      {"full-width V under V", "v", "Ｖ", 100, CRomSpell::kAtStart},
      {"no Chinese character under I", "i", "一", 100, CRomSpell::kNoMatch},
      {"a Latin letter after one under the letter", "i", "ｉI", 100, CRomSpell::kAtStart},
  };
  for (const MatchCase& c : cases) {
    EXPECT_EQ(MatchText(c.typed, c.name, c.code), c.expected) << c.what;
  }
  EXPECT_EQ(SharedSpell().Match(nullptr, 4, 1, "a", 1), CRomSpell::kNoMatch);
  EXPECT_EQ(SharedSpell().Match("ABCD", 4, 1, nullptr, 1), CRomSpell::kNoMatch);
  EXPECT_EQ(SharedSpell().Match("ABCD", 0, 1, "A", 1), CRomSpell::kNoMatch);
  EXPECT_EQ(SharedSpell().Match("ABCD", 4, 1, "A", 0), CRomSpell::kNoMatch);
}

// Texts in buffers of exactly their length, without a terminating NUL, so
// that AddressSanitizer stops a read past either.
int MatchExact(const std::string& typed, const std::string& name, int code = 999999) {
  std::unique_ptr<char[]> n(new char[std::max<size_t>(name.size(), 1)]);
  std::unique_ptr<char[]> t(new char[std::max<size_t>(typed.size(), 1)]);
  std::memcpy(n.get(), name.data(), name.size());
  std::memcpy(t.get(), typed.data(), typed.size());
  const int lookup = SharedSpell().Match(n.get(), static_cast<int>(name.size()), code, t.get(), static_cast<int>(typed.size()));
  const int search =
      SharedSpell().MatchBySearch(n.get(), static_cast<int>(name.size()), code, t.get(), static_cast<int>(typed.size()));
  EXPECT_EQ(lookup, search) << "typed " << typed << " name " << name;
  return lookup;
}

TEST(RomSpellTest, ReadsNothingPastEitherTextAndHalfACharacterMatchesNothing) {
  struct ExactCase {
    const char* what;
    std::string typed;
    std::string name;
    int expected;
  };
  const std::string pingAn = "平安";
  const std::string lead(1, '\xB0');  // the first byte of 啊..薄
  const ExactCase cases[] = {
      {"a name cut inside its last character still matches by the rest", "pa", pingAn + lead,
       CRomSpell::kAtStart},
      {"a lone lead byte typed matches nothing", lead, pingAn + "啊", CRomSpell::kNoMatch},
      {"initials ending in a lone lead byte match nothing", "pa" + lead, pingAn + "啊",
       CRomSpell::kNoMatch},
      {"the cut name's lone byte is no character", "a", pingAn + lead, CRomSpell::kFurtherIn},
      {"a name of one lone lead byte", "b", lead, CRomSpell::kNoMatch},
      {"a letter at the very end of the name", "ab", "AB", CRomSpell::kAtStart},
      {"a letter scanned for up to the name's last byte", "px", "PA", CRomSpell::kNoMatch},
      {"an initial scanned past a one-byte end", "z", "A", CRomSpell::kNoMatch},
      // A two-byte character whose second byte is 'A' is not an 'A'.
      {"half a character is not a letter", "a", "\x81\x41", CRomSpell::kNoMatch},
      {"a character straddling two is not found", "中", "\xB0\xD6\xD0\xA1", CRomSpell::kNoMatch},
  };
  for (const ExactCase& c : cases) {
    EXPECT_EQ(MatchExact(c.typed, c.name), c.expected) << c.what;
  }
}

// Names made of every character of the table, and of the other kinds a name
// holds (Latin letters, digits, signs, blanks, full-width letters), against
// typed texts of letters, digits, characters and blanks: the lookup answers
// exactly as the search of the strings, kind of match included.
TEST(RomSpellTest, TheLookupAnswersAsTheSearchOfTheStringsDoes) {
  const std::vector<std::string> chars = Gb2312Characters();
  std::mt19937 random(20240611u);
  std::vector<std::string> names;
  // Every character once, in names of two to four.
  for (size_t at = 0; at < chars.size();) {
    const size_t count = std::min<size_t>(2 + random() % 3, chars.size() - at);
    std::string name;
    for (size_t k = 0; k < count; ++k) name += chars[at + k];
    names.push_back(name);
    at += count;
  }
  const char* extras[] = {"ST", "*ST", "A", "B", "TCL", "iI", "uU", "vV", "ｉ", "Ｕ", "ｖ", " ", "5", "50"};
  for (int n = 0; n < 600; ++n) {
    std::string name;
    for (int part = 0, parts = 1 + static_cast<int>(random() % 4); part < parts; ++part) {
      if (random() % 3 == 0) {
        name += extras[random() % (sizeof extras / sizeof extras[0])];
      } else {
        name += chars[random() % chars.size()];
      }
    }
    names.push_back(name.substr(0, 15));
  }
  std::vector<std::string> typed;
  for (char a = 'a'; a <= 'z'; ++a) {
    typed.push_back(std::string(1, a));
    typed.push_back(std::string(1, a) + static_cast<char>('a' + random() % 26));
  }
  for (int n = 0; n < 40; ++n) {
    std::string text;
    for (int k = 0, length = 2 + static_cast<int>(random() % 4); k < length; ++k) {
      const unsigned kind = random() % 8;
      if (kind == 0) {
        text += chars[random() % chars.size()];
      } else if (kind == 1) {
        text += ' ';
      } else if (kind == 2) {
        text += static_cast<char>('0' + random() % 10);
      } else {
        text += static_cast<char>((random() % 2 ? 'a' : 'A') + random() % 26);
      }
    }
    typed.push_back(text);
  }
  int matched = 0;
  for (const std::string& name : names) {
    for (const std::string& t : typed) {
      const int lookup = SharedSpell().Match(name.data(), static_cast<int>(name.size()), 600000, t.data(),
                                       static_cast<int>(t.size()));
      const int search = SharedSpell().MatchBySearch(name.data(), static_cast<int>(name.size()), 600000, t.data(),
                                               static_cast<int>(t.size()));
      ASSERT_EQ(lookup, search) << "typed \"" << t << "\" name \"" << name << "\"";
      matched += lookup != CRomSpell::kNoMatch;
    }
  }
  EXPECT_GT(matched, 1000);  // the comparison saw matches, not only refusals
  // And character by character: every code of the table and beyond it.
  for (unsigned code = 0x8140; code <= 0xFEFE; ++code) {
    for (char letter : {'B', 'I', 'P', 'Y', 'Z'}) {
      ASSERT_EQ(SharedSpell().StandsUnder(letter, static_cast<unsigned char>(code >> 8), static_cast<unsigned char>(code)),
                SharedSpell().StandsUnderBySearch(letter, static_cast<unsigned char>(code >> 8),
                                            static_cast<unsigned char>(code)))
          << letter << " " << std::hex << code;
    }
  }
}

}  // namespace
}  // namespace kiv::test
