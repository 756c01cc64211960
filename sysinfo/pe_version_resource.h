#pragma once
// Finds the version resource (RT_VERSION) of a PE file (PE32 or PE32+) in the file's bytes.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace maj::sysinfo {

// The bytes of the first version resource of the image: resource type 16, its first name and first language
// in directory order. Every header, directory, entry and data range is checked against the image; a file
// that is not a PE image, has no resource directory or no version resource, or whose structures point
// outside the file gives nullopt, as does a resource of size 0. A version tree is at most 65535 bytes long,
// so at most that many bytes are returned.
std::optional<std::vector<std::uint8_t>> FindVersionResource(std::span<const std::uint8_t> image);

// Same, for the plain file at `path` (a local path, used as given), mapped rather than read whole. nullopt
// when the file cannot be opened.
std::optional<std::vector<std::uint8_t>> ReadFileVersionResource(const std::string& path);

}  // namespace maj::sysinfo
