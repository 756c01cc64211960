#include "sysinfo/process_queries.h"

#include "platform/processes.h"
#include "platform/text.h"

namespace maj::sysinfo {
namespace {

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// WQL LIKE: '%' matches any run of characters, '_' any single character, everything else itself ignoring
// case.
bool Like(std::string_view text, std::string_view pattern) {
  std::size_t t = 0;
  std::size_t p = 0;
  std::size_t starPattern = std::string_view::npos;
  std::size_t starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '%') {
      starPattern = p++;
      starText = t;
    } else if (p < pattern.size() && (pattern[p] == '_' || Fold(pattern[p]) == Fold(text[t]))) {
      ++p;
      ++t;
    } else if (starPattern != std::string_view::npos) {
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
  const std::string pattern = std::string(name) + "%";
  bool found = false;
  for (const auto& process : platform::ListProcesses()) {
    if (!Like(process.imageName, pattern)) continue;
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
