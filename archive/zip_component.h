#pragma once
// The zip component: compresses files into a zip archive cut into volumes when it is large, and extracts an
// archive or a set of volumes. Volumes are plain byte cuts of one zip named "<archive>.001", ".002", …, as
// 7-Zip makes them, so that either tool reads the other's. Everything streams: memory use does not grow with
// the size of the files or of the archive.
#include <zip.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "archive/zip_error.h"
#include "archive/zip_handles.h"

namespace maj::archive {

// Use one object per archive: AddFile, SetVolumeSize, WriteArchive to write one; OpenArchive, ExtractArchive
// to unpack one. Paths are local paths. Every failure throws ZipError.
class ZipComponent {
 public:
  ZipComponent();
  ~ZipComponent();
  ZipComponent(const ZipComponent&) = delete;
  ZipComponent& operator=(const ZipComponent&) = delete;

  // Adds the file `sourcePath` to the archive that WriteArchive will write. The entry is named
  // `nameInArchive`, or the source's file name when empty, inside `folderInArchive` (root when empty; '\'
  // separates folders like '/'). The file is read only by WriteArchive. Throws ZipError when the source is
  // not an existing file.
  void AddFile(const std::string& sourcePath, const std::string& folderInArchive = "",
               const std::string& nameInArchive = "");

  // Largest size in bytes of one file written by WriteArchive. A value below 1 (the default 0) never
  // splits. Fractions of a byte are dropped.
  void SetVolumeSize(double bytes);

  // Compresses the added files into `archivePath`. When the archive is larger than the volume size, it is
  // instead cut into volumes `archivePath`.001, .002, … each exactly the volume size but the last, and no
  // file is left at `archivePath`. Files left at these names by an earlier archive are replaced or removed,
  // so that only the new archive's files remain. On failure nothing of the new archive is left. Throws
  // ZipError when nothing was added, a source cannot be read, or a file cannot be written.
  void WriteArchive(const std::string& archivePath);

  // Opens an archive for ExtractArchive: a whole archive, the first volume of a set (a name ending in
  // ".001", whose followers are found beside it), or a name whose ".001" volume exists. The volumes are read
  // in order as one archive, without being joined on disk. Throws ZipError naming the archive when it is
  // missing, a volume is missing or of the wrong size, or the bytes are not a complete zip archive
  // (truncated, or volumes of different sets).
  void OpenArchive(const std::string& archivePath);

  // Names of the entries of the opened archive, in archive order, folders included ("sub/a.dll", "sub/").
  // Throws ZipError when no archive is open or a name cannot be read.
  std::vector<std::string> EntryNames() const;

  // Extracts every entry of the opened archive into `folder` (created when missing), entries named with
  // folders going into subfolders, existing files being replaced. Refuses, before writing anything, an
  // archive with an entry named absolutely, holding "..", or being a symbolic link, and one whose entries
  // declare more than the folder's free space (platform::DiskSpaceShortage). A corrupt entry (CRC
  // mismatch, bad data) stops the extraction with that entry removed; entries extracted before it stay.
  // Throws ZipError naming the archive, the entry and the problem, also when no archive is open.
  void ExtractArchive(const std::string& folder);

  // Told, during ExtractArchive, the bytes written so far of the entries' total size.
  void SetProgressHandler(std::function<void(std::uint64_t written, std::uint64_t total)> handler) {
    progress_ = std::move(handler);
  }

 private:
  struct Source {
    std::string path;
    std::string entryName;
  };
  std::vector<Source> sources_;
  double volumeSize_ = 0;
  ZipArchivePtr opened_;
  std::string openedPath_;
  bool openedSplit_ = false;
  std::function<void(std::uint64_t, std::uint64_t)> progress_;
};

}  // namespace maj::archive
