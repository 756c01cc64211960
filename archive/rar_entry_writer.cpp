#include "archive/rar_entry_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "archive/zip_entry_names.h"
#include "platform/file_operations.h"

namespace maj::archive {
namespace {

std::vector<std::string> SplitComponents(const std::string& name) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : name) {
    if (c == '/' || c == '\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  parts.push_back(part);
  return parts;
}

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) return {};
  return resolved;
}

bool IsBelow(const std::string& root, const std::string& path) {
  if (root.empty() || path.empty()) return false;
  if (path == root) return true;
  std::string prefix = root == "/" ? root : root + "/";
  return path.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::optional<std::string> SafeEntryPath(const std::string& destination, const std::string& entryName) {
  std::optional<EntryPath> below = SafeEntryPath(entryName);
  if (!below) return std::nullopt;
  return destination.empty() ? below->relative : destination + "/" + below->relative;
}

bool LinkStaysInside(const std::string& target) {
  if (target.empty() || target[0] == '/' || target[0] == '\\') return false;
  if (target.size() >= 2 && target[1] == ':') return false;
  // Only downward targets: counting ".." against the link's depth would trust earlier links of the same
  // archive, and one pointing back up ("a" -> ".") would let "a/l" -> ".." reach the parent folder.
  for (const std::string& part : SplitComponents(target)) {
    if (part == "..") return false;
  }
  return true;
}

bool MakeFolderBelow(const std::string& destination, const std::string& path) {
  // The destination itself is created with its parents, as the caller named it.
  for (std::size_t at = destination.find('/', 1); at != std::string::npos; at = destination.find('/', at + 1)) {
    mkdir(destination.substr(0, at).c_str(), 0755);
  }
  if (mkdir(destination.c_str(), 0755) != 0 && errno != EEXIST) return false;
  const std::string root = RealPath(destination);
  if (root.empty()) return false;
  std::string built = destination;
  std::string rest = path.substr(destination.size());
  for (const std::string& part : SplitComponents(rest)) {
    if (part.empty()) continue;
    built += "/" + part;
    if (mkdir(built.c_str(), 0755) != 0 && errno != EEXIST) return false;
    if (!IsBelow(root, RealPath(built))) return false;
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

EntryFileWriter::~EntryFileWriter() { Discard(); }

void EntryFileWriter::Discard() {
  fd_.reset();
  if (!temporary_.empty()) unlink(temporary_.c_str());
  temporary_.clear();
}

bool EntryFileWriter::Begin(const std::string& destination, const std::string& target) {
  std::size_t slash = target.find_last_of('/');
  folder_ = slash == std::string::npos ? "." : target.substr(0, slash);
  target_ = target;
  if (folder_.size() >= destination.size() && !MakeFolderBelow(destination, folder_)) return false;
  struct stat info {};
  if (lstat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return false;
  std::string pattern = folder_ + "/.maj-rar-XXXXXX";
  fd_.reset(mkostemp(pattern.data(), O_CLOEXEC));
  if (!fd_.valid()) return false;
  temporary_ = pattern;
  return true;
}

bool EntryFileWriter::Write(const void* data, std::size_t size) {
  return platform::WriteAll(fd_.get(), data, size);
}

bool EntryFileWriter::Commit(unsigned mode, std::optional<std::time_t> modified) {
  if (!fd_.valid()) return false;
  fchmod(fd_.get(), platform::OwnerUsableMode(mode));
  if (modified) {
    timespec times[2] = {{0, UTIME_OMIT}, {*modified, 0}};
    futimens(fd_.get(), times);
  }
  if (!fd_.Close() || rename(temporary_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temporary_.clear();
  return true;
}

bool EntryFileWriter::CommitFrom(const std::string& source, unsigned mode) {
  chmod(source.c_str(), platform::OwnerUsableMode(mode));
  if (rename(source.c_str(), target_.c_str()) != 0) return false;
  Discard();
  return true;
}

}  // namespace maj::archive
