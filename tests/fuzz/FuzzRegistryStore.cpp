// The registry store's file as its parser reads it, whole or as the first
// part of a larger file. What a store yields must write back in a form that
// reads back to the same store, and every value within the value limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/sys/Registry.h"
#include "platform/sys/RegistryStore.h"
#include "tests/fuzz/FuzzSupport.h"

using kiv::fuzz::Check;

namespace {

bool SameStore(const kiv::registry::Store& a, const kiv::registry::Store& b) {
  if (a.keys.size() != b.keys.size()) return false;
  for (size_t k = 0; k < a.keys.size(); ++k) {
    const auto& x = a.keys[k];
    const auto& y = b.keys[k];
    if (x.path != y.path || x.values.size() != y.values.size()) return false;
    for (size_t v = 0; v < x.values.size(); ++v) {
      if (x.values[v].name != y.values[v].name || x.values[v].type != y.values[v].type ||
          x.values[v].data != y.values[v].data) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string content(reinterpret_cast<const char*>(data), size);
  for (bool cut : {false, true}) {
    const kiv::registry::Store store = kiv::registry::ParseStore(content, cut);
    for (const auto& key : store.keys) {
      Check(store.Exists(key.path));
      for (const auto& value : key.values) Check(value.data.size() <= KIV_REGISTRY_MAX_VALUE_BYTES);
    }
    const std::string written = kiv::registry::SerialiseStore(store);
    const kiv::registry::Store again = kiv::registry::ParseStore(written, false);
    Check(SameStore(store, again));
    Check(kiv::registry::SerialiseStore(again) == written);
  }
  return 0;
}
