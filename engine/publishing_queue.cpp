// The publishing queue of cls_DownloadManager: records handed over by the publishing screen, stored in order.
#include <cstddef>
#include <stdexcept>
#include <utility>

#include "engine/cls_download_manager.h"

namespace maj::engine {

void cls_DownloadManager::AddFileToUpload(std::shared_ptr<transfer::cls_File> File) {
  if (!File) throw std::invalid_argument("AddFileToUpload: aucun fichier à publier");
  uploadQueue_.push_back(std::move(File));
}

void cls_DownloadManager::ProcessUpload() {
  const std::size_t count = uploadQueue_.size();
  for (std::size_t index = 0; index < count; ++index) {
    SetCurrentFile(uploadQueue_[index]);
    cFile->SetSigningKey(signingKey_);
    cFile->Upload();
  }
}

}  // namespace maj::engine
