#include "engine/working_folder.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "engine/run_once.h"
#include "platform/paths.h"
#include "platform/registry_file.h"
#include "platform/text.h"

namespace maj::engine {
namespace {

std::string& WorkingFolderValue() {
  static std::string folder;
  return folder;
}

bool NameIsTaken(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::symlink_status(path, ignored).type() != std::filesystem::file_type::not_found;
}

// Every text that the next start will act on: pending moves and run-once commands.
std::vector<std::string> NextStartTexts() {
  std::vector<std::string> texts;
  try {
    const platform::RegistryFile registry = platform::SystemRegistry();
    const auto pending =
        registry.ReadValue(platform::RegistryRoot::LocalMachine,
                           "SYSTEM\\CurrentControlSet\\Control\\Session Manager", "PendingFileRenameOperations");
    if (pending && pending->type == platform::RegistryValueType::MultiString) texts = pending->strings;
    for (const std::string& name : registry.ValueNames(platform::RegistryRoot::LocalMachine, kRunOnceKey)
                                       .value_or(std::vector<std::string>())) {
      const auto command = registry.ReadValue(platform::RegistryRoot::LocalMachine, kRunOnceKey, name);
      if (command && command->type == platform::RegistryValueType::String) texts.push_back(command->text);
    }
  } catch (const std::runtime_error&) {
    // An unreadable registry schedules nothing.
  }
  return texts;
}

}  // namespace

bool IsNeededAtNextStart(const std::string& folder) {
  const std::string inside = platform::ToLowerCase(platform::JoinPath(folder, ""));
  for (const std::string& text : NextStartTexts()) {
    if (platform::ToLowerCase(text).find(inside) != std::string::npos) return true;
  }
  return false;
}

const std::string& WorkingFolder() { return WorkingFolderValue(); }

void SetWorkingFolder(std::string folder) { WorkingFolderValue() = std::move(folder); }

bool RemoveFolderTree(const std::string& folder) {
  const std::filesystem::path path(folder);
  std::error_code ignored;
  // Entries one by one, so that one that cannot be deleted does not keep the others.
  if (std::filesystem::is_directory(std::filesystem::symlink_status(path, ignored))) {
    for (auto it = std::filesystem::directory_iterator(path, ignored); it != std::filesystem::directory_iterator();
         it.increment(ignored)) {
      std::filesystem::remove_all(it->path(), ignored);
      if (ignored) ignored.clear();
    }
  }
  std::filesystem::remove(path, ignored);
  return !NameIsTaken(path);
}

std::string PrepareWorkingFolder() {
  const std::string base = platform::JoinPath(platform::ApplicationFolder(), "MAJ");
  std::string folder = base;
  // A plain file of that name blocks the name as well as a folder does.
  for (int counter = 1; NameIsTaken(folder) && (IsNeededAtNextStart(folder) || !RemoveFolderTree(folder));
       ++counter) {
    folder = base + std::to_string(counter);
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error || !std::filesystem::is_directory(folder)) {
    throw std::runtime_error("Impossible de créer le dossier de travail " + folder + " : " + error.message());
  }
  SetWorkingFolder(folder);
  return base;
}

}  // namespace maj::engine
