#include "data/TextTable.h"

#include <cstdio>
#include <utility>

#include "platform/sys/Files.h"

namespace {

// The lists read this way are a few lines; a larger file is none of them (a
// damaged one) and is not read into memory.
constexpr size_t kMaxFileBytes = size_t(1) << 20;

// Splits `text` at every occurrence of `separator`; the rest after the last
// one is the last field, so n separators always give n + 1 fields.
void SplitAll(const std::string& text, const std::string& separator,
              std::vector<std::string>& fields) {
  size_t start = 0;
  for (size_t match = text.find(separator); match != std::string::npos;
       match = text.find(separator, start)) {
    fields.push_back(text.substr(start, match - start));
    start = match + separator.size();
  }
  fields.push_back(text.substr(start));
}

void EraseFirst(std::string& line, char c) {
  const size_t at = line.find(c);
  if (at != std::string::npos) line.erase(at, 1);
}

}  // namespace

CTextTable::CTextTable(const std::string& fileName, const std::string& delimiter)
    : fileName_(fileName), delimiter_(delimiter) {
  Load();
}

CTextTable CTextTable::FromText(std::string_view text, const std::string& delimiter) {
  CTextTable table(delimiter);
  table.LoadText(text);
  return table;
}

bool CTextTable::Load() {
  lines_.clear();
  std::FILE* file = kiv::OpenFile(fileName_, "rb");
  if (file == nullptr) {
    std::printf("open file error %s\n", fileName_.c_str());
    std::fflush(stdout);
    return false;
  }
  std::string content;
  char chunk[4096];
  size_t got = 0;
  bool tooLarge = false;
  while (!tooLarge && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    tooLarge = got > kMaxFileBytes - content.size();
    if (!tooLarge) content.append(chunk, got);
  }
  std::fclose(file);
  if (tooLarge) {
    std::printf("open file error %s\n", fileName_.c_str());
    std::fflush(stdout);
    return false;
  }
  LoadText(content);
  return true;
}

void CTextTable::LoadText(std::string_view text) {
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    const size_t newline = text.find('\n', start);
    const size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    std::string line(text.substr(start, end - start));
    EraseFirst(line, '\n');
    EraseFirst(line, '\r');
    lines_.push_back(std::move(line));
    start = end;
  }
}

bool CTextTable::GetFields(std::vector<std::string>& fields, int line) const {
  fields.clear();
  if (line < 1 || static_cast<size_t>(line) > lines_.size()) return false;
  const std::string& text = lines_[static_cast<size_t>(line) - 1];

  if (!delimiter_.empty()) {
    const std::string quoted = "\"" + delimiter_ + "\"";
    if (text.find(quoted) != std::string::npos) {
      SplitAll(text, quoted, fields);
      if (!fields.front().empty()) fields.front().erase(0, 1);
      if (!fields.back().empty()) fields.back().pop_back();
      return true;
    }
    if (text.find(delimiter_) != std::string::npos) {
      SplitAll(text, delimiter_, fields);
      return true;
    }
  }

  std::string whole = text;
  if (!whole.empty() && whole.front() == '"' && whole.find_last_of('"') == whole.size() - 1) {
    whole.erase(0, 1);
    if (!whole.empty()) whole.pop_back();
  }
  fields.push_back(std::move(whole));
  return false;
}
