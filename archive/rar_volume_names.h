#pragma once
// How RAR names the volumes of a set: "name.part1.rar", "name.part2.rar"... (new numbering, any number of
// digits, widened when they overflow) or "name.rar", "name.r00", "name.r01"... "name.r99", "name.s00"
// (old numbering).
#include <string>
#include <string_view>

namespace maj::archive {

// Name of the volume that follows `volumePath` in its set. `newNumbering` says which scheme the set uses;
// a new-numbering name without digits falls back to the old scheme, as RAR does.
std::string NextRarVolumeName(std::string_view volumePath, bool newNumbering);

}  // namespace maj::archive
