// The text form of the registry store (Registry.h states the format): a
// store file read into keys and values, and written back. Bytes only: the
// file, its lock and the registry functions belong to Registry.cpp.
//
// Parsing never fails: a line that does not follow the format is skipped,
// so a damaged file still yields every sound value, and what a store yields
// is written back in a form that reads back the same.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/WinTypes.h"

namespace kiv::registry {

// A file larger than this is not a store this program wrote; only its
// first part is read.
constexpr size_t kMaxStoreBytes = 64u << 20;

struct StoredValue {
  std::string name;
  DWORD type = 0;  // REG_NONE
  std::string data;
};

struct StoredKey {
  std::string path;  // components joined by '\', as first created
  std::vector<StoredValue> values;

  // The value of that name (without regard to ASCII case); null when none.
  StoredValue* Find(std::string_view name);
};

struct Store {
  std::vector<StoredKey> keys;

  // The key of that path (without regard to ASCII case); null when none.
  StoredKey* Find(std::string_view path);
  // The root always exists, and so does every key above a stored one.
  bool Exists(std::string_view path) const;
  StoredKey& FindOrAdd(const std::string& path);
};

// The store a file's content holds. `cut` says the content is only the
// first part of the file: its last line, if not ended, is not whole and is
// skipped.
Store ParseStore(const std::string& content, bool cut);

// The file content of a store.
std::string SerialiseStore(const Store& store);

// parent + subKey, with empty components (doubled, leading or trailing
// backslashes) dropped.
std::string JoinPath(const std::string& parent, std::string_view subKey);

}  // namespace kiv::registry
