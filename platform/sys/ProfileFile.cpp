#include "platform/sys/ProfileFile.h"

#include <sys/stat.h>

#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/Files.h"
#include "platform/sys/GbkText.h"

namespace {

// One line of the file as read, with what it means. Unchanged lines are
// written back from `text` and `eol`, so a rewrite keeps them byte for byte.
struct ProfileLine {
  enum Kind { kOther, kSection, kEntry };
  std::string text;  // without the line ending
  std::string eol;   // "\r\n", "\n", or "" for a last line without one
  Kind kind = kOther;
  std::string name;   // section or key name, blanks removed
  std::string value;  // entry value, blanks removed, quotes kept
};

using ProfileLines = std::vector<ProfileLine>;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

void Classify(ProfileLine* line) {
  std::string_view text = Trim(line->text);
  if (text.empty() || text.front() == ';') return;
  if (text.front() == '[') {
    size_t close = kiv::FindCharGbk(text, ']', 1);
    if (close == std::string_view::npos) return;  // damaged header: means nothing
    line->kind = ProfileLine::kSection;
    line->name = std::string(Trim(text.substr(1, close - 1)));
    return;
  }
  size_t equals = kiv::FindCharGbk(text, '=');
  if (equals == std::string_view::npos) return;
  line->kind = ProfileLine::kEntry;
  line->name = std::string(Trim(text.substr(0, equals)));
  line->value = std::string(Trim(text.substr(equals + 1)));
}

ProfileLines Parse(const std::string& content) {
  ProfileLines lines;
  size_t start = 0;
  while (start < content.size()) {
    ProfileLine line;
    size_t newline = content.find('\n', start);
    size_t end = newline == std::string::npos ? content.size() : newline;
    size_t textEnd = end;
    if (newline != std::string::npos) {
      line.eol = "\n";
      if (textEnd > start && content[textEnd - 1] == '\r') {
        --textEnd;
        line.eol = "\r\n";
      }
    }
    line.text = content.substr(start, textEnd - start);
    Classify(&line);
    lines.push_back(std::move(line));
    start = newline == std::string::npos ? content.size() : newline + 1;
  }
  return lines;
}

std::string Serialise(const ProfileLines& lines) {
  std::string out;
  for (const ProfileLine& line : lines) {
    out += line.text;
    out += line.eol;
  }
  return out;
}

ProfileLines ReadProfile(const char* fileName) {
  std::string content;
  if (fileName) kiv::ReadWholeFile(kiv::NativePath(fileName), &content);
  return Parse(content);
}

// Calls visit(index) for every entry of every section named `section`, in
// file order, until it returns true.
template <typename Visit>
void ForEachEntryOf(const ProfileLines& lines, std::string_view section, Visit visit) {
  bool inSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind == ProfileLine::kSection) {
      inSection = kiv::EqualsNoCaseGbk(lines[i].name, section);
    } else if (inSection && lines[i].kind == ProfileLine::kEntry) {
      if (visit(i)) return;
    }
  }
}

const ProfileLine* FindEntry(const ProfileLines& lines, std::string_view section,
                             std::string_view key) {
  const ProfileLine* found = nullptr;
  ForEachEntryOf(lines, section, [&](size_t i) {
    if (!kiv::EqualsNoCaseGbk(lines[i].name, key)) return false;
    found = &lines[i];
    return true;
  });
  return found;
}

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

void AddDistinct(std::vector<std::string>* names, const std::string& name) {
  for (const std::string& known : *names) {
    if (kiv::EqualsNoCaseGbk(known, name)) return;
  }
  names->push_back(name);
}

DWORD CopyText(std::string_view text, char* buffer, DWORD size) {
  size_t count = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<DWORD>(count);
}

// Each name and its zero, then one more zero; cut to size - 2 bytes and two
// zeros when it does not fit.
DWORD CopyList(const std::vector<std::string>& names, char* buffer, DWORD size) {
  std::string list;
  for (const std::string& name : names) {
    list += name;
    list += '\0';
  }
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    if (list.empty() && size >= 2) buffer[1] = '\0';
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

bool LookupValue(const char* section, const char* key, const char* fileName, std::string* value) {
  ProfileLines lines = ReadProfile(fileName);
  const ProfileLine* entry = FindEntry(lines, Trim(section), Trim(key));
  if (!entry) return false;
  *value = std::string(StripQuotes(entry->value));
  return true;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// Serialises the writers of this process: each one reads, edits and replaces
// the whole file, and two at once would lose one's change.
std::mutex& WriteMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string LineEndingOf(const ProfileLines& lines) {
  for (const ProfileLine& line : lines) {
    if (!line.eol.empty()) return line.eol;
  }
  return "\r\n";
}

void InsertLine(ProfileLines* lines, size_t at, std::string text, const std::string& eol) {
  if (at > 0 && (*lines)[at - 1].eol.empty()) (*lines)[at - 1].eol = eol;
  ProfileLine line;
  line.text = std::move(text);
  line.eol = eol;
  Classify(&line);
  lines->insert(lines->begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

// Applies one write to the lines; false when nothing changed.
bool ApplyWrite(ProfileLines* lines, std::string_view section, const char* key, const char* value) {
  bool changed = false;
  if (!key) {  // delete every section of that name with all its lines
    ProfileLines kept;
    bool inSection = false;
    for (ProfileLine& line : *lines) {
      if (line.kind == ProfileLine::kSection) inSection = kiv::EqualsNoCaseGbk(line.name, section);
      if (inSection) {
        changed = true;
      } else {
        kept.push_back(std::move(line));
      }
    }
    *lines = std::move(kept);
    return changed;
  }

  std::string_view keyName = Trim(key);
  if (!value) {  // delete every entry of that key in those sections
    std::vector<size_t> doomed;
    ForEachEntryOf(*lines, section, [&](size_t i) {
      if (kiv::EqualsNoCaseGbk((*lines)[i].name, keyName)) doomed.push_back(i);
      return false;
    });
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
      lines->erase(lines->begin() + static_cast<std::ptrdiff_t>(*it));
    }
    return !doomed.empty();
  }

  const std::string eol = LineEndingOf(*lines);
  bool replaced = false;
  ForEachEntryOf(*lines, section, [&](size_t i) {
    ProfileLine& line = (*lines)[i];
    if (!kiv::EqualsNoCaseGbk(line.name, keyName)) return false;
    std::string text = line.name + "=" + value;
    if (text != line.text) {
      line.text = std::move(text);
      Classify(&line);
      changed = true;
    }
    replaced = true;
    return true;
  });
  if (replaced) return changed;

  // A new entry goes after the last entry of the first section of that name
  // (or right below its header), so comments that precede the next section
  // stay with it.
  size_t insertAt = lines->size();
  bool found = false;
  for (size_t i = 0; i < lines->size(); ++i) {
    const ProfileLine& line = (*lines)[i];
    if (line.kind == ProfileLine::kSection) {
      if (found) break;
      if (kiv::EqualsNoCaseGbk(line.name, section)) {
        found = true;
        insertAt = i + 1;
      }
    } else if (found && line.kind == ProfileLine::kEntry) {
      insertAt = i + 1;
    }
  }
  if (!found) {
    InsertLine(lines, lines->size(), "[" + std::string(section) + "]", eol);
    insertAt = lines->size();
  }
  InsertLine(lines, insertAt, std::string(keyName) + "=" + value, eol);
  return true;
}

}  // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName) {
  if (!buffer || size == 0) return 0;
  if (!section) {
    std::vector<std::string> names;
    for (const ProfileLine& line : ReadProfile(fileName)) {
      if (line.kind == ProfileLine::kSection) AddDistinct(&names, line.name);
    }
    return CopyList(names, buffer, size);
  }
  if (!key) {
    ProfileLines lines = ReadProfile(fileName);
    std::vector<std::string> names;
    ForEachEntryOf(lines, Trim(section), [&](size_t i) {
      AddDistinct(&names, lines[i].name);
      return false;
    });
    return CopyList(names, buffer, size);
  }
  std::string value;
  if (LookupValue(section, key, fileName, &value)) return CopyText(value, buffer, size);
  std::string_view fallback = defaultValue ? defaultValue : "";
  while (!fallback.empty() && IsBlank(fallback.back())) fallback.remove_suffix(1);
  return CopyText(fallback, buffer, size);
}

UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName) {
  std::string value;
  if (!section || !key || !LookupValue(section, key, fileName, &value) || value.empty()) {
    return static_cast<UINT>(defaultValue);
  }
  size_t i = 0;
  bool negative = false;
  if (value[i] == '+' || value[i] == '-') negative = value[i++] == '-';
  // Saturate far beyond 32 bits rather than overflow; the result wraps to
  // 32 bits like the unsigned result of the Windows function.
  long long number = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    if (number < (1LL << 40)) number = number * 10 + (value[i] - '0');
  }
  return static_cast<UINT>(static_cast<unsigned long long>(negative ? -number : number));
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
  if (!section) return key == nullptr && value == nullptr ? TRUE : FALSE;
  if (!fileName || !*fileName) return FALSE;
  std::string_view sectionName = Trim(section);
  if (HasLineBreak(section) || kiv::FindCharGbk(sectionName, ']') != std::string_view::npos) {
    return FALSE;
  }
  if (key) {
    std::string_view keyName = Trim(key);
    if (HasLineBreak(key) || kiv::FindCharGbk(keyName, '=') != std::string_view::npos) {
      return FALSE;
    }
    if (!keyName.empty() && (keyName.front() == '[' || keyName.front() == ';')) return FALSE;
    if (value && HasLineBreak(value)) return FALSE;
  }

  std::lock_guard<std::mutex> lock(WriteMutex());
  const std::string nativePath = kiv::NativePath(fileName);
  // A file that exists but cannot be read must not be replaced by one that
  // holds only this entry.
  struct stat info;
  bool exists = ::stat(nativePath.c_str(), &info) == 0;
  std::string content;
  if (exists && !kiv::ReadWholeFile(nativePath, &content)) return FALSE;
  ProfileLines lines = Parse(content);
  if (!ApplyWrite(&lines, sectionName, key, value)) return TRUE;

  unsigned mode = exists ? (info.st_mode & 07777) : 0644;
  return kiv::ReplaceFileAtomically(nativePath, Serialise(lines), mode) ? TRUE : FALSE;
}
