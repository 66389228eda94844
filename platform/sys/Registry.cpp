#include "platform/sys/Registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <cstring>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/sys/AtomicFile.h"
#include "platform/sys/GbkText.h"
#include "platform/sys/RegistryStore.h"

namespace {

using kiv::registry::JoinPath;
using kiv::registry::kMaxStoreBytes;
using kiv::registry::ParseStore;
using kiv::registry::SerialiseStore;
using kiv::registry::Store;
using kiv::registry::StoredKey;
using kiv::registry::StoredValue;

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

  // Reads the store into *store: empty when there is no file, what its
  // first part yields when it is larger than kMaxStoreBytes. False unless
  // the file was read whole (or is missing): a file that cannot be opened
  // or read, or only in part, says nothing about its values, and a write
  // must leave it as it is rather than replace it with less.
  bool Load(Store* store) {
    *store = Store();
    const std::string path = FilePath();
    if (path.empty()) return true;
    try {
      std::string content;
      bool cut = false;
      if (!kiv::ReadWholeFile(path, &content, kMaxStoreBytes, &cut)) {
        struct stat info;
        return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
      }
      *store = ParseStore(content, cut);
      return !cut;
    } catch (const std::exception&) {
      *store = Store();
      return false;
    }
  }

  Store Load() {
    Store store;
    Load(&store);
    return store;
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
    } else if (needed & KEY_SET_VALUE) {
      // A change is saved over the whole store: it must have been read whole.
      if (!registry_.Load(&store_)) status_ = ERROR_CANTWRITE;
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
  Store store;
  const bool whole = registry.Load(&store);
  bool existed = store.Exists(path);
  if (!existed) {
    if (!whole) return ERROR_CANTWRITE;
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
