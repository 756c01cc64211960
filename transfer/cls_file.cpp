#include "transfer/cls_file.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <stdexcept>

#include "archive/zip_component.h"
#include "platform/file_names.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/run_stopped.h"
#include "transfer/fichier64_rows.h"
#include "transfer/signature_records.h"

namespace maj::transfer {
namespace {

// Booleans as the table stores them on insertion: -1 for true, 0 for false.
constexpr std::int16_t StoredBoolean(bool flag) { return flag ? -1 : 0; }

// "001", "002", … "999", "1000": the volume number written with at least three digits.
std::string VolumeNumber(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%03d", n);
  return text;
}

// The file name under which a row is written: its Archive value, or `name` + ".zip" when NULL. The name
// comes from the table, so anything that is not a plain name inside the destination folder (a folder, a
// drive, Windows separators included) is refused.
std::string TargetName(const std::optional<std::string>& archive, const std::string& name) {
  const std::string target = archive ? *archive : name + ".zip";
  if (!platform::IsPlainFileName(target)) {
    throw std::runtime_error("nom d'archive « " + platform::ShownName(target) +
                             " » refusé : un nom de fichier ne peut pas contenir de dossier ni de lecteur");
  }
  return target;
}

// The description of a failure of `operation` on `name`, the cause's own text after it.
[[noreturn]] void Fail(const std::string& operation, const std::string& name, const std::exception& cause) {
  throw std::runtime_error(operation + " de « " + platform::ShownName(name) + " » impossible : " + cause.what());
}

}  // namespace

void cls_File::Download(std::string Path, std::string Name, std::string version, std::string osVersion) {
  if (listener_) {
    std::string filename = Name;
    listener_->DownloadInProgress(filename);
  }
  try {
    const std::string folder = platform::ToLocalPath(Path);
    const std::string flagColumn = internal::FlagColumnForOSKey(osVersion);
    internal::SaveStoredArchives(Name, version, flagColumn, folder, [&](const std::optional<std::string>& archive) {
      return platform::ResolvePathCase(platform::JoinPath(folder, TargetName(archive, Name)));
    }, [this](std::uint64_t done, std::uint64_t expected) {
      if (listener_) listener_->DownloadProgress(static_cast<std::int64_t>(done), static_cast<std::int64_t>(expected));
    }, downloadHasher_ ? db::BlobBytes([this](const char* data, std::size_t count) {
      downloadHasher_->Update(data, count);
    }) : db::BlobBytes(), rowsCheck_);
  } catch (const RowsRefused&) {
    throw;
  } catch (const platform::RunStopped&) {
    throw;
  } catch (const std::exception& cause) {
    Fail("Téléchargement", Name, cause);
  }
}

void cls_File::Upload() {
  try {
    const internal::StoredWindowsValues inserted = {StoredBoolean(w9x_),  StoredBoolean(wNT4_),   StoredBoolean(w2k_),
                                             StoredBoolean(wXP_),  StoredBoolean(w2k3_),   StoredBoolean(wME_),
                                             StoredBoolean(wVista_), StoredBoolean(w7_), StoredBoolean(w8_)};
    if (ExistsInTable()) {
      // This version is already stored: only where it applies and how it installs change.
      if (listener_) {
        std::string filename = nom_;
        listener_->UploadInProgress(filename);
      }
      const internal::StoredWindowsValues updated = {FlagToBit(w9x_), FlagToBit(wNT4_),   FlagToBit(w2k_),
                                              FlagToBit(wXP_), FlagToBit(w2k3_),   FlagToBit(wME_),
                                              FlagToBit(wVista_), FlagToBit(w7_), FlagToBit(w8_)};
      internal::UpdateStoredVersion(nom_, currentVersion_, updated, typeFichier_);
      if (signingKey_) SignStoredVersion(nom_, currentVersion_, *signingKey_);
      return;
    }

    if (listener_) {
      std::string filename = nom_;
      listener_->CompressInProgress(filename);
    }
    // The source is found as Windows finds it, whatever the letter case of the path given.
    const std::string source = platform::ResolvePathCase(platform::ToLocalPath(path_));
    const std::string archivePath = source + ".zip";
    {
      archive::ZipComponent zip;
      zip.AddFile(source, "", "");
      zip.SetVolumeSize(VolumeSize);
      zip.WriteArchive(archivePath);
    }
    if (listener_) {
      std::string filename = nom_;
      listener_->UploadInProgress(filename);
    }

    // One row per archive file, each file deleted once its row is stored: the whole archive when it fit in
    // one volume, else the volumes in ascending order so that their keys ascend too.
    // The content is hashed from the files as they are stored, for the record written after the last row.
    platform::FileOperations& files = platform::CurrentFileOperations();
    signing::Sha256Hasher content;
    std::vector<std::optional<std::string>> archives;
    const auto store = [&](const std::string& file, const std::string& archive) {
      if (signingKey_) content.UpdateFromFile(file);
      internal::InsertArchiveRow(currentVersion_, typeFichier_, nom_, archive, inserted, file);
      files.DeleteFile(file);
      archives.push_back(archive);
    };
    for (int n = 1;; ++n) {
      if (files.FileExists(archivePath)) {
        store(archivePath, nom_ + ".zip");
        break;
      }
      const std::string volumePath = archivePath + "." + VolumeNumber(n);
      if (!files.FileExists(volumePath)) {
        // The zip component always leaves an archive or its first volume; a missing one must not pass for
        // a published file.
        if (n == 1) throw std::runtime_error("aucune archive n'a été produite à « " + archivePath + " »");
        break;
      }
      store(volumePath, nom_ + ".zip." + VolumeNumber(n));
    }
    if (signingKey_) SignNewVersion(archives, content.Final(), inserted);
  } catch (const std::exception& cause) {
    Fail("Publication", nom_, cause);
  }
}

void cls_File::SignNewVersion(const std::vector<std::optional<std::string>>& archives,
                              const signing::Sha256& content, const std::array<std::int16_t, 9>& flags) const {
  signing::PublishedFields fields;
  fields.nom = nom_;
  fields.version = currentVersion_;
  fields.type = typeFichier_;
  for (std::size_t i = 0; i < flags.size(); ++i) fields.windows[i] = flags[i] != 0;
  fields.archives = archives;
  WriteSignatureRecord(signing::SignPublication(fields, content, *signingKey_));
}

std::int16_t cls_File::FlagToBit(bool flag) { return flag ? 1 : 0; }

bool cls_File::ExistsInTable() { return internal::VersionIsStored(nom_, currentVersion_); }

}  // namespace maj::transfer
