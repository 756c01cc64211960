#include "platform/file_operations.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/paths.h"
#include "platform/registry_file.h"
#include "platform/unique_fd.h"

namespace maj::platform {
namespace {

constexpr std::string_view kSessionManagerKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr std::string_view kPendingRenamesValue = "PendingFileRenameOperations";

bool StatIs(const std::string& path, mode_t kind) {
  struct stat info;
  return stat(ResolvePathCase(path).c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

// Copies a file to a target that must not exist yet, keeping its permissions and times as a move does.
// The partial target is removed on failure.
bool CopyForMove(const std::string& from, const std::string& to) {
  UniqueFd source(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info;
  if (source.get() < 0 || fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  UniqueFd target(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777));
  if (target.get() < 0) return false;
  // open() applied the creation mask; a moved file keeps its permissions as they were.
  bool ok = fchmod(target.get(), info.st_mode & 07777) == 0;
  char buffer[65536];
  while (ok) {
    const ssize_t count = read(source.get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      ok = count == 0;
      break;
    }
    ok = WriteAll(target.get(), buffer, static_cast<std::size_t>(count));
  }
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  ok = ok && futimens(target.get(), times) == 0 && fsync(target.get()) == 0;
  if (!ok) unlink(to.c_str());
  return ok;
}

class LinuxFileOperations : public FileOperations {
 public:
  bool FileExists(const std::string& path) const override { return StatIs(path, S_IFREG); }

  bool FolderExists(const std::string& path) const override { return StatIs(path, S_IFDIR); }

  void DeleteFile(const std::string& path) override {
    const std::string resolved = ResolvePathCase(path);
    struct stat info;
    if (lstat(resolved.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
      chmod(resolved.c_str(), (info.st_mode & 07777) | S_IWUSR);
    }
    if (unlink(resolved.c_str()) != 0) {
      throw std::runtime_error("cannot delete " + path + ": " + std::strerror(errno));
    }
  }

  bool MoveFile(const std::string& from, const std::string& to) override {
    const std::string source = ResolvePathCase(from);
    const std::string target = ResolvePathCase(to);
    struct stat info;
    if (lstat(source.c_str(), &info) != 0 || lstat(target.c_str(), &info) == 0) return false;
    // RENAME_NOREPLACE refuses an existing target without a window between the test and the rename.
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EINVAL || errno == ENOSYS) {
      if (lstat(target.c_str(), &info) == 0) return false;
      if (rename(source.c_str(), target.c_str()) == 0) return true;
    }
    if (errno != EXDEV) return false;
    if (!CopyForMove(source, target)) return false;
    if (unlink(source.c_str()) != 0) {
      unlink(target.c_str());
      return false;
    }
    return true;
  }

  void MoveFileAtNextStart(const std::string& from, const std::string& to) override {
    const std::vector<std::string> pair = {ResolvePathCase(from), to.empty() ? std::string() : ResolvePathCase(to)};
    SystemRegistry().AppendMultiString(RegistryRoot::LocalMachine, kSessionManagerKey, kPendingRenamesValue, pair);
  }
};

FileOperations*& CurrentProvider() {
  static FileOperations* provider = nullptr;
  return provider;
}

}  // namespace

FileOperations& CurrentFileOperations() {
  static LinuxFileOperations linuxOperations;
  FileOperations* provider = CurrentProvider();
  return provider != nullptr ? *provider : linuxOperations;
}

ScopedFileOperationsOverride::ScopedFileOperationsOverride(FileOperations& replacement)
    : previous_(CurrentProvider()) {
  CurrentProvider() = &replacement;
}

ScopedFileOperationsOverride::~ScopedFileOperationsOverride() { CurrentProvider() = previous_; }

std::unique_ptr<FileOperations> MakeLinuxFileOperations() { return std::make_unique<LinuxFileOperations>(); }

}  // namespace maj::platform
