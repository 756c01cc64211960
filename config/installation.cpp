#include "config/installation.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "platform/environment.h"
#include "platform/file_operations.h"
#include "platform/paths.h"

namespace maj::config {
namespace {

constexpr std::string_view kSettingsFileName = "Orv_Spec.ini";
constexpr std::string_view kMarkerFileName = "velandre.ini";
constexpr int kLocalApplicationData = 28;

std::string& SettingsPathStorage() {
  static std::string path;
  return path;
}

// Windows folder & "\" & path, as the profile reader resolves a path that is not full: both parts are
// turned into local paths, so that the file tested and copied here is the one the reader opens.
std::string InWindowsFolder(const std::string& windowsFolder, const std::string& path) {
  return platform::ToLocalPath(windowsFolder) + "/" + platform::ToLocalPath(path);
}

std::string ChooseSettingsPath(bool placeCopy) {
  platform::FileOperations& files = platform::CurrentFileOperations();
  const std::string home = platform::GetEnvironmentText("HOME");
  const std::string windowsFolder = platform::GetEnvironmentText("Windir");
  const std::string localAppData = GetSpecialFolderPath(kLocalApplicationData);

  const std::string application = platform::ApplicationFolder();
  std::string chosen;
  if (files.FileExists(platform::JoinPath(platform::JoinPath(application, "bin"), kMarkerFileName)) ||
      files.FileExists(platform::JoinPath(application, kMarkerFileName))) {
    chosen = platform::JoinPath(application, kSettingsFileName);
  } else if (!home.empty()) {
    chosen = home + "/" + std::string(kSettingsFileName);
  } else {
    chosen = std::string(kSettingsFileName);
  }

  const std::string fullPath =
      platform::ResolvePathCase(platform::IsFullPath(chosen) ? platform::ToLocalPath(chosen)
                                                             : InWindowsFolder(windowsFolder, chosen));
  if (files.FileExists(fullPath)) return chosen;

  // Put a copy of an existing settings file where it is expected; the target is absent, so nothing is
  // overwritten.
  const std::string candidates[] = {
      platform::JoinPath(platform::JoinPath(localAppData, "Orvane"), kSettingsFileName),
      InWindowsFolder(windowsFolder, std::string(kSettingsFileName)),
  };
  for (const auto& candidate : candidates) {
    if (!files.FileExists(candidate)) continue;
    if (!placeCopy) return candidate;
    std::filesystem::copy_file(platform::ResolvePathCase(candidate), fullPath,
                               std::filesystem::copy_options::none);
    break;
  }
  return chosen;
}

}  // namespace

std::string BinFolderPath() { return platform::JoinPath(platform::ApplicationFolder(), "bin"); }

std::string GetBinFolder() {
  const std::string bin = BinFolderPath();
  struct stat info;
  if (stat(platform::ResolvePathCase(bin).c_str(), &info) != 0 && mkdir(bin.c_str(), 0777) != 0 &&
      errno != EEXIST) {
    throw std::runtime_error("cannot create the folder " + bin + ": " + std::strerror(errno));
  }
  return bin;
}

std::string GetSpecialFolderPath(int folderId) {
  if (folderId != kLocalApplicationData) return std::string();
  const std::string dataHome = platform::GetEnvironmentText("XDG_DATA_HOME");
  // A relative XDG_DATA_HOME is invalid and ignored, as the XDG base directory rules say.
  if (!dataHome.empty() && dataHome.front() == '/') return dataHome;
  const std::string home = platform::GetEnvironmentText("HOME");
  if (home.empty()) return std::string();
  return platform::JoinPath(home, ".local/share");
}

void LocateSettingsFile(bool placeCopy) {
  try {
    SettingsPathStorage() = ChooseSettingsPath(placeCopy);
  } catch (...) {
    SettingsPathStorage() = std::string(kSettingsFileName);
  }
}

const std::string& SettingsFilePath() { return SettingsPathStorage(); }

}  // namespace maj::config
