#include "engine/fetched_archive.h"

#include "archive/zip_error.h"
#include "archive/zip_volume_set.h"

namespace maj::engine {

bool OpenFetchedArchive(archive::ZipComponent& zip, const std::string& archivePath) {
  // Whether the set is split is read before opening: a whole archive is one row, never seen in part.
  const bool split = archive::FindVolumes(archivePath).split;
  try {
    zip.OpenArchive(archivePath);
    return true;
  } catch (const archive::ZipError&) {
    if (split) return false;
    throw;
  }
}

}  // namespace maj::engine
