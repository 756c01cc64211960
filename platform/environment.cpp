#include "platform/environment.h"

#include <cstdlib>

#include "platform/text.h"

extern char** environ;

namespace maj::platform {

std::optional<std::string> GetEnvironmentVariable(std::string_view name) {
  const std::string exactName(name);
  if (const char* value = std::getenv(exactName.c_str())) return std::string(value);
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string_view text(*entry);
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos && EqualsIgnoreCase(text.substr(0, equals), name)) {
      return std::string(text.substr(equals + 1));
    }
  }
  return std::nullopt;
}

std::string GetEnvironmentText(std::string_view name) { return GetEnvironmentVariable(name).value_or(""); }

}  // namespace maj::platform
