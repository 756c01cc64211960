#pragma once
// A small JSON reader, enough for the listings that `lsar -j` prints: objects, arrays, texts, numbers,
// true, false and null, with bounded nesting. Numbers are kept as written so that 64-bit sizes stay exact.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace maj::archive {

struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kText, kArray, kObject };
  Kind kind = Kind::kNull;
  bool flag = false;
  std::string text;  // the text of a kText, the digits of a kNumber
  std::vector<JsonValue> items;
  std::vector<std::pair<std::string, JsonValue>> members;

  // The member named `name` of an object (the first one), or null.
  const JsonValue* Find(std::string_view name) const;
  // A number without sign, fraction or exponent that fits 64 bits; nullopt otherwise.
  std::optional<std::uint64_t> Unsigned() const;
};

// Parses one JSON document (UTF-8; \u escapes become UTF-8). nullopt when it is not well-formed JSON or
// nests deeper than 64 levels.
std::optional<JsonValue> ParseJson(std::string_view text);

}  // namespace maj::archive
