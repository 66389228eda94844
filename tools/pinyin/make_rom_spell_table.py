#!/usr/bin/env python3
"""Generates shell/RomSpellTable.cpp, the constant data of the pinyin-initial
table: for each letter A to Z, the GB2312 characters whose pinyin begins with
that letter, two GBK bytes each.

Sources: Unihan_Readings.txt.bz2 as Debian's unicode-data package installs it
(kMandarin, the first reading of a character) and Python's GB2312 codec.

  - Level 1 (B0A1-D7F9, 3755 characters) is in pinyin order, so a character's
    letter is the one whose code range holds it. The ranges are checked
    against kMandarin; the polyphones whose first reading starts with another
    letter are listed (about twenty: expected, the code order wins).
  - The placements below move a level-1 character to another letter: to the
    start of that letter's level-1 part when its code lies before the
    letter's range, to the end when after, in code order either way. Three
    of them also stay under the letter of their code position.
  - Level 2 (D8A1-F7FE, 3008 characters, in radical order) takes the initial
    of its first kMandarin reading, in code order.
  - I, U and V begin no Mandarin syllable: they hold the letter in lower and
    upper case and its full-width lower and upper forms.

The file is plain ASCII: every byte of a string is a hex escape, so it does
not depend on the compiler's execution character set.

  make_rom_spell_table.py --output shell/RomSpellTable.cpp   writes the file
  make_rom_spell_table.py --check shell/RomSpellTable.cpp    compares (exit 1
                                                             when it differs)
Exit status 77 when the Unihan file is missing (the check is then skipped).
"""
import argparse
import bz2
import os
import sys
import unicodedata

DEFAULT_UNIHAN = "/usr/share/unicode/Unihan_Readings.txt.bz2"
MISSING_STATUS = 77

LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"

# Where each letter's part of level 1 starts (GB2312 code, high byte first).
LEVEL1_STARTS = [
    ("A", 0xB0A1), ("B", 0xB0C5), ("C", 0xB2C1), ("D", 0xB4EE), ("E", 0xB6EA), ("F", 0xB7A2),
    ("G", 0xB8C1), ("H", 0xB9FE), ("J", 0xBBF7), ("K", 0xBFA6), ("L", 0xC0AC), ("M", 0xC2E8),
    ("N", 0xC4C3), ("O", 0xC5B6), ("P", 0xC5BE), ("Q", 0xC6DA), ("R", 0xC8BB), ("S", 0xC8F6),
    ("T", 0xCBFA), ("W", 0xCDDA), ("X", 0xCEF4), ("Y", 0xD1B9), ("Z", 0xD4D1),
]
LEVEL1_LAST = 0xD7F9

# Level-1 characters placed under another letter than their code position
# gives; the KEPT ones stand under both.
PLACEMENTS = {
    "B": "夯", "C": "曾重", "E": "哦", "G": "咯傀", "H": "蛤行", "J": "期", "K": "会槛",
    "P": "扒耙膀泊脯", "S": "匙峙", "T": "弹囤", "X": "栖", "Z": "藏幢翟",
}
KEPT = "泊重期"

# The strings of the letters that begin no syllable.
NON_INITIALS = {"I": "iIｉＩ", "U": "uUｕＵ", "V": "vVｖＶ"}

# Sizes of a reference index, printed beside ours for comparison only: the
# characters of level 2 are placed by another source there.
REFERENCE_SIZES = {
    "A": 70, "B": 308, "C": 417, "D": 316, "E": 49, "F": 205, "G": 294, "H": 323, "J": 520,
    "K": 198, "L": 474, "M": 284, "N": 157, "O": 12, "P": 269, "Q": 319, "R": 99, "S": 464,
    "T": 274, "W": 201, "X": 394, "Y": 574, "Z": 545,
}
EXPECTED_TOTAL = 6766


class TableError(Exception):
    pass


def read_mandarin(path):
    readings = {}
    with bz2.open(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[1] == "kMandarin":
                readings[chr(int(parts[0][2:], 16))] = parts[2].split()
    return readings


def initial(reading):
    # The letter under any tone mark: "ā" -> "A", "ǹg" -> "N".
    first = unicodedata.normalize("NFD", reading)[0].upper()
    if first not in LETTERS:
        raise TableError("reading %r does not start with a letter" % reading)
    return first


def gb2312_row(first_code, last_code):
    """(code, character) of every character in the code range, in code order."""
    out = []
    for code in range(first_code, last_code + 1):
        hi, lo = code >> 8, code & 0xFF
        if lo < 0xA1 or lo > 0xFE:
            continue
        try:
            out.append((code, bytes([hi, lo]).decode("gb2312")))
        except UnicodeDecodeError:
            pass
    return out


def range_letter(code):
    letter = None
    for name, start in LEVEL1_STARTS:
        if code >= start:
            letter = name
    return letter


def build(readings, report):
    level1 = gb2312_row(0xB0A1, LEVEL1_LAST)
    level2 = gb2312_row(0xD8A1, 0xF7FE)
    if len(level1) != 3755 or len(level2) != 3008:
        raise TableError("GB2312 has %d + %d characters, expected 3755 + 3008" % (len(level1), len(level2)))

    code_of = {ch: code for code, ch in level1}
    moved_to = {}
    for letter, chars in PLACEMENTS.items():
        for ch in chars:
            if ch not in code_of:
                raise TableError("placed character %s is not in level 1" % ch)
            moved_to[ch] = letter

    # Level 1 by code range, checked against the first kMandarin reading.
    by_range = {letter: [] for letter in LETTERS}
    differing = []
    for code, ch in level1:
        letter = range_letter(code)
        by_range[letter].append((code, ch))
        first = readings.get(ch)
        if not first:
            raise TableError("level-1 character %s (%04X) has no kMandarin reading" % (ch, code))
        if initial(first[0]) != letter:
            differing.append((code, ch, letter, first[0]))

    starts = dict(LEVEL1_STARTS)
    columns = {}
    for letter in LETTERS:
        if letter in NON_INITIALS:
            continue
        own = [(code, ch) for code, ch in by_range[letter] if ch not in moved_to or ch in KEPT]
        placed = [(code_of[ch], ch) for ch in PLACEMENTS.get(letter, "")]
        before = sorted(p for p in placed if p[0] < starts[letter])
        after = sorted(p for p in placed if p[0] >= starts[letter])
        columns[letter] = [ch for _, ch in before] + [ch for _, ch in own] + [ch for _, ch in after]

    # Level 2 by the first reading, in code order.
    for code, ch in level2:
        first = readings.get(ch)
        if not first:
            raise TableError("level-2 character %s (%04X) has no kMandarin reading" % (ch, code))
        letter = initial(first[0])
        if letter in NON_INITIALS:
            raise TableError("level-2 character %s reads %s" % (ch, first[0]))
        columns[letter].append(ch)

    total = sum(len(chars) for chars in columns.values())
    if total != EXPECTED_TOTAL:
        raise TableError("the table holds %d characters, expected %d" % (total, EXPECTED_TOTAL))
    for letter, chars in columns.items():
        if len(set(chars)) != len(chars):
            raise TableError("letter %s lists a character twice" % letter)

    report.append("level-1 characters whose first kMandarin reading starts with another letter "
                  "than their code range (%d):" % len(differing))
    for code, ch, letter, reading in differing:
        where = ""
        if ch in moved_to:
            where = " -> placed under %s%s" % (moved_to[ch], " too" if ch in KEPT else "")
        report.append("  %04X %s range %s, kMandarin %s%s" % (code, ch, letter, reading, where))
    report.append("characters per letter (ours / reference index):")
    for letter in LETTERS:
        if letter in columns:
            ours, ref = len(columns[letter]), REFERENCE_SIZES[letter]
            mark = "" if ours == ref else "  (%+d)" % (ours - ref)
            report.append("  %s %4d / %4d%s" % (letter, ours, ref, mark))
    report.append("  total %d" % total)

    table = {}
    for letter in LETTERS:
        text = NON_INITIALS[letter] if letter in NON_INITIALS else "".join(columns[letter])
        table[letter] = text.encode("gb2312")
    return table


def render(table):
    lines = [
        "// Generated by tools/pinyin/make_rom_spell_table.py from Unihan_Readings.txt",
        "// (Debian's unicode-data) and the GB2312 code order. Do not edit: regenerate",
        "// with `cmake --build <build tree> --target rom_spell_table`.",
        "//",
        "// For each letter A to Z, the GB2312 characters whose pinyin begins with it,",
        "// two GBK bytes each: level 1 in code order with the moved characters at the",
        "// start or end, then level 2 in code order. I, U and V hold the letter in",
        "// both cases and its full-width forms. Every byte is a hex escape.",
        "#include \"shell/RomSpellTable.h\"",
        "",
        "const RomSpellLetter kRomSpellTable[kRomSpellLetterCount] = {",
    ]
    per_line = 12  # characters, 8 source bytes each
    for letter in LETTERS:
        data = table[letter]
        if letter in NON_INITIALS:
            lines.append("    // %s: the letter in both cases and its full-width forms" % letter)
        else:
            lines.append("    // %s: %d characters" % (letter, len(data) // 2))
        chunks = []
        step = per_line * 2
        for at in range(0, len(data), step):
            chunks.append("\"" + "".join("\\x%02x" % b for b in data[at:at + step]) + "\"")
        lines.append("    {" + chunks[0])
        for chunk in chunks[1:]:
            lines.append("     " + chunk)
        lines[-1] += ","
        lines.append("     %d}," % len(data))
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--unihan", default=DEFAULT_UNIHAN, help="Unihan_Readings.txt.bz2")
    group = parser.add_mutually_exclusive_group(required=True)
    group.add_argument("--output", help="write the table source here")
    group.add_argument("--check", help="compare a fresh table with this file")
    parser.add_argument("--quiet", action="store_true", help="do not print the report")
    args = parser.parse_args()

    if not os.path.isfile(args.unihan):
        print("%s is missing: install Debian's unicode-data package "
              "(apt-get install unicode-data) to generate or check the table" % args.unihan)
        return MISSING_STATUS
    report = []
    try:
        source = render(build(read_mandarin(args.unihan), report))
    except TableError as e:
        print("make_rom_spell_table: %s" % e, file=sys.stderr)
        return 1
    if not args.quiet:
        print("\n".join(report))

    if args.output:
        with open(args.output, "w", encoding="ascii", newline="\n") as f:
            f.write(source)
        print("wrote %s" % args.output)
        return 0
    with open(args.check, "r", encoding="ascii", newline="") as f:
        committed = f.read()
    if committed != source:
        print("%s differs from what the generator makes now: regenerate it with the "
              "rom_spell_table target" % args.check, file=sys.stderr)
        return 1
    print("%s is what the generator makes" % args.check)
    return 0


if __name__ == "__main__":
    sys.exit(main())
