#pragma once
// Writes extracted entries below a destination folder and nowhere else: names that are absolute or climb
// out with "..", links that point outside, and folders reached through a link leading outside are refused.
// A file is written under a temporary name and renamed into place only when all its bytes arrived, so a
// failed entry leaves no partial or zero-filled file behind.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "platform/unique_fd.h"

namespace maj::archive {

// The path below `destination` that entry `entryName` maps to, by the rules of the zip entries (see
// zip_entry_names.h): nullopt when the name is absolute, names a drive or contains "..".
std::optional<std::string> SafeEntryPath(const std::string& destination, const std::string& entryName);

// True when a symbolic link with target `target` leads only further down from the folder holding it, so
// that it, and any chain of such links, stays below the destination: not absolute, no drive, no "..".
bool LinkStaysInside(const std::string& target);

// Creates `path` and its missing parents as folders, refusing any that resolves outside `destination`.
bool MakeFolderBelow(const std::string& destination, const std::string& path);

class EntryFileWriter {
 public:
  EntryFileWriter() = default;
  ~EntryFileWriter();
  EntryFileWriter(const EntryFileWriter&) = delete;
  EntryFileWriter& operator=(const EntryFileWriter&) = delete;

  // Prepares writing `target` (a path given by SafeEntryPath): creates its folders and a temporary file
  // beside it. False when that fails or the folder resolves outside `destination`.
  bool Begin(const std::string& destination, const std::string& target);
  bool Write(const void* data, std::size_t size);
  // Sets the mode (made usable by the owner: platform::OwnerUsableMode) and the modification time and renames
  // the file into place.
  bool Commit(unsigned mode, std::optional<std::time_t> modified);
  // Puts the complete file at `source` (same file system) into place instead of the written bytes.
  bool CommitFrom(const std::string& source, unsigned mode);

  // Folder that holds the temporary file (for tools that write their own output beside it).
  const std::string& folder() const { return folder_; }

 private:
  void Discard();

  platform::UniqueFd fd_;
  std::string folder_;
  std::string target_;
  std::string temporary_;
};

}  // namespace maj::archive
