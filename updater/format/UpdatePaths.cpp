#include "updater/format/UpdatePaths.h"

#include <vector>

#include "platform/sys/GbkText.h"

namespace kiv {

namespace {

bool HasControlByte(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// A folder step of a dir: like a file name.
bool IsUsableStep(std::string_view step) { return IsBareFileName(step); }

// What a path step may carry as it is: letters, digits and the marks that
// mean nothing special inside a path. Everything else is escaped.
bool IsPlainUrlByte(unsigned char byte) {
  if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')) return true;
  switch (byte) {
    case '-': case '.': case '_': case '~': case '!': case '$': case '&': case '\'':
    case '(': case ')': case '*': case '+': case ',': case ';': case '=': case ':': case '@':
      return true;
    default:
      return false;
  }
}

void AppendEscaped(std::string* url, std::string_view part) {
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : part) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsPlainUrlByte(byte)) {
      *url += c;
    } else {
      *url += '%';
      *url += kHex[byte >> 4];
      *url += kHex[byte & 0xF];
    }
  }
}

// The folder steps of a dir ("\a\b" -> a, b); false for a dir that does not
// begin with '\' or has an empty step inside it (a trailing '\' is allowed).
bool DirSteps(std::string_view dir, std::vector<std::string_view>* steps) {
  if (dir.empty() || dir[0] != '\\') return false;
  size_t start = 1;
  while (start < dir.size()) {
    size_t end = FindCharGbk(dir, '\\', start);
    if (end == std::string_view::npos) end = dir.size();
    if (end == start) return false;  // "\\" inside: a network path or a typing slip
    steps->push_back(dir.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

}  // namespace

bool IsBareFileName(std::string_view name) {
  if (name.empty() || name.size() > kPackageTextBytes - 1 || name == "." || name == "..") return false;
  if (HasControlByte(name)) return false;
  return FindCharGbk(name, '\\') == std::string_view::npos && FindCharGbk(name, '/') == std::string_view::npos &&
         FindCharGbk(name, ':') == std::string_view::npos;
}

bool RecordRelativePath(const PackageRecord& record, std::string* relative, std::string* why) {
  auto refuse = [why](const char* reason) {
    if (why) *why = reason;
    return false;
  };
  if (!IsBareFileName(record.name)) return refuse("name is not a bare file name");
  std::vector<std::string_view> steps;
  if (!DirSteps(record.dir, &steps)) return refuse("dir does not lie below the program folder");
  for (std::string_view step : steps) {
    if (!IsUsableStep(step)) return refuse("dir has a step that leaves the folder or is not a name");
  }
  if (!steps.empty() && EqualsNoCaseGbk(steps.front(), kTempFolder)) return refuse("dir lies in the staging folder");
  if (steps.empty() && EqualsNoCaseGbk(record.name, kInstalledListFile)) return refuse("name is the installed list");
  std::string path;
  for (std::string_view step : steps) {
    path.append(step);
    path += '/';
  }
  path += record.name;
  *relative = std::move(path);
  return true;
}

std::string RecordUrl(std::string_view addr, const PackageRecord& record) {
  std::string url(addr);
  if (record.dir != kPackageRootDir) {
    // Each '\' of the dir becomes '/'; the rest is escaped like a name. A
    // double-byte character goes as a pair, so its trail byte stays itself.
    for (size_t i = 0; i < record.dir.size(); ++i) {
      const char c = record.dir[i];
      if (IsGbkLeadByte(static_cast<unsigned char>(c)) && i + 1 < record.dir.size()) {
        AppendEscaped(&url, std::string_view(record.dir).substr(i, 2));
        ++i;
      } else if (c == '\\') {
        url += '/';
      } else {
        AppendEscaped(&url, std::string_view(&record.dir[i], 1));
      }
    }
  }
  url += '/';
  AppendEscaped(&url, record.name);
  return url;
}

std::string FileUrl(std::string_view addr, std::string_view file) {
  std::string url(addr);
  url += '/';
  AppendEscaped(&url, file);
  return url;
}

}  // namespace kiv
