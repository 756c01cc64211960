#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/environment.h"
#include "platform/text.h"

namespace maj::platform {
namespace {

std::optional<std::string>& ApplicationFolderOverride() {
  static std::optional<std::string> folder;
  return folder;
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasDrive(std::string_view path) { return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':'; }

bool EntryExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// The entry of `folder` whose name matches `name` ignoring case; the smallest such name when several do, so
// that the answer does not depend on the order of the folder listing.
std::optional<std::string> FindEntryIgnoringCase(const std::string& folder, std::string_view name) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
  if (!dir) return std::nullopt;
  std::optional<std::string> best;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view entryName(entry->d_name);
    if (EqualsIgnoreCase(entryName, name) && (!best || entryName < *best)) best = std::string(entryName);
  }
  return best;
}

// `folder` as an absolute local path resolved ignoring letter case, without a trailing '/'.
std::string InstallationFolder(std::string_view folder) {
  std::filesystem::path local(ToLocalPath(folder));
  if (local.is_relative()) local = std::filesystem::current_path() / local;
  std::string resolved = ResolvePathCase(local.lexically_normal().string());
  while (resolved.size() > 1 && resolved.back() == '/') resolved.pop_back();
  return resolved;
}

}  // namespace

std::string ToLocalPath(std::string_view path) {
  std::string local(path);
  std::replace(local.begin(), local.end(), '\\', '/');
  if (!HasDrive(local)) return local;

  std::string prefix = GetEnvironmentText("WINEPREFIX");
  if (prefix.empty()) prefix = JoinPath(GetEnvironmentText("HOME"), ".wine");
  std::string drive = JoinPath(JoinPath(prefix, "dosdevices"), ToLowerCase(local.substr(0, 2)));
  const std::string_view rest = std::string_view(local).substr(2);
  return rest.empty() ? drive : JoinPath(drive, rest);
}

bool IsFullPath(std::string_view path) { return (!path.empty() && path[0] == '/') || HasDrive(path); }

std::string ResolvePathCase(std::string_view localPath) {
  if (localPath.empty()) return std::string();
  // Usually the path exists as written: one look-up instead of one per component.
  if (EntryExists(std::string(localPath))) return std::string(localPath);
  const bool absolute = localPath[0] == '/';
  std::vector<std::string_view> components;
  std::size_t start = 0;
  while (start <= localPath.size()) {
    std::size_t end = localPath.find('/', start);
    if (end == std::string_view::npos) end = localPath.size();
    components.push_back(localPath.substr(start, end - start));
    start = end + 1;
  }

  // `resolved` is built with the original separators; `folder` is where the next component is looked for.
  std::string resolved = absolute ? "/" : "";
  bool resolving = true;
  bool first = true;
  for (std::size_t i = absolute ? 1 : 0; i < components.size(); ++i) {
    const std::string_view component = components[i];
    if (!first) resolved += '/';
    first = false;
    if (component.empty() || component == "." || component == ".." || !resolving) {
      resolved += component;
      continue;
    }
    const std::string candidate = resolved + std::string(component);
    if (EntryExists(candidate)) {
      resolved = candidate;
      continue;
    }
    const std::string folder = resolved.empty() ? "." : resolved;
    if (auto match = FindEntryIgnoringCase(folder, component)) {
      resolved += *match;
    } else {
      // Nothing below a missing component can exist: keep the rest as written.
      resolved += component;
      resolving = false;
    }
  }
  return resolved;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  while (!name.empty() && name.front() == '/') name.remove_prefix(1);
  if (folder.empty()) return std::string(name);
  std::string joined(folder);
  if (joined.back() != '/') joined += '/';
  joined += name;
  return joined;
}

std::string ParentFolder(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string();
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string FileName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExecutableFolder() {
  std::string buffer(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0) return std::string();
  buffer.resize(static_cast<std::size_t>(length));
  return ParentFolder(buffer);
}

std::string ApplicationFolder() {
  if (const auto& folder = ApplicationFolderOverride()) return *folder;
  const std::string named = GetEnvironmentText(kInstallationFolderVariable);
  return named.empty() ? ExecutableFolder() : InstallationFolder(named);
}

void SetApplicationFolder(std::string_view folder) { ApplicationFolderOverride() = InstallationFolder(folder); }

void SetApplicationFolderForTesting(std::optional<std::string> folder) {
  ApplicationFolderOverride() = std::move(folder);
}

}  // namespace maj::platform
