#include "sysinfo/process_queries.h"

#include <string>

#include "platform/processes.h"
#include "platform/text.h"

namespace maj::sysinfo {

bool IsProcessRunning(std::string_view name) {
  // The name is a prefix: WQL's query ends the pattern with '%'. Names compare ignoring case.
  const std::string pattern = std::string(name) + "%";
  bool found = false;
  for (const auto& process : platform::ListProcesses()) {
    if (!platform::MatchesPatternIgnoreCase(process.imageName, pattern, '%', '_')) continue;
    RunningProcessIds().push_back(process.pid);
    found = true;
  }
  return found;
}

std::vector<std::int32_t>& RunningProcessIds() {
  static std::vector<std::int32_t> ids;
  return ids;
}

bool IsProcessAlive(std::int32_t processId) { return platform::ProcessExists(processId); }

}  // namespace maj::sysinfo
