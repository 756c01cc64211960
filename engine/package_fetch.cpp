#include "engine/package_fetch.h"

#include <optional>
#include <stdexcept>

#include "engine/engine_host.h"
#include "platform/disk_space.h"
#include "platform/file_names.h"
#include "platform/paths.h"
#include "transfer/fichier64_update_queries.h"

namespace maj::engine {

void FetchPackage(const std::string& nom, const db::Value& key, std::uint64_t storedSize, const std::string& path,
                  const db::BlobProgress& progress, const db::BlobBytes& observer) {
  try {
    const std::optional<std::string> shortage = platform::DiskSpaceShortage(platform::ParentFolder(path), storedSize);
    if (shortage) throw std::runtime_error(*shortage);
    transfer::SavePackageData(key, path, progress, observer);
  } catch (const RunStopped&) {
    throw;  // not a failure of this package: the run was asked to stop
  } catch (const std::exception& cause) {
    throw std::runtime_error("Téléchargement de « " + platform::ShownName(nom) + " » impossible : " + cause.what());
  }
}

}  // namespace maj::engine
