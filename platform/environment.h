#pragma once
// Process environment, looked up the way Windows does: names ignore letter case.
#include <optional>
#include <string>
#include <string_view>

namespace maj::platform {

// Value of the variable `name`: the exact name first, then the first variable whose name matches ignoring
// case. nullopt when none exists.
std::optional<std::string> GetEnvironmentVariable(std::string_view name);

// Same, with an absent variable read as empty text.
std::string GetEnvironmentText(std::string_view name);

}  // namespace maj::platform
