#include "engine/cls_download_manager.h"

#include <utility>

namespace maj::engine {

cls_DownloadManager::cls_DownloadManager(cls_DownloadManagerListener* listener, EngineHost host)
    : listener_(listener), host_(std::move(host)) {}

cls_DownloadManager::~cls_DownloadManager() {
  // The current record and file may be held elsewhere and outlive the engine.
  SetCurrentFile(nullptr);
  SetCurrentFichier(nullptr);
}

void cls_DownloadManager::SetCurrentFile(std::shared_ptr<transfer::cls_File> next) {
  if (cFile) cFile->SetListener(nullptr);
  cFile = std::move(next);
  if (cFile) cFile->SetListener(this);
}

void cls_DownloadManager::SetCurrentFichier(std::shared_ptr<Fichier> next) {
  if (cFichier) {
    cFichier->SetListener(nullptr);
    cFichier->SetHost(nullptr);
  }
  cFichier = std::move(next);
  if (cFichier) {
    cFichier->SetListener(this);
    cFichier->SetHost(&host_);
  }
}

void cls_DownloadManager::Refuse(const std::string& nom, const std::string& version, const std::string& reason) {
  refused_.push_back({nom, version, reason});
  std::string notice = PublicationVerifier::Notice(refused_.back());
  if (listener_) listener_->DownloadEvent(notice);
}

void cls_DownloadManager::SkipInProgress(const std::string& nom, const std::string& version) {
  // Being published right now: the next start takes it whole.
  std::string notice = nom + " : version " + version + " incomplète dans la base (publication en cours), fichier ignoré";
  if (listener_) listener_->DownloadEvent(notice);
}

void cls_DownloadManager::UploadInProgress(std::string& Filename) {
  if (listener_) listener_->UploadFileEvent(Filename);
}

void cls_DownloadManager::CompressInProgress(std::string& Filename) {
  if (listener_) listener_->CompressFileEvent(Filename);
}

void cls_DownloadManager::DownloadInProgress(std::string& Filename) {
  if (listener_) listener_->DownloadFileEvent(Filename);
}

void cls_DownloadManager::DownloadProgress(std::int64_t done, std::int64_t expected) {
  if (listener_) listener_->ProgressEvent(done, expected);
  // Only the working folder holds what is being fetched: dropping it half-way leaves nothing behind.
  if (done < expected) StopIfRequested();
}

void cls_DownloadManager::UnpackProgress(std::int64_t done, std::int64_t expected) {
  if (listener_) listener_->UnpackProgressEvent(done, expected);
  if (done < expected) StopIfRequested();
}

void cls_DownloadManager::StopIfRequested() const {
  if (host_.StopRequested && host_.StopRequested()) throw RunStopped();
}

void cls_DownloadManager::ProcessAction(const std::string& Filename) {
  if (!listener_) return;
  std::string text = Filename;
  listener_->ActionFileEvent(text);
}

void cls_DownloadManager::Register(const std::string& Filename) {
  if (!listener_) return;
  std::string text = Filename;
  listener_->RegisterFileEvent(text);
}

}  // namespace maj::engine
