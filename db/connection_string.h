#pragma once
// Reading and extending ODBC connection strings ("DSN=name;UID=user;PWD={a;b}").
#include <optional>
#include <string>
#include <string_view>

namespace maj::db {

// The value of `key` (any letter case) in `connectionString`, without its braces and blanks around it;
// nullopt when the key is absent. When a key is given twice, the first one counts, as the driver manager
// reads it.
std::optional<std::string> ConnectionStringValue(std::string_view connectionString, std::string_view key);

// Appends "key=value" to `connectionString`, with a ';' before it when needed and the value in braces when it
// could be misread (a ';', a brace, a blank at either end).
void AppendConnectionAttribute(std::string& connectionString, std::string_view key, std::string_view value);

}  // namespace maj::db
