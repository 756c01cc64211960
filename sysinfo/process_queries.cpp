#include "sysinfo/process_queries.h"

#include "platform/processes.h"
#include "platform/text.h"

namespace maj::sysinfo {
namespace {

// WQL LIKE over texts already folded to lower case: '%' matches any run of characters, '_' any single
// character, everything else itself.
bool Like(std::string_view text, std::string_view pattern) {
  std::size_t t = 0;
  std::size_t p = 0;
  std::size_t starPattern = std::string_view::npos;
  std::size_t starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '%') {
      starPattern = p++;
      starText = t;
    } else if (p < pattern.size() && (pattern[p] == '_' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (starPattern != std::string_view::npos) {
      // Let the last '%' take one more character and try again from there.
      p = starPattern + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '%') ++p;
  return p == pattern.size();
}

}  // namespace

bool IsProcessRunning(std::string_view name) {
  // The name is a prefix: WQL's query ends the pattern with '%'. Names compare ignoring case.
  const std::string pattern = platform::ToLowerAscii(name) + "%";
  bool found = false;
  for (const auto& process : platform::ListProcesses()) {
    if (!Like(platform::ToLowerAscii(process.imageName), pattern)) continue;
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
