#pragma once
// Version texts ("13.01.0010") as arrays of numbers, their comparison, and the version of an installed file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace maj::engine {

// Components of a version, first component at index 0. Empty: the empty version, lower than any other.
using VersionArray = std::vector<std::int32_t>;

// Splits `version` at every "." and converts each part, skipping empty parts ("1..2" gives 1, 2). A part
// may have blanks around it. A part that is not a whole number counts for the number it starts with
// ("5512 (build)" gives 5512), or 0 when it starts with none; a part made only of blanks is skipped like an
// empty one. A number beyond the signed 32-bit range is held at the nearest limit.
VersionArray convertVersionStringToArray(std::string_view version);

// 1 when `a1` is greater, -1 when smaller, 0 when equal: components compared in order, the first
// difference decides; when all shared ones are equal the longer version is greater (1.2.0 > 1.2).
std::int32_t compareVersion(const VersionArray& a1, const VersionArray& a2);

// compareVersion of the two texts' arrays.
std::int32_t compareVersionStr(std::string_view str1, std::string_view str2);

// The FileVersion text of the file at `path` (read with CFileVersionInfo), or empty when the file is
// missing or has no readable version information. A text with commas ("13, 1, 0, 10") is turned into
// dotted form ("13.1.0.10"): split at ",", blanks removed around every part but the first, joined by ".".
std::string LocalFileVersion(const std::string& path);

}  // namespace maj::engine
