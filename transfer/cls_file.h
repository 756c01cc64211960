#pragma once
// One published file on its way between the local disk and table Fichier64: `Upload` stores a new version
// (compressed, split into volumes when large) or updates the flags of a stored one; `Download` writes the
// stored archive or volumes of one version into a folder.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "signing/keys.h"
#include "signing/sha256_hasher.h"

namespace maj::transfer {

// One stored row of a version (transfer/signature_records.h): only named here, so that the users of cls_File
// do not see the database layer.
struct StoredVersionRow;

// Thrown by a rows check (cls_File::SetRowsCheck) to stop a download before anything is written; Download
// lets it through unchanged.
class RowsRefused : public std::runtime_error {
 public:
  RowsRefused(const std::string& reason, bool inProgress) : std::runtime_error(reason), inProgress_(inProgress) {}
  // True when the rows are a publication still being stored rather than a refusal.
  bool InProgress() const { return inProgress_; }

 private:
  bool inProgress_;
};

// Events of cls_File, in declaration order, raised synchronously. `Filename` is the record's name.
class cls_FileListener {
 public:
  virtual ~cls_FileListener() = default;
  // Upload is about to write rows.
  virtual void UploadInProgress(std::string& Filename) = 0;
  // Upload is about to compress the file.
  virtual void CompressInProgress(std::string& Filename) = 0;
  // Download is about to read rows.
  virtual void DownloadInProgress(std::string& Filename) = 0;
  // Download has written `done` of the `expected` bytes stored for the file.
  virtual void DownloadProgress(std::int64_t /*done*/, std::int64_t /*expected*/) {}
};

class cls_File {
 public:
  // Size of one volume of a split archive, in bytes.
  static constexpr double VolumeSize = 819200;

  // The listener receives the events; nullptr (the default) raises nothing. Not owned.
  void SetListener(cls_FileListener* listener) { listener_ = listener; }

  // The key that signs what Upload stores (nullptr, the default: nothing is signed). With a key, Upload stores
  // the version's signed record (Fichier64Signature) after its last row, also when it only changes the flags
  // of a stored version.
  void SetSigningKey(std::shared_ptr<const signing::SigningKey> key) { signingKey_ = std::move(key); }

  // A hasher that Download feeds with every byte it writes, in row order (nullptr, the default: none). Not
  // owned; it must outlive the downloads it is set for.
  void SetDownloadHasher(signing::Sha256Hasher* hasher) { downloadHasher_ = hasher; }

  // A check that Download runs on the rows it is about to fetch (those of the version applying to the OS key,
  // in key order), before writing anything; it stops the download by throwing RowsRefused. Empty: none.
  using RowsCheck = std::function<void(const std::vector<StoredVersionRow>& rows)>;
  void SetRowsCheck(RowsCheck check) { rowsCheck_ = std::move(check); }

  // Accessors store and return values unchanged.
  const std::string& GetPath() const { return path_; }
  void SetPath(std::string value) { path_ = std::move(value); }
  const std::string& GetNom() const { return nom_; }
  void SetNom(std::string value) { nom_ = std::move(value); }
  std::int16_t GetTypeFichier() const { return typeFichier_; }
  void SetTypeFichier(std::int16_t value) { typeFichier_ = value; }
  const std::string& GetCurrentVersion() const { return currentVersion_; }
  void SetCurrentVersion(std::string value) { currentVersion_ = std::move(value); }
  bool GetW9x() const { return w9x_; }
  void SetW9x(bool value) { w9x_ = value; }
  bool GetWME() const { return wME_; }
  void SetWME(bool value) { wME_ = value; }
  bool GetWNT4() const { return wNT4_; }
  void SetWNT4(bool value) { wNT4_ = value; }
  bool GetW2k() const { return w2k_; }
  void SetW2k(bool value) { w2k_ = value; }
  bool GetWXP() const { return wXP_; }
  void SetWXP(bool value) { wXP_ = value; }
  bool GetW2k3() const { return w2k3_; }
  void SetW2k3(bool value) { w2k3_ = value; }
  bool GetWVista() const { return wVista_; }
  void SetWVista(bool value) { wVista_ = value; }
  bool GetW7() const { return w7_; }
  void SetW7(bool value) { w7_ = value; }
  bool Getw8() const { return w8_; }
  void Setw8(bool value) { w8_ = value; }
  bool GetCodeBase() const { return codeBase_; }
  void SetCodeBase(bool value) { codeBase_ = value; }

  // Stores the file at Path as version CurrentVersion of Nom through the shared connection, or, when that
  // version is already stored, updates its Windows-version flags and TYPE on every row. A new version is
  // compressed beside the source (Path + ".zip", or volumes Path + ".zip.001"…), one row per archive or volume
  // in volume order, each file deleted once its row is stored. Throws on failure with a description naming
  // the file; rows stored before the failure stay, and so do the files not yet stored.
  void Upload();

  // Writes every stored archive or volume of (Name, version) that applies to the OS key `osVersion` into the
  // folder `Path` (ending with a separator; Windows paths are accepted), each under its Archive name
  // (Name + ".zip" when NULL), in key order, replacing existing files. Writes nothing when no row matches.
  // Throws on failure with a description naming the file, also for an OS key that is not one of the nine
  // known keys, for a stored name that is not a plain file name (platform::IsPlainFileName), and, before
  // anything is written, when the stored sizes do not fit in the folder's free space
  // (platform::DiskSpaceShortage); files written before a failure stay.
  void Download(std::string Path, std::string Name, std::string version, std::string osVersion);

 private:
  static std::int16_t FlagToBit(bool flag);
  bool ExistsInTable();

  void SignNewVersion(const std::vector<std::optional<std::string>>& archives, const signing::Sha256& content,
                      const std::array<std::int16_t, 9>& flags) const;

  cls_FileListener* listener_ = nullptr;
  std::shared_ptr<const signing::SigningKey> signingKey_;
  signing::Sha256Hasher* downloadHasher_ = nullptr;
  RowsCheck rowsCheck_;
  std::string path_;
  std::string nom_;
  std::int16_t typeFichier_ = 0;
  std::string currentVersion_;
  bool w9x_ = false, wME_ = false, wNT4_ = false, w2k_ = false, wXP_ = false, w2k3_ = false, wVista_ = false,
       w7_ = false, w8_ = false, codeBase_ = false;
};

}  // namespace maj::transfer
