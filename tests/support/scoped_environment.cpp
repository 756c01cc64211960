#include "tests/support/scoped_environment.h"

#include <cstdlib>

namespace maj::testing {
namespace {
void Apply(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}
}  // namespace

ScopedEnvironment::~ScopedEnvironment() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Apply(it->first, it->second);
}

ScopedEnvironment& ScopedEnvironment::Set(const std::string& name, std::optional<std::string> value) {
  const char* previous = std::getenv(name.c_str());
  saved_.emplace_back(name, previous ? std::optional<std::string>(previous) : std::nullopt);
  Apply(name, value);
  return *this;
}

}  // namespace maj::testing
