#pragma once
// Helpers for the zip component tests: writing and extracting with the component, content, folder listings,
// 7-Zip and hand-made archives.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/large_files.h"
#include "tests/support/temp_folder.h"

namespace maj::archive::testing {

// Volume size used by the tests that cut archives into volumes.
constexpr double kVolumeSize = 819200;
// 2.5 MB: once compressed (random bytes do not shrink), three full volumes and a remainder.
constexpr size_t kLargeSize = 2621440;

// Writes the file `source` alone (at the root) into the archive `archive`, cut into volumes of `volumeSize`.
void WriteZip(const std::string& source, const std::string& archive, double volumeSize = kVolumeSize);

// Opens `archive` (whole or a set's first volume) and extracts it into `folder`.
void ExtractZip(const std::string& archive, const std::string& folder);

using maj::testing::RandomBytes;

using maj::testing::ListTree;

// Runs `command` through the shell with its output discarded; returns its exit status.
int RunQuiet(const std::string& command);

// `text` quoted for the shell.
std::string ShellQuote(const std::string& text);

// Writes a zip at `path` with libzip holding each (entry name, content) exactly as given, stored.
void WriteRawZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries);

// Flips one byte of the file at `path`, the first byte of the first occurrence of `marker` in it.
void FlipByteAt(const std::string& path, const std::string& marker);

}  // namespace maj::archive::testing
