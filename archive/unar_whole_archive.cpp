#include "archive/unar_whole_archive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "archive/rar_entry_writer.h"
#include "archive/rar_result_codes.h"
#include "archive/unar_fallback.h"

namespace maj::archive {
namespace {

void RemoveFolder(const std::string& folder) {
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

}  // namespace

UnarWholeArchive::UnarWholeArchive(std::string archivePath, std::vector<ListedEntry> entries,
                                   std::function<void()> whileWaiting)
    : archivePath_(std::move(archivePath)), entries_(std::move(entries)), whileWaiting_(std::move(whileWaiting)) {}

UnarWholeArchive::~UnarWholeArchive() { RemoveFolder(scratch_); }

const ListedEntry* UnarWholeArchive::Next() {
  current_ = next_ < entries_.size() ? &entries_[next_++] : nullptr;
  return current_;
}

bool UnarWholeArchive::RunOnce(int operation, const std::string& destination) {
  if (!scratch_.empty()) return true;
  // When extracting, the scratch folder sits in the destination so that files are renamed into place.
  if (operation == kRarExtract && !MakeFolderBelow(destination, destination)) return false;
  scratch_ = MakeScratchFolder(operation == kRarExtract ? destination : std::string());
  if (scratch_.empty()) return false;
  std::vector<std::int64_t> indexes;
  std::uint64_t largest = 0;
  for (const ListedEntry& entry : entries_) {
    if (entry.directory || entry.link || entry.encrypted || !SafeEntryPath(scratch_, entry.name)) continue;
    indexes.push_back(entry.index);
    largest = std::max(largest, entry.size);
  }
  // Whatever the run's outcome, each file is judged by its own size and CRC.
  if (!indexes.empty()) ExtractEntriesWithUnar(archivePath_, indexes, scratch_, largest + 1, whileWaiting_);
  return true;
}

int UnarWholeArchive::ProcessLink(int operation, const std::string& destination, const std::string& target) {
  const std::string alone = MakeScratchFolder(std::string());
  if (alone.empty()) return kRarBadData;
  std::string linkTarget;
  if (ExtractEntriesWithUnar(archivePath_, {current_->index}, alone, PATH_MAX, whileWaiting_) == 0) {
    std::error_code error;
    linkTarget = std::filesystem::read_symlink(alone + "/" + current_->name, error).string();
  }
  RemoveFolder(alone);
  if (linkTarget.empty()) return kRarBadData;
  if (operation != kRarExtract) return kRarSuccess;
  std::size_t slash = target.find_last_of('/');
  if (!LinkStaysInside(linkTarget) || !MakeFolderBelow(destination, target.substr(0, slash))) return kRarCreateError;
  unlink(target.c_str());
  return symlink(linkTarget.c_str(), target.c_str()) == 0 ? kRarSuccess : kRarCreateError;
}

int UnarWholeArchive::Process(int operation, const std::string& destination, const std::string& target,
                              const std::function<bool(std::uint64_t)>& report) {
  if (!current_) return kRarUnknown;
  if (current_->directory) {
    if (operation != kRarExtract) return kRarSuccess;
    return MakeFolderBelow(destination, target) ? kRarSuccess : kRarCreateError;
  }
  if (current_->link) return ProcessLink(operation, destination, target);
  if (!RunOnce(operation, destination)) return kRarCreateError;
  std::optional<std::string> extracted = CheckedExtractedFile(scratch_, current_->name, current_->size, current_->crc);
  if (!extracted) return kRarBadData;
  if (operation == kRarExtract) {
    struct stat info {};
    lstat(extracted->c_str(), &info);
    EntryFileWriter writer;
    if (!writer.Begin(destination, target) || !writer.CommitFrom(*extracted, info.st_mode)) return kRarCreateError;
  }
  if (current_->size > 0 && !report(current_->size)) return kRarUnknown;
  return kRarSuccess;
}

}  // namespace maj::archive
