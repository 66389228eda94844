#include "updater/format/UpdaterConfig.h"

#include <climits>

#include "platform/sys/GbkText.h"
#include "platform/sys/ProfileText.h"
#include "updater/format/UpdatePaths.h"

namespace kiv {

namespace {

std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// At most `limit` bytes, never half of a double-byte character.
std::string CutOnCharacter(std::string_view text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = end + (IsGbkLeadByte(static_cast<unsigned char>(text[end])) ? 2 : 1);
    if (next > limit || next > text.size()) break;
    end = next;
  }
  return std::string(text.substr(0, end));
}

std::string ValueOf(const ProfileText& profile, std::string_view key) {
  const std::string* found = profile.Find(kUpdaterConfigSection, key);
  if (!found) return std::string();
  return CutOnCharacter(WithoutQuotes(*found), kUpdaterConfigValueBytes);
}

}  // namespace

std::string UpdaterConfigValue(std::string_view iniText, std::string_view key) {
  return ValueOf(ProfileText(iniText), key);
}

int32_t UpdaterConfigInt(std::string_view value) {
  size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  int64_t number = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    number = number * 10 + (value[i] - '0');
    if (number > int64_t(INT32_MAX) + 1) number = int64_t(INT32_MAX) + 1;  // stays clamped
  }
  if (negative) number = -number;
  if (number > INT32_MAX) number = INT32_MAX;
  return static_cast<int32_t>(number);
}

int ReadUpdaterConfig(std::string_view iniText, UpdaterConfig* config, std::string* badKey) {
  const ProfileText profile(iniText);
  UpdaterConfig read;
  read.cName = ValueOf(profile, "CName");
  read.name = ValueOf(profile, "Name");
  read.addr = ValueOf(profile, "Addr");
  read.dataName = ValueOf(profile, "dataName");
  read.conName = ValueOf(profile, "conName");
  read.type = UpdaterConfigInt(ValueOf(profile, "Type"));
  read.mustup = ValueOf(profile, "mustup");
  // In the order they are read: the first missing or unusable one is named.
  const struct {
    const char* key;
    bool usable;
  } required[] = {
      {"Name", IsBareFileName(read.name)},
      {"Addr", !read.addr.empty()},
      {"dataName", IsBareFileName(read.dataName)},
      {"conName", !read.conName.empty()},
  };
  for (const auto& entry : required) {
    if (!entry.usable) {
      if (badKey) *badKey = entry.key;
      return -1;
    }
  }
  *config = std::move(read);
  return 0;
}

}  // namespace kiv
