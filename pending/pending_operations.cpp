#include "pending/pending_operations.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "pending/command_runner.h"
#include "platform/paths.h"

namespace maj::pending {
namespace {

using platform::RegistryRoot;
using platform::RegistryValueType;

constexpr std::string_view kSessionManagerKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr std::string_view kPendingRenamesValue = "PendingFileRenameOperations";
constexpr std::string_view kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// Windows writes NT paths ("\??\C:\...") and marks a replacing target with "!"; both are accepted.
std::string CleanPendingPath(std::string path, bool target) {
  if (target && !path.empty() && path[0] == '!') path.erase(0, 1);
  if (path.starts_with("\\??\\")) path.erase(0, 4);
  return path;
}

bool DeletePending(const std::string& path) {
  const std::string local = platform::ResolvePathCase(platform::ToLocalPath(path));
  std::error_code error;
  std::filesystem::remove(local, error);  // a file, or an empty folder
  return !error && !std::filesystem::exists(std::filesystem::symlink_status(local, error));
}

std::vector<std::string> PendingList(const platform::RegistryFile& registry) {
  const auto value = registry.ReadValue(RegistryRoot::LocalMachine, kSessionManagerKey, kPendingRenamesValue);
  if (!value || value->type != RegistryValueType::MultiString) return {};
  return value->strings;
}

// Removes the performed texts from the head of the list, keeping any pair appended since it was read.
void ForgetPerformed(platform::RegistryFile& registry, const std::vector<std::string>& performed) {
  std::vector<std::string> current = PendingList(registry);
  const bool unchangedStart =
      current.size() >= performed.size() && std::equal(performed.begin(), performed.end(), current.begin());
  if (!unchangedStart || current.size() == performed.size()) {
    registry.DeleteValue(RegistryRoot::LocalMachine, kSessionManagerKey, kPendingRenamesValue);
    return;
  }
  current.erase(current.begin(), current.begin() + static_cast<std::ptrdiff_t>(performed.size()));
  registry.WriteMultiString(RegistryRoot::LocalMachine, kSessionManagerKey, kPendingRenamesValue, current);
}

}  // namespace

int PerformPendingMoves(platform::RegistryFile& registry, std::ostream& log) {
  const std::vector<std::string> pending = PendingList(registry);
  if (pending.empty()) return 0;
  int failures = 0;
  for (std::size_t i = 0; i + 1 < pending.size(); i += 2) {
    const std::string from = CleanPendingPath(pending[i], false);
    const std::string to = CleanPendingPath(pending[i + 1], true);
    if (to.empty()) {
      if (DeletePending(from)) {
        log << "maj-pending : supprimé " << from << "\n";
      } else {
        log << "maj-pending : suppression impossible de " << from << "\n";
        ++failures;
      }
    } else if (MoveReplacing(from, to)) {
      log << "maj-pending : déplacé " << from << " vers " << to << "\n";
    } else {
      log << "maj-pending : déplacement impossible de " << from << " vers " << to << "\n";
      ++failures;
    }
  }
  if (pending.size() % 2 != 0) {
    log << "maj-pending : entrée sans destination ignorée : " << pending.back() << "\n";
  }
  // As at a Windows start, the list is done with once it has been gone through, failures included.
  ForgetPerformed(registry, pending);
  return failures;
}

int RunOnceCommands(platform::RegistryFile& registry, std::ostream& log) {
  const std::vector<std::string> names =
      registry.ValueNames(RegistryRoot::LocalMachine, kRunOnceKey).value_or(std::vector<std::string>());
  int failures = 0;
  for (const std::string& name : names) {
    const auto value = registry.ReadValue(RegistryRoot::LocalMachine, kRunOnceKey, name);
    if (!value || value->type != RegistryValueType::String) continue;
    const bool removeAfter = !name.empty() && name[0] == '!';
    if (!removeAfter) registry.DeleteValue(RegistryRoot::LocalMachine, kRunOnceKey, name);
    if (!RunCommand(value->text, log)) ++failures;
    if (removeAfter) registry.DeleteValue(RegistryRoot::LocalMachine, kRunOnceKey, name);
  }
  return failures;
}

}  // namespace maj::pending
