#include "platform/sys/RegistryStore.h"

#include "platform/sys/GbkText.h"
#include "platform/sys/Registry.h"

namespace kiv::registry {
namespace {

// Whether a path component of `path` starts at `at`: the byte before it is
// a separator, not the trail byte of a double-byte character.
bool StartsComponent(std::string_view path, size_t at) {
  size_t separator = FindCharGbk(path, '\\');
  while (separator != std::string_view::npos && separator + 1 < at) {
    separator = FindCharGbk(path, '\\', separator + 1);
  }
  return separator != std::string_view::npos && separator + 1 == at;
}

bool NeedsEscape(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '%' || byte == '=' || byte == '[' || byte == ']';
}

const char kHexUpper[] = "0123456789ABCDEF";
const char kHexLower[] = "0123456789abcdef";

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char byte : text) {
    if (NeedsEscape(byte)) {
      out += '%';
      out += kHexUpper[byte >> 4];
      out += kHexUpper[byte & 15];
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// False for a stray '%', a bad escape or a byte that should have been escaped.
bool Unescape(std::string_view text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte == '%') {
      if (i + 2 >= text.size()) return false;
      int high = HexDigit(text[i + 1]);
      int low = HexDigit(text[i + 2]);
      if (high < 0 || low < 0) return false;
      out->push_back(static_cast<char>(high * 16 + low));
      i += 2;
    } else if (NeedsEscape(byte)) {
      return false;
    } else {
      out->push_back(static_cast<char>(byte));
    }
  }
  return true;
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string EncodeData(DWORD type, const std::string& data) {
  if (IsStringType(type)) return Escape(data);
  std::string out;
  out.reserve(data.size() * 2);
  for (unsigned char byte : data) {
    out += kHexLower[byte >> 4];
    out += kHexLower[byte & 15];
  }
  return out;
}

bool DecodeData(DWORD type, std::string_view text, std::string* data) {
  if (IsStringType(type)) return Unescape(text, data);
  if (text.size() % 2 != 0) return false;
  data->clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    int high = HexDigit(text[i]);
    int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    data->push_back(static_cast<char>(high * 16 + low));
  }
  return true;
}

bool ParseType(std::string_view text, DWORD* type) {
  if (text.empty() || text.size() > 10) return false;
  unsigned long long number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (number > 0xFFFFFFFFull) return false;
  *type = static_cast<DWORD>(number);
  return true;
}

// Reads "name=type:data" into *value.
bool ParseValueLine(std::string_view line, StoredValue* value) {
  size_t equals = line.find('=');
  size_t colon = line.find(':', equals == std::string_view::npos ? 0 : equals);
  if (equals == std::string_view::npos || colon == std::string_view::npos) return false;
  if (!Unescape(line.substr(0, equals), &value->name)) return false;
  if (!ParseType(line.substr(equals + 1, colon - equals - 1), &value->type)) return false;
  std::string_view data = line.substr(colon + 1);
  if (data.size() > 3 * static_cast<size_t>(KIV_REGISTRY_MAX_VALUE_BYTES)) return false;
  if (!DecodeData(value->type, data, &value->data)) return false;
  return value->data.size() <= KIV_REGISTRY_MAX_VALUE_BYTES;
}

}  // namespace

StoredValue* StoredKey::Find(std::string_view name) {
  for (StoredValue& value : values) {
    if (EqualsNoCaseGbk(value.name, name)) return &value;
  }
  return nullptr;
}

StoredKey* Store::Find(std::string_view path) {
  for (StoredKey& key : keys) {
    if (EqualsNoCaseGbk(key.path, path)) return &key;
  }
  return nullptr;
}

bool Store::Exists(std::string_view path) const {
  if (path.empty()) return true;
  const std::string folded = FoldCaseGbk(path);
  for (const StoredKey& key : keys) {
    std::string candidate = FoldCaseGbk(key.path);
    if (candidate == folded) return true;
    if (candidate.size() > folded.size() && candidate.compare(0, folded.size(), folded) == 0 &&
        StartsComponent(candidate, folded.size() + 1)) {
      return true;
    }
  }
  return false;
}

StoredKey& Store::FindOrAdd(const std::string& path) {
  if (StoredKey* key = Find(path)) return *key;
  keys.push_back(StoredKey{path, {}});
  return keys.back();
}

Store ParseStore(const std::string& content, bool cut) {
  Store store;
  StoredKey* current = nullptr;
  size_t start = 0;
  while (start < content.size()) {
    size_t newline = content.find('\n', start);
    if (newline == std::string::npos && cut) break;  // the last line is not whole
    size_t end = newline == std::string::npos ? content.size() : newline;
    std::string_view line(content.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == ';') continue;

    if (line.front() == '[') {
      std::string path;
      current = nullptr;  // values under a damaged header belong nowhere
      if (line.back() == ']' && Unescape(line.substr(1, line.size() - 2), &path)) {
        current = &store.FindOrAdd(JoinPath(std::string(), path));
      }
      continue;
    }
    StoredValue value;
    if (current && ParseValueLine(line, &value) && !current->Find(value.name)) {
      current->values.push_back(std::move(value));
    }
  }
  return store;
}

std::string SerialiseStore(const Store& store) {
  std::string out =
      "; KivDesk registry store (HKEY_CURRENT_USER). Written by the program;\n"
      "; [key path], then name=type:data lines. %XX escapes bytes < 0x20, 0x7F,\n"
      "; '%', '=', '[' and ']'; non-string types are hex bytes.\n";
  for (const StoredKey& key : store.keys) {
    out += '[';
    out += Escape(key.path);
    out += "]\n";
    for (const StoredValue& value : key.values) {
      out += Escape(value.name);
      out += '=';
      out += std::to_string(value.type);
      out += ':';
      out += EncodeData(value.type, value.data);
      out += '\n';
    }
  }
  return out;
}

// parent + subKey, with empty components (doubled, leading or trailing
// backslashes) dropped.
std::string JoinPath(const std::string& parent, std::string_view subKey) {
  std::string path = parent;
  std::string_view rest = subKey;
  while (!rest.empty()) {
    size_t slash = FindCharGbk(rest, '\\');
    std::string_view part = rest.substr(0, slash);
    if (!part.empty()) {
      if (!path.empty()) path += '\\';
      path += part;
    }
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return path;
}

}  // namespace kiv::registry
