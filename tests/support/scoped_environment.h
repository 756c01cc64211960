#pragma once
#include <optional>
#include <string>
#include <vector>

namespace maj::testing {

// Sets or removes environment variables for the life of the object, then puts back what was there.
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  // `value` nullopt removes the variable.
  ScopedEnvironment& Set(const std::string& name, std::optional<std::string> value);

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace maj::testing
