#pragma once
// Commands run once at the next start (the RunOnce key of the registry, performed by maj-pending).
#include <string_view>

namespace maj::engine {

// HKEY_LOCAL_MACHINE\<kRunOnceKey> holds one text value per command.
inline constexpr std::string_view kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// Writes (or replaces) the text value `name` holding `command`. Throws std::runtime_error when the registry
// cannot be written.
void WriteRunOnceCommand(std::string_view name, std::string_view command);

}  // namespace maj::engine
