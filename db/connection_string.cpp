#include "db/connection_string.h"

#include "db/blanks.h"
#include "platform/text.h"

namespace maj::db {

std::optional<std::string> ConnectionStringValue(std::string_view connectionString, std::string_view key) {
  std::size_t position = 0;
  while (position < connectionString.size()) {
    const std::size_t equals = connectionString.find('=', position);
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view name = internal::TrimBlanks(connectionString.substr(position, equals - position));
    std::size_t valueStart = equals + 1;
    while (valueStart < connectionString.size() && connectionString[valueStart] == ' ') ++valueStart;
    std::string value;
    std::size_t next;
    if (valueStart < connectionString.size() && connectionString[valueStart] == '{') {
      // A braced value ends at the first '}' not doubled; "}}" stands for one '}'.
      std::size_t i = valueStart + 1;
      for (; i < connectionString.size(); ++i) {
        if (connectionString[i] != '}') {
          value += connectionString[i];
        } else if (i + 1 < connectionString.size() && connectionString[i + 1] == '}') {
          value += '}';
          ++i;
        } else {
          break;
        }
      }
      next = connectionString.find(';', i);
    } else {
      next = connectionString.find(';', valueStart);
      value = internal::TrimBlanks(connectionString.substr(valueStart, next - valueStart));
    }
    if (platform::EqualsIgnoreCase(name, key)) return value;
    if (next == std::string_view::npos) break;
    position = next + 1;
  }
  return std::nullopt;
}

void AppendConnectionAttribute(std::string& connectionString, std::string_view key, std::string_view value) {
  if (!connectionString.empty() && connectionString.back() != ';') connectionString += ';';
  connectionString.append(key).append("=");
  const bool needsBraces = value.find_first_of(";{}") != std::string_view::npos ||
                           (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  if (!needsBraces) {
    connectionString.append(value);
    return;
  }
  connectionString += '{';
  for (char c : value) {
    connectionString += c;
    if (c == '}') connectionString += '}';
  }
  connectionString += '}';
}

}  // namespace maj::db
