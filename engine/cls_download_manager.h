#pragma once
// The update engine: the update check and the retrieval and installation run it starts, and the publishing
// queue. Everything runs synchronously on the caller's thread; progress reaches the listener as events.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/download_manager_listener.h"
#include "engine/engine_host.h"
#include "engine/fichier.h"
#include "engine/publication_verifier.h"
#include "signing/keys.h"
#include "transfer/cls_file.h"

namespace maj::engine {

class cls_DownloadManager : private transfer::cls_FileListener, private FichierListener {
 public:
  // `listener` receives the events (nullptr: none); not owned, must outlive the engine.
  explicit cls_DownloadManager(cls_DownloadManagerListener* listener = nullptr, EngineHost host = {});
  ~cls_DownloadManager() override;
  cls_DownloadManager(const cls_DownloadManager&) = delete;
  cls_DownloadManager& operator=(const cls_DownloadManager&) = delete;

  // Checks which conditional packages are missing and which plain files are newer than the installed
  // copies (every plain file of this Windows version when `forcer` is true), then fetches and installs them.
  // Returns when the whole run is over. Failures reach the caller as exceptions carrying the description;
  // a stop asked through the host ends it with RunStopped at the next point where nothing is half-done.
  void Test_Version(bool& forcer);

  // The check alone, as Test_Version starts: fills ConditionsList() with the conditions not met and, when
  // every condition is met, UpdateList() with the plain files to fetch (all of them when `forcer`), and
  // RefusedFiles() with those of them that the records already refuse. Reads the database and the installed
  // files; writes, fetches and installs nothing.
  void CheckForUpdates(bool forcer);

  // Queues a record for publishing. The queue holds the record itself: later changes are stored.
  void AddFileToUpload(std::shared_ptr<transfer::cls_File> File);

  // Stores every queued record in queue order, relaying its compress and upload notices. A failure ends it
  // at that record and reaches the caller.
  void ProcessUpload();

  // The key ProcessUpload signs every record with (nullptr, the default: nothing is signed).
  void SetSigningKey(std::shared_ptr<const signing::SigningKey> key) { signingKey_ = std::move(key); }

  // The versions that the last check or run refused (missing or untrusted signature, fields or content that
  // differ from the signed ones), in the order met. The check fills it from the records and rows alone; the
  // run starts it afresh and also compares the fetched bytes. Each refusal of the run is also announced with
  // DownloadEvent, and the run goes on with the other files.
  const std::vector<RefusedFile>& RefusedFiles() const { return refused_; }

  // The collections, in insertion order.
  const std::vector<std::string>& ConditionsList() const { return conditions_; }
  const std::vector<std::shared_ptr<Fichier>>& UpdateList() const { return updateList_; }
  const std::vector<std::shared_ptr<Fichier>>& InstallList() const { return installList_; }
  const std::vector<std::shared_ptr<transfer::cls_File>>& UploadQueue() const { return uploadQueue_; }

 private:
  // CheckForUpdates without reading the records (the run reads them with the bytes).
  void ChooseUpdates(bool forcer);
  bool IsConditionMet(const std::string& condition, std::int16_t typeCondition);
  // Records a refused version and announces it.
  void Refuse(const std::string& nom, const std::string& version, const std::string& reason);
  // Announces a version skipped because it is being published.
  void SkipInProgress(const std::string& nom, const std::string& version);
  void RunUpdate();
  // Fetches, unpacks and installs; the part of RunUpdate that a stop may cut short. True when a restart is
  // needed; `keepWorkingFolder` is set once an install leaves its copy for the next start.
  bool FetchAndInstall(bool& keepWorkingFolder);
  // Throws RunStopped when the host asks the run to stop.
  void StopIfRequested() const;
  // Relays unpacking progress; a stop asked meanwhile ends the unpacking.
  void UnpackProgress(std::int64_t done, std::int64_t expected);
  void RetrieveConditionalFiles();

  // Make `next` the current record / file: only the current one reports to the engine and uses its host,
  // so that none is left pointing at the engine once it is gone.
  void SetCurrentFile(std::shared_ptr<transfer::cls_File> next);
  void SetCurrentFichier(std::shared_ptr<Fichier> next);

  // Relays of cFile's and cFichier's events to the listener, same text.
  void UploadInProgress(std::string& Filename) override;
  void CompressInProgress(std::string& Filename) override;
  void DownloadInProgress(std::string& Filename) override;
  void DownloadProgress(std::int64_t done, std::int64_t expected) override;
  void ProcessAction(const std::string& Filename) override;
  void Register(const std::string& Filename) override;

  cls_DownloadManagerListener* listener_;
  EngineHost host_;
  std::vector<std::string> conditions_;
  std::vector<std::shared_ptr<Fichier>> updateList_;
  std::vector<std::shared_ptr<Fichier>> installList_;
  std::vector<std::shared_ptr<transfer::cls_File>> uploadQueue_;
  std::optional<PublicationVerifier> verifier_;  // set by each check
  std::vector<RefusedFile> refused_;
  std::shared_ptr<const signing::SigningKey> signingKey_;
  std::shared_ptr<transfer::cls_File> cFile;   // the record being moved
  std::shared_ptr<Fichier> cFichier;           // the file being checked or installed
  bool installStopNeedsRestart_ = false;       // an install done before a stop asked for a restart
};

}  // namespace maj::engine
