#pragma once
// Extraction of single entries with the `unar` tool, for the genuine RAR archives whose data Debian's
// libarchive fails to decode. The tool runs as its own process with a time limit.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace maj::archive {

// CRC-32 (the one RAR and zip use) of a whole file; nullopt when it cannot be read.
std::optional<std::uint32_t> FileCrc32(const std::string& path);

// Full path of `program` found on PATH, or empty.
std::string FindProgramOnPath(const std::string& program);

// Extracts the entry at `entryIndex` (archive order, as `lsar` numbers them) of the archive whose first
// volume is `archivePath` into the fresh folder `outputFolder`, and returns the path of the extracted file
// when it is named `entryName` there and holds `expectedSize` bytes (and `expectedCrc` when given).
// `whileWaiting` runs regularly while the tool works. nullopt when `unar` is absent or anything fails.
std::optional<std::string> ExtractEntryWithUnar(const std::string& archivePath, std::int64_t entryIndex,
                                                const std::string& entryName, const std::string& outputFolder,
                                                std::uint64_t expectedSize, std::optional<std::uint32_t> expectedCrc,
                                                const std::function<void()>& whileWaiting);

}  // namespace maj::archive
