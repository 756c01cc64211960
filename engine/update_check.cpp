// The update check of cls_DownloadManager: which conditional packages are missing and which plain files
// are newer than their installed copies, for the running Windows version.
#include <stdexcept>

#include "engine/cls_download_manager.h"
#include "engine/install_conditions.h"
#include "sysinfo/os_identification.h"
#include "transfer/fichier64_update_queries.h"
#include "transfer/newest_versions.h"

namespace maj::engine {

void cls_DownloadManager::Test_Version(bool& forcer) {
  // The run verifies every version itself, with its bytes: no need to read the records twice.
  ChooseUpdates(forcer);
  StopIfRequested();
  RunUpdate();
}

void cls_DownloadManager::CheckForUpdates(bool forcer) {
  ChooseUpdates(forcer);
  // What the records and rows already say (the bytes are compared by a run).
  for (const std::shared_ptr<Fichier>& fichier : updateList_) {
    const FetchPlan plan = verifier_->BeforeFetch(fichier->Nom, fichier->Version, [&](signing::PublishedFields& used) {
      used.type = fichier->Type;
    }, false);
    if (plan.refusal) refused_.push_back({fichier->Nom, fichier->Version, *plan.refusal});
  }
}

void cls_DownloadManager::ChooseUpdates(bool forcer) {
  std::string message = "Vérification des versions";
  if (listener_) listener_->CheckVersionEvent(message);

  // Each check starts afresh: entries of an earlier run would be fetched and installed again, and an entry
  // whose Path already names its installed file would delete that file.
  conditions_.clear();
  updateList_.clear();
  installList_.clear();

  // Only a known key (a flag column of Fichier64) is ever pasted into a statement.
  const std::string key = sysinfo::GetOSKey();
  if (!sysinfo::IsKnownOSKey(key)) {
    throw std::runtime_error(
        "La version de Windows de ce poste n'est pas reconnue : la mise à jour ne peut pas être vérifiée.");
  }
  // The trusted keys are read first: a damaged trusted-keys file stops the check before anything is chosen.
  verifier_.emplace(PublicationVerifier::ForInstallation());
  refused_.clear();

  for (const transfer::PackageCondition& package : transfer::ListPackageConditions(key)) {
    if (!IsConditionMet(package.condition, package.typeCondition)) conditions_.push_back(package.condition);
  }

  // While any package is wanted, the plain files wait for a later check.
  if (conditions_.empty()) {
    const std::vector<transfer::NewestVersion> chosen = transfer::NewestPlainVersions(key, [&](const transfer::NewestVersion& newest) {
      auto fichier = std::make_shared<Fichier>();
      SetCurrentFichier(fichier);
      fichier->Nom = newest.nom;
      fichier->Version = newest.version;
      if (fichier->TestVersion() != 1 && !forcer) return false;
      updateList_.push_back(fichier);
      return true;
    });
    // The types come with the chosen names, in the same order.
    for (std::size_t i = 0; i < chosen.size(); ++i) updateList_[i]->Type = chosen[i].type;
  }
}

bool cls_DownloadManager::IsConditionMet(const std::string& condition, std::int16_t typeCondition) {
  switch (typeCondition) {
    case 1:
      return IsFileConditionMet(condition);
    case 2:
      return IsRegistryConditionMet(condition);
    default:
      return false;
  }
}

}  // namespace maj::engine
