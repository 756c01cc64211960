#include "db/value.h"

#include <charconv>

#include "db/blanks.h"
#include "db/database_error.h"

namespace maj::db {
namespace {

// Error texts of the layer itself (the driver's texts are passed on unchanged elsewhere).
constexpr char kNullValue[] = "Invalid use of Null";
constexpr char kTypeMismatch[] = "Type mismatch";

}  // namespace

Value Value::Integer(std::int64_t value) {
  Value result;
  result.data_ = value;
  return result;
}

Value Value::Text(std::string value) {
  Value result;
  result.data_ = std::move(value);
  return result;
}

Value Value::Binary(Bytes value) {
  Value result;
  result.data_ = std::move(value);
  return result;
}

std::int64_t Value::AsInteger() const {
  if (IsNull()) throw DatabaseError(kNullValue);
  if (const auto* integer = std::get_if<std::int64_t>(&data_)) return *integer;
  if (const auto* text = std::get_if<std::string>(&data_)) {
    std::string_view digits = internal::TrimBlanks(*text);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    std::int64_t result = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty()) return result;
  }
  throw DatabaseError(kTypeMismatch);
}

std::string Value::AsText() const {
  if (IsNull()) throw DatabaseError(kNullValue);
  if (const auto* integer = std::get_if<std::int64_t>(&data_)) return std::to_string(*integer);
  if (const auto* text = std::get_if<std::string>(&data_)) return *text;
  const Bytes& bytes = std::get<Bytes>(data_);
  return std::string(bytes.begin(), bytes.end());
}

Bytes Value::AsBytes() const {
  if (IsNull()) throw DatabaseError(kNullValue);
  if (const auto* bytes = std::get_if<Bytes>(&data_)) return *bytes;
  if (const auto* text = std::get_if<std::string>(&data_)) return Bytes(text->begin(), text->end());
  throw DatabaseError(kTypeMismatch);
}

Parameter Parameter::FileContent(std::string path) {
  Parameter result;
  result.isFile_ = true;
  result.filePath_ = std::move(path);
  return result;
}

}  // namespace maj::db
