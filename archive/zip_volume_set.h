#pragma once
// The files that hold one zip archive: either a whole archive, or the volumes "<name>.001", "<name>.002", …
// of a split one (plain byte cuts of a single zip, as 7-Zip makes them), read in order as one archive.
#include <zip.h>

#include <cstdint>
#include <string>
#include <vector>

namespace maj::archive {

struct VolumeSet {
  // The files in reading order, and the size of each when the set was found.
  std::vector<std::string> files;
  std::vector<std::uint64_t> sizes;
  std::uint64_t totalSize = 0;
  bool split = false;
};

// Name of volume `number` (from 1) of the split archive `base`: base + "." + the number on at least three
// digits (".001", ".999", ".1000").
std::string VolumeName(const std::string& base, unsigned number);

// Finds the files of the archive opened as `path`: a whole archive; the first volume (a name ending in
// ".001"), whose followers are taken while they exist; or, when `path` itself is absent, the set of volumes
// `path`.001, .002, …. Throws ZipError naming the archive when nothing is found, when a volume is missing
// before a later one, or when a volume other than the last does not have the size of the first (a volume of
// another set, or a truncated one).
VolumeSet FindVolumes(const std::string& path);

// A read-only, seekable libzip source over the files of `set` taken as one stream of bytes. Returns nullptr
// with `error` set on failure. The caller owns the source (zip_source_free, unless zip_open_from_source took
// it over).
zip_source_t* NewVolumeSource(const VolumeSet& set, zip_error_t* error);

}  // namespace maj::archive
