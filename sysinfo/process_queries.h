#pragma once
// Which processes run a program, and whether a process still exists.
#include <cstdint>
#include <string_view>
#include <vector>

namespace maj::sysinfo {

// True when at least one process's image name begins with `name` (ignoring case; '_' matches any single
// character and '%' any run, as WQL LIKE does). Appends each match's pid to RunningProcessIds(), in
// ascending pid order.
bool IsProcessRunning(std::string_view name);

// Every pid found by IsProcessRunning() in this process, in the order found; only appended to.
std::vector<std::int32_t>& RunningProcessIds();

// True when a process with this pid exists (a zombie counts as exited).
bool IsProcessAlive(std::int32_t processId);

}  // namespace maj::sysinfo
