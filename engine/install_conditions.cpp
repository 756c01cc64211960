#include "engine/install_conditions.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "config/registry_access.h"
#include "platform/environment.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace maj::engine {
namespace {

bool AnyPlainFileMatches(const std::string& folder, std::string_view pattern) {
  const std::string resolved = folder.empty() ? std::string(".") : platform::ResolvePathCase(folder);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(resolved.c_str()), closedir);
  if (!dir) return false;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == ".." || !MatchesWildcard(name, pattern)) continue;
    struct stat info;
    const std::string full = platform::JoinPath(resolved, name);
    if (stat(full.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return true;
  }
  return false;
}

}  // namespace

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") return true;
  return platform::MatchesPatternIgnoreCase(name, pattern, '*', '?');
}

bool IsFileConditionMet(std::string_view condition) {
  const std::string expanded =
      platform::ReplaceAllIgnoreCase(condition, "%windir%", platform::GetEnvironmentText("WINDIR"));
  const std::string local = platform::ToLocalPath(expanded);
  if (local.empty() || local.back() == '/') return false;
  const std::string name = platform::FileName(local);
  if (name.find_first_of("*?") == std::string::npos) {
    return platform::CurrentFileOperations().FileExists(local);
  }
  // Wildcards stand only in the last component, as the Windows file search allows.
  const std::string folder = platform::ParentFolder(local);
  if (folder.find_first_of("*?") != std::string::npos) return false;
  return AnyPlainFileMatches(folder, name);
}

bool IsRegistryConditionMet(std::string_view condition) {
  const std::size_t separator = condition.rfind('\\');
  if (separator == std::string_view::npos) return false;
  const std::string valueName(condition.substr(separator + 1));
  std::string keyPath(condition.substr(0, separator));
  keyPath = platform::ReplaceAllIgnoreCase(keyPath, "HKEY_LOCAL_MACHINE\\", "");
  keyPath = platform::ReplaceAllIgnoreCase(keyPath, "HKLM\\", "");
  return config::ReadRegistryText(config::RegistryRoot::LocalMachine, keyPath, valueName).has_value();
}

}  // namespace maj::engine
