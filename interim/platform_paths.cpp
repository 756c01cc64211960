#include <dirent.h>
#include <unistd.h>

#include <filesystem>

#include "platform/paths.h"
#include "platform/text.h"

namespace maj::platform {
namespace {
std::optional<std::string>& ApplicationFolderOverride() {
  static std::optional<std::string> folder;
  return folder;
}
}  // namespace

std::string ToLocalPath(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool IsFullPath(std::string_view path) { return !path.empty() && path[0] == '/'; }

std::string ResolvePathCase(std::string_view localPath) {
  std::filesystem::path input(localPath);
  std::filesystem::path out;
  for (const auto& part : input) {
    std::filesystem::path candidate = out / part;
    std::error_code error;
    if (!std::filesystem::exists(candidate, error) && !out.empty()) {
      for (const auto& entry : std::filesystem::directory_iterator(out, error)) {
        if (EqualsIgnoreCase(entry.path().filename().string(), part.string())) {
          candidate = entry.path();
          break;
        }
      }
    }
    out = candidate;
  }
  return out.string();
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/') out += '/';
  out += name;
  return out;
}

std::string ParentFolder(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string FileName(std::string_view path) {
  const auto slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ApplicationFolder() {
  if (ApplicationFolderOverride()) return *ApplicationFolderOverride();
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

void SetApplicationFolderForTesting(std::optional<std::string> folder) { ApplicationFolderOverride() = std::move(folder); }

}  // namespace maj::platform
