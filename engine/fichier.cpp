#include "engine/fichier.h"

#include "config/installation.h"
#include "engine/version_compare.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace maj::engine {

std::string InstalledPath(std::string_view nom, bool createBinFolder) {
  const std::string folder = platform::EndsWithIgnoreCase(nom, ".exe") ? platform::ApplicationFolder()
                             : createBinFolder                         ? config::GetBinFolder()
                                                                       : config::BinFolderPath();
  return platform::JoinPath(folder, nom);
}

std::int32_t Fichier::TestVersion() {
  Nom = platform::ToLowerCase(Nom);
  const std::string installed = LocalFileVersion(InstalledPath(Nom, false));
  return compareVersion(convertVersionStringToArray(Version), convertVersionStringToArray(installed));
}

}  // namespace maj::engine
