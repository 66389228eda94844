// The registry functions the program uses, over a store of our own: the keys
// of HKEY_CURRENT_USER live in one small text file per user,
// $XDG_CONFIG_HOME/kivdesk/registry.ini (else $HOME/.config/kivdesk/...).
//
// Store format (one line each, "\n" endings):
//   ; comment
//   [key path]            a key; its path components are joined with '\'
//   name=type:data        a value of the key above: type is the decimal
//                         REG_* number; string types (REG_SZ, REG_EXPAND_SZ,
//                         REG_MULTI_SZ) keep their bytes as text, every other
//                         type is written as lower-case hexadecimal bytes.
// In key paths, value names and string data the bytes below 0x20, 0x7F,
// '%', '=', '[' and ']' are written as %XX (two upper-case hex digits); all
// other bytes, GBK text included, stand as they are. A line that does not
// follow this form is skipped, so a damaged file still yields every sound
// value. A key whose path is a prefix of a stored key exists as well.
// Key paths are split at backslashes between characters (the trail byte of a
// GBK character may be 0x5C); empty components are dropped.
//
// Key and value names compare without regard to ASCII case. Every call
// reads the file and every change rewrites it atomically (temporary file and
// rename, mode 0600), under one mutex of the process, so any thread may call.
// A file that exists but cannot be read whole (no permission, no descriptor
// left, larger than 64 MiB) is never replaced: a change fails with
// ERROR_CANTWRITE and the file keeps every value. Data are stored exactly
// as given: a REG_SZ written without its zero reads
// back without it, as on Windows. Other processes are not locked out: the
// program runs as a single instance per user.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sys/WinTypes.h"

typedef struct KivRegistryKey* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;

// The cast of a constant is folded at compile time: the value is there
// before any code runs.
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000001u));

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001u;
constexpr REGSAM KEY_SET_VALUE = 0x0002u;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004u;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008u;
constexpr REGSAM KEY_NOTIFY = 0x0010u;
constexpr REGSAM KEY_READ = 0x20019u;
constexpr REGSAM KEY_WRITE = 0x20006u;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003Fu;

// Value types.
constexpr DWORD REG_NONE = 0u;
constexpr DWORD REG_SZ = 1u;
constexpr DWORD REG_EXPAND_SZ = 2u;
constexpr DWORD REG_BINARY = 3u;
constexpr DWORD REG_DWORD = 4u;
constexpr DWORD REG_MULTI_SZ = 7u;
constexpr DWORD REG_QWORD = 11u;

// Key creation.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0u;
constexpr DWORD REG_CREATED_NEW_KEY = 1u;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2u;

// The store could not be written, or not read whole before a change.
constexpr int ERROR_CANTWRITE = 1013;

// Largest value the store keeps, in bytes; larger ones are refused with
// ERROR_INVALID_PARAMETER (and skipped when read from a damaged file).
constexpr unsigned KIV_REGISTRY_MAX_VALUE_BYTES = 1u << 20;

// Opens an existing key below `key` (a null or empty subKey opens `key`
// itself again). ERROR_FILE_NOT_FOUND when it does not exist.
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, PHKEY result);

// Opens the key, creating it first when missing; *disposition (if given)
// tells which. className and securityAttributes are ignored.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, char* className, DWORD options,
                     REGSAM access, const void* securityAttributes, PHKEY result,
                     DWORD* disposition);

// Reads a value (a null or empty name is the key's default value). *type
// receives its type when type is given. With null data only *dataSize is
// set. A *dataSize smaller than the value gives ERROR_MORE_DATA with the size
// needed in *dataSize and nothing written to data. Needs KEY_QUERY_VALUE.
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize);

// Stores dataSize bytes of data with the given type. Needs KEY_SET_VALUE.
LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD dataSize);

// Removes a value; ERROR_FILE_NOT_FOUND when it is missing. Needs KEY_SET_VALUE.
LONG RegDeleteValueA(HKEY key, const char* valueName);

// Releases a handle; a handle that is not open gives ERROR_INVALID_HANDLE.
LONG RegCloseKey(HKEY key);

inline LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, REGSAM access, PHKEY result) {
  return RegOpenKeyExA(key, subKey, options, access, result);
}
inline LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD reserved, char* className,
                           DWORD options, REGSAM access, const void* securityAttributes,
                           PHKEY result, DWORD* disposition) {
  return RegCreateKeyExA(key, subKey, reserved, className, options, access, securityAttributes,
                         result, disposition);
}
inline LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* reserved, DWORD* type,
                            BYTE* data, DWORD* dataSize) {
  return RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}
inline LONG RegSetValueEx(HKEY key, const char* valueName, DWORD reserved, DWORD type,
                          const BYTE* data, DWORD dataSize) {
  return RegSetValueExA(key, valueName, reserved, type, data, dataSize);
}
inline LONG RegDeleteValue(HKEY key, const char* valueName) {
  return RegDeleteValueA(key, valueName);
}

namespace kiv {

// The store's file (a native path), as the next call will use it.
std::string RegistryFilePath();

// Points the store at another file (native path); null returns to the
// per-user file. For tests, which must not touch the user's store.
void SetRegistryFileForTesting(const char* nativePath);

}  // namespace kiv
