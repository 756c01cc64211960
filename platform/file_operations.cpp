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
#include "platform/system_error_text.h"
#include "platform/unique_fd.h"

namespace maj::platform {
namespace {

constexpr std::string_view kSessionManagerKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr std::string_view kPendingRenamesValue = "PendingFileRenameOperations";

bool StatIs(const std::string& path, mode_t kind) {
  struct stat info;
  return stat(ResolvePathCase(path).c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

// Failures that mean the existing target cannot be replaced now, as when Windows finds the file in use;
// any other failure (no space left, input-output error...) is a failed write.
bool IsRefusedReplacement(int error) {
  return error == EACCES || error == EPERM || error == EBUSY || error == ETXTBSY;
}

[[noreturn]] void FailReplacement(const std::string& target, int error) {
  throw std::runtime_error("« " + target + " » ne peut pas être remplacé : " + SystemErrorText(error));
}

// Copies `source` into a new temporary file beside `target`, keeping its permissions and times, then
// renames it over `target`. The temporary file never outlives a failure.
bool CopyThenRename(const std::string& source, const std::string& target) {
  UniqueFd input(open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info;
  if (!input.valid() || fstat(input.get(), &info) != 0) FailReplacement(target, errno);
  std::string temporary = JoinPath(ParentFolder(target), std::string(".").append(FileName(target)).append(".XXXXXX"));
  UniqueFd output(mkostemp(temporary.data(), O_CLOEXEC));
  if (!output.valid()) {
    if (IsRefusedReplacement(errno)) return false;
    FailReplacement(target, errno);
  }
  struct Remover {
    const std::string* path;
    ~Remover() {
      if (path != nullptr) unlink(path->c_str());
    }
  } remover{&temporary};
  bool ok = fchmod(output.get(), OwnerUsableMode(info.st_mode)) == 0;
  char buffer[65536];
  while (ok) {
    const ssize_t count = read(input.get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      ok = count == 0;
      break;
    }
    ok = WriteAll(output.get(), buffer, static_cast<std::size_t>(count));
  }
  const struct timespec times[2] = {info.st_atim, info.st_mtim};
  // fsync and close report the blocks that a file system reserves lazily but cannot find.
  ok = ok && futimens(output.get(), times) == 0 && fsync(output.get()) == 0 && output.Close();
  if (!ok) FailReplacement(target, errno);
  if (rename(temporary.c_str(), target.c_str()) != 0) {
    if (IsRefusedReplacement(errno)) return false;
    FailReplacement(target, errno);
  }
  remover.path = nullptr;
  return true;
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

  bool ReplaceFile(const std::string& from, const std::string& to) override {
    const std::string source = ResolvePathCase(from);
    // The file takes the name given; an existing copy under another letter case is the same file for
    // Windows, and goes once the new one is in place.
    const std::string target = JoinPath(ResolvePathCase(ParentFolder(to)), FileName(to));
    const std::string existing = ResolvePathCase(to);
    struct stat info;
    if (lstat(source.c_str(), &info) != 0) FailReplacement(target, errno);
    if (!S_ISREG(info.st_mode)) FailReplacement(target, EINVAL);
    if (rename(source.c_str(), target.c_str()) != 0) {
      if (errno != EXDEV) {
        if (IsRefusedReplacement(errno)) return false;
        FailReplacement(target, errno);
      }
      if (!CopyThenRename(source, target)) return false;
      unlink(source.c_str());  // the new copy is in place: a source left behind goes with the working folder
    } else if ((info.st_mode & 07777) != OwnerUsableMode(info.st_mode)) {
      chmod(target.c_str(), OwnerUsableMode(info.st_mode));
    }
    struct stat placed, other;
    // On a file system that ignores letter case both names are the new file itself.
    if (existing != target && stat(target.c_str(), &placed) == 0 && lstat(existing.c_str(), &other) == 0 &&
        (placed.st_dev != other.st_dev || placed.st_ino != other.st_ino)) {
      unlink(existing.c_str());
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

unsigned OwnerUsableMode(unsigned given) {
  unsigned mode = (given & 0755) | S_IRUSR | S_IWUSR;
  if (given & (S_IXUSR | S_IXGRP | S_IXOTH)) mode |= S_IXUSR;
  return mode;
}

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
