// The text of a profile file as the profile functions read and edit it.
// Read back unedited it must give the same bytes; every name it lists must
// be found; an edit keeps every line it does not touch, and a value it sets
// reads back as set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/GbkText.h"
#include "platform/sys/ProfileText.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;

namespace {

// Names and values the writer accepts: no line break, no ']' in a section,
// no '=' in a key, no key starting with '[' or ';', and nothing that the
// reader would trim.
std::string Clean(std::string_view text, const char* refused) {
  std::string out;
  for (char c : text) {
    if (c == '\r' || c == '\n' || c == '\0' || kiv::IsProfileBlank(c)) continue;
    if (std::string_view(refused).find(c) != std::string_view::npos) continue;
    if (static_cast<unsigned char>(c) >= 0x80) continue;  // ASCII only: a lone GBK lead byte would swallow the next
    out.push_back(c);
  }
  while (!out.empty() && (out.front() == '[' || out.front() == ';')) out.erase(0, 1);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  const kiv::ProfileText text(content);
  Check(text.Serialise() == content);

  for (const std::string& section : text.SectionNames()) {
    for (const std::string& key : text.KeyNames(section)) Check(text.Find(section, key) != nullptr);
  }

  // The last bytes (up to 16) name a section, key and value to write.
  const std::string_view tail = content.substr(size > 16 ? size - 16 : 0);
  const std::string section = Clean(tail.substr(0, tail.size() / 3), "]");
  const std::string key = Clean(tail.substr(tail.size() / 3, tail.size() / 3), "=");
  const std::string value = Clean(tail.substr(2 * (tail.size() / 3)), "");
  if (key.empty()) return 0;

  kiv::ProfileText edited(content);
  edited.Apply(section, key.c_str(), value.c_str());
  const std::string* found = edited.Find(section, key);
  Check(found != nullptr && *found == value);
  // What the edit wrote reads back the same.
  const kiv::ProfileText again(edited.Serialise());
  Check(again.Serialise() == edited.Serialise());
  found = again.Find(section, key);
  Check(found != nullptr && *found == value);

  kiv::ProfileText removed(content);
  removed.Apply(section, key.c_str(), nullptr);
  Check(removed.Find(section, key) == nullptr);
  removed.Apply(section, nullptr, nullptr);
  for (const std::string& name : removed.SectionNames()) Check(!kiv::EqualsNoCaseGbk(name, section));
  return 0;
}
