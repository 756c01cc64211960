#include "pending/pending_operations.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "pending/command_runner.h"
#include "platform/paths.h"
#include "platform/system_error_text.h"

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

std::error_code DeletePending(const std::string& path) {
  const std::string local = platform::ResolvePathCase(platform::ToLocalPath(path));
  std::error_code error;
  std::filesystem::remove(local, error);  // a file, or an empty folder; one already gone is fine
  return error;
}

std::vector<std::string> PendingList(const platform::RegistryFile& registry) {
  const auto value = registry.ReadValue(RegistryRoot::LocalMachine, kSessionManagerKey, kPendingRenamesValue);
  if (!value || value->type != RegistryValueType::MultiString) return {};
  return value->strings;
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
      if (const std::error_code error = DeletePending(from)) {
        log << "maj-pending : suppression impossible de " << from << " : " << platform::SystemErrorText(error.value())
            << "\n";
        ++failures;
      } else {
        log << "maj-pending : supprimé " << from << "\n";
      }
    } else if (const std::error_code error = MoveReplacing(from, to)) {
      log << "maj-pending : déplacement impossible de " << from << " vers " << to << " : "
          << platform::SystemErrorText(error.value()) << "\n";
      ++failures;
    } else {
      log << "maj-pending : déplacé " << from << " vers " << to << "\n";
    }
  }
  if (pending.size() % 2 != 0) {
    log << "maj-pending : entrée sans destination ignorée : " << pending.back() << "\n";
  }
  // As at a Windows start, the list is done with once it has been gone through, failures included.
  registry.EditMultiString(RegistryRoot::LocalMachine, kSessionManagerKey, kPendingRenamesValue,
                           [&](std::vector<std::string>& current) { RemovePerformedMoves(current, pending); });
  return failures;
}

void RemovePerformedMoves(std::vector<std::string>& current, const std::vector<std::string>& performed) {
  std::vector<bool> removed(current.size(), false);
  // The first remaining occurrence of `from` at a pair's start (followed by `to` when given); false if none.
  const auto removeFirst = [&](const std::string& from, const std::string* to) {
    std::size_t start = 0;
    while (start < current.size()) {
      if (removed[start]) {
        ++start;
        continue;
      }
      // Texts already removed do not count: pairs are formed by what is left.
      std::size_t next = start + 1;
      while (next < current.size() && removed[next]) ++next;
      if (current[start] == from && (to == nullptr || (next < current.size() && current[next] == *to))) {
        removed[start] = true;
        if (to != nullptr) removed[next] = true;
        return;
      }
      start = next < current.size() ? next + 1 : next;
    }
  };
  for (std::size_t i = 0; i + 1 < performed.size(); i += 2) removeFirst(performed[i], &performed[i + 1]);
  if (performed.size() % 2 != 0) removeFirst(performed.back(), nullptr);
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < current.size(); ++i) {
    if (!removed[i]) kept.push_back(std::move(current[i]));
  }
  current = std::move(kept);
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
