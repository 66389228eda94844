// A JSON reply: parse it and walk the typed lookups over its first level.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/JsonRoot.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CJsonRoot root(std::string_view(reinterpret_cast<const char*>(data), size));
  const nlohmann::json* doc = root.Get();
  if (doc == nullptr) return 0;
  volatile size_t sink = 0;
  const nlohmann::json* first = JsonElement(doc, 0);
  for (const nlohmann::json* object : {doc, first}) {
    if (object == nullptr || !object->is_object()) continue;
    for (const auto& item : object->items()) {
      const std::string& key = item.key();
      sink = sink + JsonString(object, key).value_or("").size();
      sink = sink + static_cast<size_t>(JsonInt64(object, key).value_or(0));
      sink = sink + static_cast<size_t>(JsonNumber(object, key).value_or(0.0) != 0.0);
      sink = sink + JsonBool(object, key).value_or(false);
      sink = sink + (JsonObject(object, key) != nullptr) + (JsonArray(object, key) != nullptr);
    }
  }
  return 0;
}
