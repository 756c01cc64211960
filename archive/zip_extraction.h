#pragma once
// Extraction of every entry of an open zip archive into a folder, refusing entries that would escape it.
#include <zip.h>

#include <cstdint>
#include <functional>
#include <string>

namespace maj::archive {

// Extracts every entry of `archive` under `folder` (created when missing). Before anything is written, every
// entry is checked: one whose name is absolute or holds "..", or which is a symbolic link, makes the whole
// extraction fail, and so do declared sizes that do not fit in the folder's free space
// (platform::DiskSpaceShortage); an entry holding more than its declared size is corrupt. Each file is written to a temporary name beside its target and renamed into place once
// complete and its CRC checked, so a failure never leaves a partial file (an older file of that name stays
// as it was). Existing files are replaced. Throws ZipError naming `archiveName`, the entry and the problem;
// `corruptionHint`, when not empty, is added to the text of a corrupt entry (the likely cause).
// `progress`, when set, is told the bytes written so far of all the entries' sizes.
using ExtractionProgress = std::function<void(std::uint64_t written, std::uint64_t total)>;
void ExtractEntries(zip_t* archive, const std::string& archiveName, const std::string& folder,
                    const std::string& corruptionHint, const ExtractionProgress& progress = {});

}  // namespace maj::archive
