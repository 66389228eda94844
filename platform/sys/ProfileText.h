// The text of a profile (INI) file, as the profile functions read and edit
// it (ProfileFile.h states the format and the rules). The text is kept as
// lines with what each means; an edit changes only the lines it must, so
// every other line is written back byte for byte: Serialise of an unedited
// text gives the text it was made from.
//
// Works on bytes only: the file, its size limit and its locking belong to
// ProfileFile.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

class ProfileText {
 public:
  // Reads the lines of `content`.
  explicit ProfileText(std::string_view content);

  std::string Serialise() const;

  // The value of `key` in the first section named `section` that has it
  // (names trimmed and compared without regard to ASCII case), with its
  // quotes as written; null when missing.
  const std::string* Find(std::string_view section, std::string_view key) const;

  // Every section name once, in file order (the first spelling).
  std::vector<std::string> SectionNames() const;
  // Every key of the sections named `section` once, in file order.
  std::vector<std::string> KeyNames(std::string_view section) const;

  // One write of WritePrivateProfileString (null key: delete the sections,
  // null value: delete the entries, else set the entry, adding section and
  // entry when needed). The caller has refused names and values that would
  // change the file's structure. False when nothing changed.
  bool Apply(std::string_view section, const char* key, const char* value);

 private:
  struct Line {
    enum Kind { kOther, kSection, kEntry };
    std::string text;  // without the line ending
    std::string eol;   // "\r\n", "\n", or "" for a last line without one
    Kind kind = kOther;
    std::string name;   // section or key name, blanks removed
    std::string value;  // entry value, blanks removed, quotes kept
  };

  static void Classify(Line* line);
  template <typename Visit>
  void ForEachEntryOf(std::string_view section, Visit visit) const;
  std::string LineEnding() const;
  void InsertLine(size_t at, std::string text, const std::string& eol);

  std::vector<Line> lines_;
};

// The blanks that names and values lose at both ends.
bool IsProfileBlank(char c);
std::string_view TrimProfileBlanks(std::string_view text);

}  // namespace kiv
