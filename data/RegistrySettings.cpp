#include "data/RegistrySettings.h"

#include <cstring>
#include <string>

#include "platform/sys/Registry.h"

const char kSettingsKey[] = "Software\\Moravel\\KivDesk";

namespace {

// Closes the key on every way out.
class OpenedKey {
 public:
  OpenedKey() = default;
  ~OpenedKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  HKEY* Receive() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool OpenOrCreate(OpenedKey* key, bool* created) {
  *created = false;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS, key->Receive()) ==
      ERROR_SUCCESS) {
    return true;
  }
  DWORD disposition = 0;
  *created = true;
  return RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_READ | KEY_WRITE, nullptr, key->Receive(),
                         &disposition) == ERROR_SUCCESS;
}

}  // namespace

int RegReadSetting(const char* name, char* buffer) {
  if (!name || !*name || !buffer) return 0;
  OpenedKey key;
  bool created = false;
  if (!OpenOrCreate(&key, &created) || created) return 0;

  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return 0;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return 0;
  // Read into a buffer of our own: the stored text may or may not carry its
  // zero, may be longer than the caller's buffer, and may change between the
  // two queries.
  std::string text(size, '\0');
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size) !=
      ERROR_SUCCESS) {
    return 0;
  }
  text.resize(size);
  size_t length = std::strlen(text.c_str());  // up to the first zero, if any
  if (length + 1 > static_cast<size_t>(kSettingBufferSize)) return 0;
  std::memcpy(buffer, text.c_str(), length + 1);
  return 1;
}

int RegWriteSetting(const char* name, const char* text) {
  if (!name || !*name || !text) return 0;
  OpenedKey key;
  bool created = false;
  if (!OpenOrCreate(&key, &created)) return 0;
  size_t length = std::strlen(text);
  if (length > KIV_REGISTRY_MAX_VALUE_BYTES) return 0;
  return RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(length)) == ERROR_SUCCESS
             ? 1
             : 0;
}
