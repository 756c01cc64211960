// The retrieval and installation run of cls_DownloadManager: fetch every wanted file into the working
// folder, unpack the archives of plain files, install everything, report the end and clean up.
#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "archive/zip_component.h"
#include "archive/zip_entry_names.h"
#include "engine/cls_download_manager.h"
#include "engine/fetched_archive.h"
#include "engine/main_version_number.h"
#include "engine/package_fetch.h"
#include "engine/publication_verifier.h"
#include "engine/published_name.h"
#include "engine/working_folder.h"
#include "platform/file_names.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "signing/sha256_hasher.h"
#include "sysinfo/os_identification.h"
#include "transfer/fichier64_update_queries.h"

namespace maj::engine {
namespace {

// True when extracting the archive gives the file `nom` itself at the folder's root (names compare ignoring
// case, as the installation finds the extracted file).
bool HoldsEntry(const archive::ZipComponent& zip, const std::string& nom) {
  const std::vector<std::string> names = zip.EntryNames();
  return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
    const std::optional<archive::EntryPath> path = archive::SafeEntryPath(name);
    return path && !path->isFolder && platform::EqualsIgnoreCase(path->relative, nom);
  });
}

}  // namespace

void cls_DownloadManager::RunUpdate() {
  // The run decides afresh, with the fetched bytes.
  refused_.clear();
  if (!verifier_) verifier_.emplace(PublicationVerifier::ForInstallation());
  const std::string baseFolder = PrepareWorkingFolder();
  const std::string workingFolder = WorkingFolder();
  // Files waiting for the next start are copied from the working folder then: it stays until that is done,
  // and later runs work in a numbered folder meanwhile.
  const auto cleanWorkingFolder = [&](bool keepWorkingFolder) {
    const bool baseNeeded = (keepWorkingFolder && workingFolder == baseFolder) || IsNeededAtNextStart(baseFolder);
    platform::FileOperations& files = platform::CurrentFileOperations();
    if (!baseNeeded && files.FolderExists(baseFolder)) RemoveFolderTree(baseFolder);
  };

  bool keepWorkingFolder = false;
  bool restart = false;
  try {
    restart = FetchAndInstall(keepWorkingFolder);
  } catch (const RunStopped&) {
    // What was installed before the stop stays installed, restart included; the rest is fetched next time.
    if (installStopNeedsRestart_ && listener_) listener_->NeedRebootEvent();
    cleanWorkingFolder(keepWorkingFolder);
    throw;
  }

  std::string endText = "Mise à jour terminée";
  if (restart) {
    endText += "Vous devez redémarrer pour terminer la mise à jour";
    if (listener_) listener_->NeedRebootEvent();
  }
  if (listener_) listener_->EndDownloadEvent(endText);

  std::int32_t lOld = 0;
  std::int32_t lNew = 999999;
  const std::vector<std::string> mainVersions = transfer::MainApplicationVersions();
  if (!mainVersions.empty()) lNew = MainVersionNumber(mainVersions[0]).value_or(lNew);
  if (mainVersions.size() > 1) lOld = MainVersionNumber(mainVersions[1]).value_or(lOld);
  if (listener_) listener_->OldNewOrvSpecVersionEvent(lOld, lNew);
  cleanWorkingFolder(keepWorkingFolder);
}

bool cls_DownloadManager::FetchAndInstall(bool& keepWorkingFolder) {
  installStopNeedsRestart_ = false;
  const std::string workingFolder = WorkingFolder();
  RetrieveConditionalFiles();

  const std::string key = sysinfo::GetOSKey();
  platform::FileOperations& files = platform::CurrentFileOperations();
  std::vector<transfer::VersionKey> versions;
  for (const std::shared_ptr<Fichier>& fichier : updateList_) versions.push_back({fichier->Nom, fichier->Version});
  verifier_->Prefetch(versions);
  for (const std::shared_ptr<Fichier>& fichier : updateList_) {
    StopIfRequested();
    SetCurrentFichier(fichier);
    RequirePlainFileName(fichier->Nom);
    std::string archivePath = platform::JoinPath(workingFolder, fichier->Nom + ".zip");

    // The record and rows decide first; the fetched bytes are then compared before anything is unpacked.
    // The rows are compared with the record as the download lists them, before it writes anything.
    FetchPlan plan = verifier_->BeforeFetch(fichier->Nom, fichier->Version, [&](signing::PublishedFields& used) {
      used.type = fichier->Type;
    }, false, true);
    if (plan.refusal) {
      Refuse(fichier->Nom, fichier->Version, *plan.refusal);
      continue;
    }
    if (plan.inProgress) {
      SkipInProgress(fichier->Nom, fichier->Version);
      continue;
    }
    signing::Sha256Hasher content;
    SetCurrentFile(std::make_shared<transfer::cls_File>());
    if (plan.record) {
      cFile->SetDownloadHasher(&content);
      cFile->SetRowsCheck([&](const std::vector<transfer::StoredVersionRow>& rows) {
        verifier_->CheckRows(plan, rows);
        if (plan.inProgress) throw transfer::RowsRefused("publication en cours", true);
        if (plan.refusal) throw transfer::RowsRefused(*plan.refusal, false);
      });
    }
    try {
      cFile->Download(workingFolder + "/", fichier->Nom, fichier->Version, key);
    } catch (const transfer::RowsRefused& refused) {
      if (refused.InProgress()) {
        SkipInProgress(fichier->Nom, fichier->Version);
      } else {
        Refuse(fichier->Nom, fichier->Version, refused.what());
      }
      continue;
    }

    if (!files.FileExists(archivePath)) archivePath += ".001";
    if (!files.FileExists(archivePath)) {
      // The newest version of this name is published for other Windows versions only: nothing to install.
      std::string notice = fichier->Nom + " : version " + fichier->Version +
                           " non publiée pour cette version de Windows, fichier ignoré";
      if (listener_) listener_->DownloadEvent(notice);
      continue;
    }
    if (plan.record) {
      if (const std::optional<std::string> refusal = verifier_->AfterFetch(plan, content.Final())) {
        // Nothing of it stays where a later step could pick it up.
        for (const std::optional<std::string>& archive : plan.record->fields.archives) {
          const std::string name = archive.value_or(fichier->Nom + ".zip");
          const std::string path = platform::JoinPath(workingFolder, name);
          if (platform::IsPlainFileName(name) && files.FileExists(path)) files.DeleteFile(path);
        }
        Refuse(fichier->Nom, fichier->Version, *refusal);
        continue;
      }
    }
    {
      archive::ZipComponent zip;
      if (!OpenFetchedArchive(zip, platform::ResolvePathCase(archivePath))) {
        SkipInProgress(fichier->Nom, fichier->Version);
        continue;
      }
      zip.SetProgressHandler([this](std::uint64_t done, std::uint64_t expected) {
        UnpackProgress(static_cast<std::int64_t>(done), static_cast<std::int64_t>(expected));
      });
      // Extracted first, so that an archive with entries that would leave the folder is still refused.
      zip.ExtractArchive(workingFolder);
      if (!HoldsEntry(zip, fichier->Nom)) {
        // Installing would find no fetched copy and quietly keep the old one: say so instead.
        std::string notice = fichier->Nom + " : version " + fichier->Version +
                             " absente de son archive publiée, fichier ignoré";
        if (listener_) listener_->DownloadEvent(notice);
        continue;
      }
    }
    fichier->Path = platform::JoinPath(workingFolder, fichier->Nom);
    installList_.push_back(fichier);
  }

  // Each install runs whole, its actions included; a stop is taken between two of them.
  bool restart = false;
  for (const std::shared_ptr<Fichier>& fichier : installList_) {
    StopIfRequested();
    SetCurrentFichier(fichier);
    restart = fichier->ProcessAction() || restart;
    installStopNeedsRestart_ = restart;
    keepWorkingFolder = keepWorkingFolder || fichier->WaitsForNextStart();
  }
  return restart;
}

void cls_DownloadManager::RetrieveConditionalFiles() {
  std::string message = "Récupération des fichiers";
  if (listener_) listener_->DownloadEvent(message);

  const std::string workingFolder = WorkingFolder();
  for (const std::string& condition : conditions_) {
    struct ListedPackage {
      db::Value key;
      std::uint64_t size;
      std::shared_ptr<Fichier> fichier;
      std::string version;
    };
    std::vector<ListedPackage> listed;
    for (transfer::PackageRow& row : transfer::ListPackageRows(condition)) {
      auto fichier = std::make_shared<Fichier>();
      fichier->Nom = row.nom;
      fichier->action1 = row.actions[0];
      fichier->actionData1 = row.actionData[0];
      fichier->action2 = row.actions[1];
      fichier->actionData2 = row.actionData[1];
      fichier->action3 = row.actions[2];
      fichier->actionData3 = row.actionData[2];
      fichier->Type = row.type;
      listed.push_back({std::move(row.key), row.size, std::move(fichier), std::move(row.version)});
    }

    for (auto& [key, size, fichier, version] : listed) {
      StopIfRequested();
      const std::string nom = fichier->Nom;
      if (listener_) {
        std::string shown = nom;  // the listener's copy: what it does with it never changes the file
        listener_->DownloadFileEvent(shown);
      }
      RequirePlainFileName(nom);
      // A package's actions run programs: it is fetched only when its record allows, and kept only when the
      // bytes match it.
      const FetchPlan plan = verifier_->BeforeFetch(nom, version, [&](signing::PublishedFields& used) {
        used.type = fichier->Type;
        used.actions = {fichier->action1, fichier->action2, fichier->action3};
        used.actionData = {fichier->actionData1, fichier->actionData2, fichier->actionData3};
      }, true);
      if (plan.refusal) {
        Refuse(nom, version, *plan.refusal);
        continue;
      }
      if (plan.inProgress) {
        SkipInProgress(nom, version);
        continue;
      }
      const std::string path = platform::JoinPath(workingFolder, nom);
      signing::Sha256Hasher content;
      FetchPackage(nom, key, size, path, [this](std::uint64_t done, std::uint64_t expected) {
        DownloadProgress(static_cast<std::int64_t>(done), static_cast<std::int64_t>(expected));
      }, plan.record ? db::BlobBytes([&](const char* data, std::size_t count) { content.Update(data, count); })
                     : db::BlobBytes());
      if (plan.record) {
        if (const std::optional<std::string> refusal = verifier_->AfterFetch(plan, content.Final())) {
          platform::CurrentFileOperations().DeleteFile(path);
          Refuse(nom, version, *refusal);
          continue;
        }
      }

      SetCurrentFichier(fichier);
      fichier->Path = path;
      installList_.push_back(fichier);
    }
  }
}

}  // namespace maj::engine
