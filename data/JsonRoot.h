// Owner of one parsed JSON document (the replies of the account and data
// web services), and typed lookups over it.
//
// Replies come from the network, so no lookup trusts the shape of the
// document: a member of the wrong JSON type counts as absent, exactly like a
// member that is not there, and callers handle both with one check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

class CJsonRoot {
 public:
  // Parses `text` up to its first zero byte, skipping a leading UTF-8
  // byte-order mark. Text that does not parse (or holds anything after the
  // value but white space) leaves no root. Never throws.
  explicit CJsonRoot(std::string_view text);

  // The root value, or null when the text did not parse.
  const nlohmann::json* Get() const { return valid_ ? &root_ : nullptr; }

 private:
  nlohmann::json root_;
  bool valid_ = false;
};

// Member `key` of `object`; null when `object` is null or not an object, or
// has no such member.
const nlohmann::json* JsonMember(const nlohmann::json* object, std::string_view key);

// Element `index` of `array`; null when `array` is null or not an array, or
// the index is out of range.
const nlohmann::json* JsonElement(const nlohmann::json* array, size_t index);

// Typed members: empty when the member is absent or of another type.
// JsonInt64 takes any number, a fraction truncated toward zero, and is empty
// for a value outside the 64-bit range.
std::optional<std::string> JsonString(const nlohmann::json* object, std::string_view key);
std::optional<double> JsonNumber(const nlohmann::json* object, std::string_view key);
std::optional<int64_t> JsonInt64(const nlohmann::json* object, std::string_view key);
std::optional<bool> JsonBool(const nlohmann::json* object, std::string_view key);
// Object and array members; null when absent or of another type.
const nlohmann::json* JsonObject(const nlohmann::json* object, std::string_view key);
const nlohmann::json* JsonArray(const nlohmann::json* object, std::string_view key);
