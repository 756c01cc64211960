#include "archive/zip_extraction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

#include "archive/zip_entry_names.h"
#include "archive/zip_error.h"
#include "archive/zip_handles.h"
#include "platform/disk_space.h"
#include "platform/file_operations.h"
#include "platform/system_error_text.h"
#include "platform/unique_fd.h"

namespace fs = std::filesystem;

namespace maj::archive {
namespace {

constexpr size_t kBufferSize = 256 * 1024;

struct PlannedEntry {
  zip_uint64_t index;
  std::string name;
  EntryPath path;
};

bool IsSymbolicLink(zip_t* archive, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) return false;
  // The upper half holds a Unix mode when the archiver recorded one (Unix systems, and 7-Zip on any system);
  // archives made on Windows leave it zero.
  return ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

// Reads every entry's name and checks them all before anything is written.
std::vector<PlannedEntry> PlanEntries(zip_t* archive, const std::string& archiveName) {
  zip_int64_t count = zip_get_num_entries(archive, 0);
  std::vector<PlannedEntry> plan;
  for (zip_int64_t i = 0; i < count; ++i) {
    auto index = static_cast<zip_uint64_t>(i);
    const char* raw = zip_get_name(archive, index, ZIP_FL_ENC_GUESS);
    if (raw == nullptr) {
      throw ZipError(ZipErrorPrefix(archiveName) + "nom d'entrée illisible (" + zip_strerror(archive) + ")");
    }
    std::string name(raw);
    auto path = SafeEntryPath(name);
    if (!path) {
      throw ZipError(ZipErrorPrefix(archiveName) + "l'entrée « " + name +
                     " » est refusée : son nom sortirait du dossier de destination");
    }
    if (IsSymbolicLink(archive, index)) {
      throw ZipError(ZipErrorPrefix(archiveName) + "l'entrée « " + name + " » est refusée : c'est un lien symbolique");
    }
    plan.push_back({index, name, *path});
  }
  return plan;
}

// The sum of the sizes that the file entries declare (an unreadable one counts for nothing: its extraction
// fails anyway).
std::uint64_t DeclaredSize(zip_t* archive, const std::vector<PlannedEntry>& plan) {
  std::uint64_t total = 0;
  for (const PlannedEntry& entry : plan) {
    zip_stat_t info;
    if (entry.path.isFolder || zip_stat_index(archive, entry.index, 0, &info) != 0) continue;
    if (info.valid & ZIP_STAT_SIZE) total += info.size;
  }
  return total;
}

// Creates the folders of `relative` under `root`, refusing to go through a symbolic link or a file.
void MakeFolders(const fs::path& root, const std::string& relative, const std::string& archiveName,
                 const std::string& entryName) {
  fs::path current = root;
  for (const auto& component : fs::path(relative)) {
    current /= component;
    struct stat info {};
    if (lstat(current.c_str(), &info) == 0) {
      if (S_ISDIR(info.st_mode)) continue;
      throw ZipError(ZipErrorPrefix(archiveName) + "l'entrée « " + entryName + " » ne peut pas être extraite : « " +
                     current.string() + " » n'est pas un dossier");
    }
    if (mkdir(current.c_str(), 0755) != 0 && errno != EEXIST) {
      throw ZipError(ZipErrorPrefix(archiveName) + "impossible de créer le dossier « " + current.string() +
                     " » : " + std::strerror(errno));
    }
  }
}

// The mode of an extracted file: 0644, or the Unix bits that the entry carries made usable by the owner
// (an executable bit is kept).
mode_t ExtractedMode(zip_t* archive, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0 || system != ZIP_OPSYS_UNIX ||
      (attributes >> 16) == 0) {
    return 0644;
  }
  return platform::OwnerUsableMode(attributes >> 16);
}

// A temporary file beside the target, removed unless it was renamed into place.
class PendingFile {
 public:
  PendingFile(const fs::path& target, const std::string& failurePrefix) : target_(target) {
    std::string pattern = target.string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_.reset(mkstemp(name.data()));
    if (!fd_.valid()) {
      throw ZipError(failurePrefix + "impossible de créer « " + target.string() + " » : " +
                     std::strerror(errno));
    }
    temporary_ = name.data();
  }
  ~PendingFile() {
    fd_.reset();
    if (!temporary_.empty()) unlink(temporary_.c_str());
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  int fd() const { return fd_.get(); }

  // Closes the file and gives it its final name; returns false (errno set) on failure.
  bool Commit() {
    if (!fd_.Close()) return false;
    if (rename(temporary_.c_str(), target_.c_str()) != 0) return false;
    temporary_.clear();
    return true;
  }

 private:
  fs::path target_;
  std::string temporary_;
  platform::UniqueFd fd_;
};

void ExtractFile(zip_t* archive, const PlannedEntry& entry, const fs::path& target,
                 const std::string& archiveName, const std::string& corruptionHint, std::vector<char>& buffer,
                 const std::function<void(std::uint64_t)>& written) {
  std::string failure = ZipErrorPrefix(archiveName) + "l'entrée « " + entry.name + " » ";
  struct stat existing {};
  if (lstat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) {
    throw ZipError(failure + "ne peut pas être extraite : un dossier porte déjà ce nom");
  }
  zip_stat_t info;
  if (zip_stat_index(archive, entry.index, 0, &info) != 0) {
    throw ZipError(failure + "est illisible (" + zip_strerror(archive) + ")");
  }

  PendingFile output(target, ZipErrorPrefix(archiveName));
  ZipEntryPtr input(zip_fopen_index(archive, entry.index, 0));
  if (!input) throw ZipError(failure + "ne peut pas être lue (" + zip_strerror(archive) + ")");

  zip_uint64_t total = 0;
  for (;;) {
    // libzip checks the CRC when the end of the entry is read, so reading goes on until it reports the end.
    zip_int64_t got = zip_fread(input.get(), buffer.data(), buffer.size());
    if (got < 0) {
      throw ZipError(failure + "est corrompue (" + zip_file_strerror(input.get()) + ")" + corruptionHint);
    }
    if (got == 0) break;
    total += static_cast<zip_uint64_t>(got);
    // The space check trusted the declared size: an entry holding more is corrupt, and stops here.
    if ((info.valid & ZIP_STAT_SIZE) && total > info.size) {
      throw ZipError(failure + "est corrompue (plus de " + std::to_string(info.size) + " octets)" + corruptionHint);
    }
    if (!platform::WriteAll(output.fd(), buffer.data(), static_cast<size_t>(got))) {
      throw ZipError(failure + "n'a pas pu être écrite : " + platform::SystemErrorText(errno));
    }
    if (written) written(static_cast<std::uint64_t>(got));
  }
  if ((info.valid & ZIP_STAT_SIZE) && total != info.size) {
    throw ZipError(failure + "est corrompue (" + std::to_string(total) + " octets lus au lieu de " +
                   std::to_string(info.size) + ")" + corruptionHint);
  }

  fchmod(output.fd(), ExtractedMode(archive, entry.index));
  if (info.valid & ZIP_STAT_MTIME) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {info.mtime, 0}};
    futimens(output.fd(), times);
  }
  if (!output.Commit()) {
    throw ZipError(failure + "n'a pas pu être écrite : " + platform::SystemErrorText(errno));
  }
}

}  // namespace

void ExtractEntries(zip_t* archive, const std::string& archiveName, const std::string& folder,
                    const std::string& corruptionHint, const ExtractionProgress& progress) {
  std::vector<PlannedEntry> plan = PlanEntries(archive, archiveName);
  std::uint64_t total = 0;
  for (const auto& entry : plan) {
    zip_stat_t info;
    if (!entry.path.isFolder && zip_stat_index(archive, entry.index, 0, &info) == 0 && (info.valid & ZIP_STAT_SIZE)) {
      total += info.size;
    }
  }
  std::uint64_t done = 0;
  std::function<void(std::uint64_t)> written;
  if (progress) written = [&](std::uint64_t count) { progress(done += count, total); };
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder)) {
    throw ZipError(ZipErrorPrefix(archiveName) + "impossible de créer le dossier « " + folder + " »");
  }
  // What the entries declare must fit before anything is written: a small archive may unpack to gigabytes.
  const std::optional<std::string> shortage = platform::DiskSpaceShortage(folder, DeclaredSize(archive, plan));
  if (shortage) throw ZipError(ZipErrorPrefix(archiveName) + "extraction refusée : " + *shortage);
  fs::path root(folder);
  std::vector<char> buffer(kBufferSize);
  for (const auto& entry : plan) {
    if (entry.path.isFolder) {
      MakeFolders(root, entry.path.relative, archiveName, entry.name);
      continue;
    }
    fs::path relative(entry.path.relative);
    if (relative.has_parent_path()) {
      MakeFolders(root, relative.parent_path().string(), archiveName, entry.name);
    }
    ExtractFile(archive, entry, root / relative, archiveName, corruptionHint, buffer, written);
  }
}

}  // namespace maj::archive
