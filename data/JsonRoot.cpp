#include "data/JsonRoot.h"

#include <cmath>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

CJsonRoot::CJsonRoot(std::string_view text) {
  // The document is zero-terminated text: whatever follows a zero is not part
  // of it (a reply read into a buffer larger than itself).
  text = text.substr(0, text.find('\0'));
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
  try {
    root_ = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    valid_ = !root_.is_discarded();
  } catch (...) {
    // Only running out of memory gets here; a document that big is not one.
    valid_ = false;
  }
  if (!valid_) root_ = nullptr;
}

const nlohmann::json* JsonMember(const nlohmann::json* object, std::string_view key) {
  if (object == nullptr || !object->is_object()) return nullptr;
  const auto found = object->find(key);
  return found == object->end() ? nullptr : &*found;
}

const nlohmann::json* JsonElement(const nlohmann::json* array, size_t index) {
  if (array == nullptr || !array->is_array() || index >= array->size()) return nullptr;
  return &(*array)[index];
}

std::optional<std::string> JsonString(const nlohmann::json* object, std::string_view key) {
  const nlohmann::json* value = JsonMember(object, key);
  if (value == nullptr || !value->is_string()) return std::nullopt;
  return value->get_ref<const std::string&>();
}

std::optional<double> JsonNumber(const nlohmann::json* object, std::string_view key) {
  const nlohmann::json* value = JsonMember(object, key);
  if (value == nullptr || !value->is_number()) return std::nullopt;
  return value->get<double>();
}

std::optional<int64_t> JsonInt64(const nlohmann::json* object, std::string_view key) {
  const nlohmann::json* value = JsonMember(object, key);
  if (value == nullptr || !value->is_number()) return std::nullopt;
  if (value->is_number_integer() && !value->is_number_unsigned()) return value->get<int64_t>();
  if (value->is_number_unsigned()) {
    const uint64_t u = value->get<uint64_t>();
    if (u > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;
    return static_cast<int64_t>(u);
  }
  const double d = std::trunc(value->get<double>());
  // -2^63 is exact as a double; 2^63 is the first value out of range.
  if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return std::nullopt;
  return static_cast<int64_t>(d);
}

std::optional<bool> JsonBool(const nlohmann::json* object, std::string_view key) {
  const nlohmann::json* value = JsonMember(object, key);
  if (value == nullptr || !value->is_boolean()) return std::nullopt;
  return value->get<bool>();
}

const nlohmann::json* JsonObject(const nlohmann::json* object, std::string_view key) {
  const nlohmann::json* value = JsonMember(object, key);
  return value != nullptr && value->is_object() ? value : nullptr;
}

const nlohmann::json* JsonArray(const nlohmann::json* object, std::string_view key) {
  const nlohmann::json* value = JsonMember(object, key);
  return value != nullptr && value->is_array() ? value : nullptr;
}
