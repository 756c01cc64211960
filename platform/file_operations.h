#pragma once
// File operations the engine relies on, behind an interface so that tests can refuse a move (a file in use
// cannot be provoked on Linux). Every path is a local path; each operation resolves its components ignoring
// letter case when the exact name is absent (see ResolvePathCase).
#include <memory>
#include <string>

namespace maj::platform {

class FileOperations {
 public:
  virtual ~FileOperations() = default;

  // True when a plain file exists at `path`. Folders do not count.
  virtual bool FileExists(const std::string& path) const = 0;

  // True when a folder exists at `path`.
  virtual bool FolderExists(const std::string& path) const = 0;

  // Clears the file's read-only state and deletes it. Throws std::runtime_error naming the file on failure.
  virtual void DeleteFile(const std::string& path) = 0;

  // Puts the file `from` in the place of `to` (existing or not) so that `to` only ever changes into a complete
  // copy: on one file system `from` is renamed over `to`; across file systems it is first copied beside `to`
  // under a temporary name, which is then renamed over `to`, and `from` is deleted. The file keeps its
  // times and its permissions, made usable by its owner (OwnerUsableMode), and takes the name of `to` as written: an existing copy whose name differs only in
  // letter case is deleted once the new copy is in place. Returns false, nothing changed, when the existing `to` cannot be replaced (in use,
  // access refused). Throws std::runtime_error naming `to` with the system's cause (SystemErrorText) when the
  // new copy cannot be written (no space left...): `from` and `to` stay as they were, no temporary file left.
  virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;

  // Records a move to perform at the next start: appends the pair to PendingFileRenameOperations
  // (REG_MULTI_SZ of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager) in the registry file. An empty
  // `to` means delete `from` at the next start. Throws std::runtime_error when the registry cannot be written.
  virtual void MoveFileAtNextStart(const std::string& from, const std::string& to) = 0;
};

// The permission bits of a file that MAJ writes (unpacked, fetched, installed), from the bits `given` by an
// archive or by the file copied: its owner can always read and write it, whatever the archive says (archives
// come from Windows, where Unix bits mean nothing); group and others never get write access; special bits go;
// an executable bit given to anyone makes it executable for its owner too.
unsigned OwnerUsableMode(unsigned given);

// The process-wide provider: the Linux implementation unless a test installed another.
FileOperations& CurrentFileOperations();

// Installs `replacement` as the process-wide provider for the life of this object (tests only).
class ScopedFileOperationsOverride {
 public:
  explicit ScopedFileOperationsOverride(FileOperations& replacement);
  ~ScopedFileOperationsOverride();
  ScopedFileOperationsOverride(const ScopedFileOperationsOverride&) = delete;
  ScopedFileOperationsOverride& operator=(const ScopedFileOperationsOverride&) = delete;

 private:
  FileOperations* previous_;
};

// The Linux implementation, for fakes that refuse only some operations and forward the rest.
std::unique_ptr<FileOperations> MakeLinuxFileOperations();

}  // namespace maj::platform
