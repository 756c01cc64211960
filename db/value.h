#pragma once
// Values that cross the data access layer: column values read from a row and parameters of a statement.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace maj::db {

using Bytes = std::vector<std::uint8_t>;

// One column value: NULL, an integer, a text (UTF-8) or bytes.
class Value {
 public:
  // NULL.
  Value() = default;
  static Value Null() { return Value(); }
  static Value Integer(std::int64_t value);
  static Value Text(std::string value);
  static Value Binary(Bytes value);

  bool IsNull() const { return std::holds_alternative<std::monostate>(data_); }
  bool IsInteger() const { return std::holds_alternative<std::int64_t>(data_); }
  bool IsText() const { return std::holds_alternative<std::string>(data_); }
  bool IsBinary() const { return std::holds_alternative<Bytes>(data_); }

  // The integer; a text that holds a whole decimal number (blanks around it allowed) is converted. Throws
  // DatabaseError for NULL and for anything else.
  std::int64_t AsInteger() const;
  // The text; an integer is written in decimal and bytes are taken as they are. Throws DatabaseError for NULL.
  std::string AsText() const;
  // The bytes; a text gives its bytes. Throws DatabaseError for NULL and for an integer.
  Bytes AsBytes() const;

  // The stored text or bytes without a copy; nullptr when the value holds something else.
  const std::string* TextIf() const { return std::get_if<std::string>(&data_); }
  const Bytes* BinaryIf() const { return std::get_if<Bytes>(&data_); }

  bool operator==(const Value&) const = default;

 private:
  std::variant<std::monostate, std::int64_t, std::string, Bytes> data_;
};

// A parameter of a statement: a value, or the content of a file that is sent in pieces while the statement
// runs (the file is never read whole into memory).
class Parameter {
 public:
  Parameter(Value value) : value_(std::move(value)) {}  // NOLINT: a value is a parameter
  static Parameter Null() { return Parameter(Value::Null()); }
  static Parameter Integer(std::int64_t value) { return Parameter(Value::Integer(value)); }
  static Parameter Text(std::string value) { return Parameter(Value::Text(std::move(value))); }
  static Parameter Binary(Bytes value) { return Parameter(Value::Binary(std::move(value))); }
  // The whole content of the local file `path`, as a binary value. The file is opened when the statement runs.
  static Parameter FileContent(std::string path);

  bool IsFile() const { return isFile_; }
  const std::string& FilePath() const { return filePath_; }
  const Value& GetValue() const { return value_; }

 private:
  Parameter() = default;
  Value value_;
  bool isFile_ = false;
  std::string filePath_;
};

}  // namespace maj::db
