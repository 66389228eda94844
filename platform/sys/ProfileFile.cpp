#include "platform/sys/ProfileFile.h"

#include <sys/stat.h>

#include <cstring>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/Files.h"
#include "platform/sys/GbkText.h"
#include "platform/sys/ProfileText.h"

namespace {

using kiv::ProfileText;
using kiv::TrimProfileBlanks;

// A profile file is a few kilobytes of settings. A larger one is not one
// the program wrote (a full disk, a crash, a curious user): it reads as
// unreadable, so the defaults apply and nothing is rewritten from a part of
// it, and no read can cost more than this.
constexpr size_t kMaxProfileBytes = size_t(1) << 20;

// Reads the whole file; false when it cannot be read or is above the cap.
bool ReadProfileFile(const std::string& nativePath, std::string* content) {
  bool cut = false;
  if (!kiv::ReadWholeFile(nativePath, content, kMaxProfileBytes, &cut)) return false;
  if (cut) {
    content->clear();
    return false;
  }
  return true;
}

// The file's text; an unreadable file reads as empty.
ProfileText ReadProfile(const char* fileName) {
  std::string content;
  if (fileName) ReadProfileFile(kiv::NativePath(fileName), &content);
  return ProfileText(content);
}

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
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
  const ProfileText text = ReadProfile(fileName);
  const std::string* found = text.Find(section, key);
  if (!found) return false;
  *value = std::string(StripQuotes(*found));
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

DWORD GetString(const char* section, const char* key, const char* defaultValue, char* buffer, DWORD size,
                const char* fileName) {
  if (!section) return CopyList(ReadProfile(fileName).SectionNames(), buffer, size);
  if (!key) return CopyList(ReadProfile(fileName).KeyNames(section), buffer, size);
  std::string value;
  if (LookupValue(section, key, fileName, &value)) return CopyText(value, buffer, size);
  std::string_view fallback = defaultValue ? defaultValue : "";
  while (!fallback.empty() && kiv::IsProfileBlank(fallback.back())) fallback.remove_suffix(1);
  return CopyText(fallback, buffer, size);
}

BOOL WriteString(const char* section, const char* key, const char* value, const char* fileName) {
  std::string_view sectionName = TrimProfileBlanks(section);
  if (HasLineBreak(section) || kiv::FindCharGbk(sectionName, ']') != std::string_view::npos) {
    return FALSE;
  }
  if (key) {
    std::string_view keyName = TrimProfileBlanks(key);
    if (HasLineBreak(key) || kiv::FindCharGbk(keyName, '=') != std::string_view::npos) {
      return FALSE;
    }
    if (!keyName.empty() && (keyName.front() == '[' || keyName.front() == ';')) return FALSE;
    if (value && HasLineBreak(value)) return FALSE;
  }

  std::lock_guard<std::mutex> lock(WriteMutex());
  const std::string nativePath = kiv::NativePath(fileName);
  // A file that exists but cannot be read whole must not be replaced by one
  // that holds only this entry, or only part of what it held.
  struct stat info;
  bool exists = ::stat(nativePath.c_str(), &info) == 0;
  std::string content;
  if (exists && !ReadProfileFile(nativePath, &content)) return FALSE;
  ProfileText text(content);
  if (!text.Apply(sectionName, key, value)) return TRUE;

  unsigned mode = exists ? (info.st_mode & 07777) : 0644;
  return kiv::ReplaceFileAtomically(nativePath, text.Serialise(), mode) ? TRUE : FALSE;
}

}  // namespace

// Nothing a file holds may end the program: an allocation that fails while
// a file is read or edited leaves the defaults or a refused write.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* buffer, DWORD size, const char* fileName) {
  if (!buffer || size == 0) return 0;
  try {
    return GetString(section, key, defaultValue, buffer, size, fileName);
  } catch (const std::exception&) {
    buffer[0] = '\0';
    if (size >= 2) buffer[1] = '\0';
    return 0;
  }
}

UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName) {
  std::string value;
  try {
    if (!section || !key || !LookupValue(section, key, fileName, &value) || value.empty()) {
      return static_cast<UINT>(defaultValue);
    }
  } catch (const std::exception&) {
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
  try {
    return WriteString(section, key, value, fileName);
  } catch (const std::exception&) {
    return FALSE;
  }
}
