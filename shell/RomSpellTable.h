// The constant data of the pinyin-initial table (CRomSpell): for each letter
// A to Z, the GB2312 characters whose pinyin begins with that letter, two GBK
// bytes each, without separators. The data is generated at development time
// by tools/pinyin/make_rom_spell_table.py into RomSpellTable.cpp, which is
// committed; a test checks that the generator still makes it. Read-only: any
// thread may read it.
#pragma once

struct RomSpellLetter {
  const char* gbk;  // the letter's characters, two bytes each (I, U, V: see below)
  int bytes;
};

// Index 0 is A. I, U and V, which begin no Mandarin syllable, hold instead
// the letter in lower and upper case followed by its full-width lower and
// upper forms (6 bytes).
constexpr int kRomSpellLetterCount = 26;
extern const RomSpellLetter kRomSpellTable[kRomSpellLetterCount];
