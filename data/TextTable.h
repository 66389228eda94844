// Reader of a small delimited text file, one record a line, whose fields may
// be wrapped in double quotes (the server address list IPConfig.CSV is read
// with it). The whole file is read into memory as lines; fields are split
// on request, line by line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CTextTable {
 public:
  // Stores the delimiter and loads the file (see Load).
  CTextTable(const std::string& fileName, const std::string& delimiter);

  // A table over text already in memory, split into lines as a file is.
  static CTextTable FromText(std::string_view text, const std::string& delimiter);

  // Reads the file given at construction (a GBK path). A file that cannot be
  // opened, or is larger than 1 MiB, writes "open file error <name>" to
  // standard output and leaves the table empty. Returns whether the file was
  // read.
  bool Load();

  // Replaces the lines by those of `text`. A line ends at each "\n"; each
  // line loses its first "\n" and its first "\r", wherever that stands, so
  // "\r\n" endings go and a "\r" inside a line goes instead of a final one.
  void LoadText(std::string_view text);

  // The fields of line `line` (1-based) into `fields`, which is emptied
  // first. Returns true when the line was split at the delimiter, false for
  // a line out of range (no fields) and for a line without the delimiter
  // (the whole line as the one field).
  //
  // A line holding quote-delimiter-quote is split at each occurrence of that
  // text and loses its first and last character (the outer quotes); else a
  // line holding the delimiter is split at each occurrence of it; else a
  // line that begins with a quote and ends in its last quote loses both.
  // An empty delimiter never splits.
  bool GetFields(std::vector<std::string>& fields, int line) const;

  void Clear() { lines_.clear(); }
  int GetLineCount() const { return static_cast<int>(lines_.size()); }

 private:
  explicit CTextTable(const std::string& delimiter) : delimiter_(delimiter) {}

  std::string fileName_;
  std::string delimiter_;
  std::vector<std::string> lines_;  // without their line ends
};
