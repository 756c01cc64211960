#pragma once
// Opening the archive that the update run fetched for a plain file.
#include <string>

#include "archive/zip_component.h"

namespace maj::engine {

// Opens `archivePath` (a whole archive or the first volume of a set) in `zip`. Returns false when the
// fetched volumes do not form a complete archive: the publisher writes a new version one volume row at a
// time, so a run that reads in the meantime finds only the first volumes. Any other failure throws ZipError.
bool OpenFetchedArchive(archive::ZipComponent& zip, const std::string& archivePath);

}  // namespace maj::engine
