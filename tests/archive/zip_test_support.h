#pragma once
// Helpers for the zip component tests: content, folder listings, 7-Zip and hand-made archives.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace maj::archive::testing {

// `size` pseudo-random bytes (incompressible), the same for the same seed.
std::string RandomBytes(size_t size, unsigned seed);

// Every file and folder under `folder`, as sorted relative paths ("a", "a/b.txt").
std::vector<std::string> ListTree(const std::filesystem::path& folder);

// Runs `command` through the shell with its output discarded; returns its exit status.
int RunQuiet(const std::string& command);

// `text` quoted for the shell.
std::string ShellQuote(const std::string& text);

// Writes a zip at `path` with libzip holding each (entry name, content) exactly as given, stored.
void WriteRawZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries);

// Flips one byte of the file at `path`, the first byte of the first occurrence of `marker` in it.
void FlipByteAt(const std::string& path, const std::string& marker);

}  // namespace maj::archive::testing
