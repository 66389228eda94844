#include "platform/sys/Registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/GbkText.h"

namespace {

// A file larger than this is not a store this program wrote; only its
// first part is read.
constexpr size_t kMaxStoreBytes = 64u << 20;

struct StoredValue {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

struct StoredKey {
  std::string path;  // components joined by '\', as first created
  std::vector<StoredValue> values;

  StoredValue* Find(std::string_view name) {
    for (StoredValue& value : values) {
      if (kiv::EqualsNoCaseGbk(value.name, name)) return &value;
    }
    return nullptr;
  }
};

// Whether a path component of `path` starts at `at`: the byte before it is
// a separator, not the trail byte of a double-byte character.
bool StartsComponent(std::string_view path, size_t at) {
  size_t separator = kiv::FindCharGbk(path, '\\');
  while (separator != std::string_view::npos && separator + 1 < at) {
    separator = kiv::FindCharGbk(path, '\\', separator + 1);
  }
  return separator != std::string_view::npos && separator + 1 == at;
}

struct Store {
  std::vector<StoredKey> keys;

  StoredKey* Find(std::string_view path) {
    for (StoredKey& key : keys) {
      if (kiv::EqualsNoCaseGbk(key.path, path)) return &key;
    }
    return nullptr;
  }

  // The root always exists, and so does every key above a stored one.
  bool Exists(std::string_view path) {
    if (path.empty()) return true;
    const std::string folded = kiv::FoldCaseGbk(path);
    for (const StoredKey& key : keys) {
      std::string candidate = kiv::FoldCaseGbk(key.path);
      if (candidate == folded) return true;
      if (candidate.size() > folded.size() && candidate.compare(0, folded.size(), folded) == 0 &&
          StartsComponent(candidate, folded.size() + 1)) {
        return true;
      }
    }
    return false;
  }

  StoredKey& FindOrAdd(const std::string& path) {
    if (StoredKey* key = Find(path)) return *key;
    keys.push_back(StoredKey{path, {}});
    return keys.back();
  }
};

std::string JoinPath(const std::string& parent, std::string_view subKey);

// ---- Text form of the store ----

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

// ---- Location of the store ----

std::string ConfigHome() {
  // XDG: a relative XDG_CONFIG_HOME is to be ignored.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir &&
      found->pw_dir[0] == '/') {
    return std::string(found->pw_dir) + "/.config";
  }
  return std::string();
}

// ---- Process-wide state: the open handles and the file override ----

struct OpenKey {
  std::string path;
  REGSAM access = 0;
};

struct Registry {
  std::mutex mutex;
  std::string testFile;
  std::unordered_map<uintptr_t, OpenKey> handles;
  uintptr_t nextHandle = 0x100;

  std::string FilePath() {
    if (!testFile.empty()) return testFile;
    std::string home = ConfigHome();
    return home.empty() ? std::string() : home + "/kivdesk/registry.ini";
  }

  Store Load() {
    std::string path = FilePath();
    std::string content;
    bool cut = false;
    if (path.empty() || !kiv::ReadWholeFile(path, &content, kMaxStoreBytes, &cut)) return Store();
    return ParseStore(content, cut);
  }

  bool Save(const Store& store) {
    std::string path = FilePath();
    if (path.empty()) return false;
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 &&
        !kiv::CreateFolders(path.substr(0, slash), 0700)) {
      return false;
    }
    return kiv::ReplaceFileAtomically(path, SerialiseStore(store), 0600);
  }

  // The key path of a handle; false for a handle that is not open.
  bool Resolve(HKEY key, OpenKey* out) {
    uintptr_t id = reinterpret_cast<uintptr_t>(key);
    if (key == HKEY_CURRENT_USER) {
      *out = OpenKey{std::string(), KEY_ALL_ACCESS};
      return true;
    }
    auto it = handles.find(id);
    if (it == handles.end()) return false;
    *out = it->second;
    return true;
  }

  HKEY Open(const std::string& path, REGSAM access) {
    uintptr_t id = nextHandle++;
    if (id == reinterpret_cast<uintptr_t>(HKEY_CURRENT_USER)) id = nextHandle++;
    handles[id] = OpenKey{path, access};
    return reinterpret_cast<HKEY>(id);
  }
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

// parent + subKey, with empty components (doubled, leading or trailing
// backslashes) dropped.
std::string JoinPath(const std::string& parent, std::string_view subKey) {
  std::string path = parent;
  std::string_view rest = subKey;
  while (!rest.empty()) {
    size_t slash = kiv::FindCharGbk(rest, '\\');
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

std::string_view ValueName(const char* name) { return name ? name : ""; }

// The first steps of every call on a key's values: the registry locked, the
// handle resolved and checked for the access the call needs, the store
// loaded. Status() is ERROR_SUCCESS when the call may go on.
class ValueCall {
 public:
  ValueCall(HKEY key, REGSAM needed) : registry_(TheRegistry()), lock_(registry_.mutex) {
    if (!registry_.Resolve(key, &open_)) {
      status_ = ERROR_INVALID_HANDLE;
    } else if (!(open_.access & needed)) {
      status_ = ERROR_ACCESS_DENIED;
    } else {
      store_ = registry_.Load();
    }
  }
  LONG Status() const { return status_; }
  const std::string& Path() const { return open_.path; }
  Store& TheStore() { return store_; }
  LONG Save() { return registry_.Save(store_) ? ERROR_SUCCESS : ERROR_CANTWRITE; }

 private:
  Registry& registry_;
  std::lock_guard<std::mutex> lock_;
  OpenKey open_;
  Store store_;
  LONG status_ = ERROR_SUCCESS;
};

}  // namespace

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  OpenKey parent;
  if (!registry.Resolve(key, &parent)) return ERROR_INVALID_HANDLE;
  std::string path = JoinPath(parent.path, subKey ? subKey : "");
  if (!registry.Load().Exists(path)) return ERROR_FILE_NOT_FOUND;
  *result = registry.Open(path, access);
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* className, DWORD options,
                     REGSAM access, const void* securityAttributes, PHKEY result,
                     DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  OpenKey parent;
  if (!registry.Resolve(key, &parent)) return ERROR_INVALID_HANDLE;
  std::string path = JoinPath(parent.path, subKey ? subKey : "");
  Store store = registry.Load();
  bool existed = store.Exists(path);
  if (!existed) {
    store.FindOrAdd(path);
    if (!registry.Save(store)) return ERROR_CANTWRITE;
  }
  *result = registry.Open(path, access);
  if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize) {
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  ValueCall call(key, KEY_QUERY_VALUE);
  if (call.Status() != ERROR_SUCCESS) return call.Status();
  StoredKey* stored = call.TheStore().Find(call.Path());
  StoredValue* value = stored ? stored->Find(ValueName(valueName)) : nullptr;
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  DWORD needed = static_cast<DWORD>(value->data.size());
  if (!dataSize) return ERROR_SUCCESS;
  if (data) {
    if (*dataSize < needed) {
      *dataSize = needed;
      return ERROR_MORE_DATA;
    }
    if (needed > 0) std::memcpy(data, value->data.data(), needed);
  }
  *dataSize = needed;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize) {
  if (!data && dataSize > 0) return ERROR_INVALID_PARAMETER;
  if (dataSize > KIV_REGISTRY_MAX_VALUE_BYTES) return ERROR_INVALID_PARAMETER;
  ValueCall call(key, KEY_SET_VALUE);
  if (call.Status() != ERROR_SUCCESS) return call.Status();
  StoredKey& stored = call.TheStore().FindOrAdd(call.Path());
  std::string bytes(reinterpret_cast<const char*>(data), dataSize);
  if (StoredValue* value = stored.Find(ValueName(valueName))) {
    value->type = type;
    value->data = std::move(bytes);
  } else {
    stored.values.push_back(StoredValue{std::string(ValueName(valueName)), type, std::move(bytes)});
  }
  return call.Save();
}

LONG RegDeleteValueA(HKEY key, const char* valueName) {
  ValueCall call(key, KEY_SET_VALUE);
  if (call.Status() != ERROR_SUCCESS) return call.Status();
  StoredKey* stored = call.TheStore().Find(call.Path());
  if (!stored) return ERROR_FILE_NOT_FOUND;
  for (auto it = stored->values.begin(); it != stored->values.end(); ++it) {
    if (kiv::EqualsNoCaseGbk(it->name, ValueName(valueName))) {
      stored->values.erase(it);
      return call.Save();
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

LONG RegCloseKey(HKEY key) {
  if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  return registry.handles.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS
                                                                  : ERROR_INVALID_HANDLE;
}

namespace kiv {

std::string RegistryFilePath() {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  return registry.FilePath();
}

void SetRegistryFileForTesting(const char* nativePath) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.testFile = nativePath ? nativePath : "";
}

}  // namespace kiv
