#pragma once
// Extraction with the `unar` tool, for the genuine RAR archives that Debian's libarchive fails to decode
// or to parse. The tools run as processes of their own, each with a time limit and a limit on the size of
// the files it writes.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace maj::archive {

// CRC-32 (the one RAR and zip use) of a whole file; nullopt when it cannot be read.
std::optional<std::uint32_t> FileCrc32(const std::string& path);

// Full path of `program` found on PATH, or empty.
std::string FindProgramOnPath(const std::string& program);

// A fresh folder for a tool's output: in `besides` when it is not empty (so that the result can be renamed
// into place), else in the temporary folder. Empty when it cannot be made.
std::string MakeScratchFolder(const std::string& besides);

// Longest run of one tool: $MAJ_UNAR_TIMEOUT_MS when set, else 60 seconds.
std::chrono::milliseconds UnarTimeLimit();

// Runs `arguments` (the program's full path first) with no input, its output to `outputFd` (or nowhere
// when -1), no file it writes larger than `fileSizeLimit` bytes. `whileWaiting` runs regularly meanwhile.
// Returns the exit status; nullopt when it could not start, died of a signal or was killed at the limit.
std::optional<int> RunTool(const std::vector<std::string>& arguments, int outputFd, std::uint64_t fileSizeLimit,
                           const std::function<void()>& whileWaiting);

// Extracts the entries at `indexes` (archive order, as `lsar` numbers them) of the archive whose first
// volume is `archivePath` into `outputFolder`. Returns the tool's exit status (nullopt as RunTool).
std::optional<int> ExtractEntriesWithUnar(const std::string& archivePath, const std::vector<std::int64_t>& indexes,
                                          const std::string& outputFolder, std::uint64_t fileSizeLimit,
                                          const std::function<void()>& whileWaiting);

// The path of `entryName` below `outputFolder` when it is a regular file holding `expectedSize` bytes (and
// `expectedCrc` when given); nullopt otherwise.
std::optional<std::string> CheckedExtractedFile(const std::string& outputFolder, const std::string& entryName,
                                                std::uint64_t expectedSize, std::optional<std::uint32_t> expectedCrc);

// Extracts the one entry at `entryIndex` into the fresh folder `outputFolder` and returns it as
// CheckedExtractedFile does, when the tool succeeded. nullopt when `unar` is absent or anything fails.
std::optional<std::string> ExtractEntryWithUnar(const std::string& archivePath, std::int64_t entryIndex,
                                                const std::string& entryName, const std::string& outputFolder,
                                                std::uint64_t expectedSize, std::optional<std::uint32_t> expectedCrc,
                                                const std::function<void()>& whileWaiting);

}  // namespace maj::archive
