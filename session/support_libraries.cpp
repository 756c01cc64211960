#include "session/support_libraries.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "config/installation.h"
#include "engine/component_registration.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "sysinfo/os_identification.h"

namespace maj::session {
namespace {

// Copies through a temporary name in the target folder, renamed once complete.
bool CopyWhole(const std::string& from, const std::string& to) {
  const std::string partial = to + ".part" + std::to_string(getpid());
  std::error_code error;
  if (!std::filesystem::copy_file(platform::ResolvePathCase(from), partial,
                                  std::filesystem::copy_options::overwrite_existing, error)) {
    std::filesystem::remove(partial, error);
    return false;
  }
  std::filesystem::rename(partial, to, error);
  if (error) {
    std::filesystem::remove(partial, error);
    return false;
  }
  return true;
}

}  // namespace

bool PrepareSupportLibrary(const SupportLibraryFolders& folders, const std::string& name, int /*resourceId*/,
                           bool registerAfter) {
  auto& files = platform::CurrentFileOperations();
  const std::string target = platform::JoinPath(folders.Library, name);
  if (files.FileExists(target)) return false;
  bool placed = false;
  for (const std::string& source : {folders.Application, folders.System}) {
    const std::string candidate = platform::JoinPath(source, name);
    if (source.empty() || !files.FileExists(candidate)) continue;
    placed = CopyWhole(candidate, target);
    break;
  }
  if (placed && registerAfter) engine::DLLSelfRegister(target, folders.System);
  return placed;
}

void PrepareSupportLibraries() {
  const SupportLibraryFolders folders{config::GetBinFolder(), platform::ApplicationFolder(),
                                      sysinfo::OSSystemFolder()};
  PrepareSupportLibrary(folders, "vbzip10.dll", 101, false);
  PrepareSupportLibrary(folders, "vbuzip10.dll", 102, false);
  PrepareSupportLibrary(folders, "unrar.dll", 103, false);
  PrepareSupportLibrary(folders, "7z.dll", 0, false);
  PrepareSupportLibrary(folders, "vszlib.dll", 0, true);
}

}  // namespace maj::session
