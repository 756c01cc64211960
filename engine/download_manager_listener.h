#pragma once
// Events of cls_DownloadManager, in declaration order, raised synchronously inside the engine's calls.
#include <cstdint>
#include <string>

namespace maj::engine {

class cls_DownloadManagerListener {
 public:
  virtual ~cls_DownloadManagerListener() = default;
  // A file is being fetched: each conditional row before its bytes are written, and each plain file's download.
  virtual void DownloadFileEvent(std::string& Filename) = 0;
  // A queued record is being stored.
  virtual void UploadFileEvent(std::string& Filename) = 0;
  // A queued record is being compressed.
  virtual void CompressFileEvent(std::string& Filename) = 0;
  // A fetched file is being installed.
  virtual void ActionFileEvent(std::string& Filename) = 0;
  // An installed file is being registered in place.
  virtual void RegisterFileEvent(std::string& Filename) = 0;
  // Retrieval starts ("Récupération des fichiers"), or a notice about a file that is skipped: shown as it stands.
  virtual void DownloadEvent(std::string& message) = 0;
  // Every install is done; `message` is the end text.
  virtual void EndDownloadEvent(std::string& message) = 0;
  // The numbers of the two newest published versions of the main executable (lOld 0, lNew 999999 when absent).
  virtual void OldNewOrvSpecVersionEvent(std::int32_t& lOld, std::int32_t& lNew) = 0;
  // A restart is needed to complete the update; raised just before EndDownloadEvent.
  virtual void NeedRebootEvent() = 0;
  // The check starts ("Vérification des versions").
  virtual void CheckVersionEvent(std::string& message) = 0;
  // Bytes done of bytes expected while a file is fetched; `done` reaches `expected` at the end.
  virtual void ProgressEvent(std::int64_t /*done*/, std::int64_t /*expected*/) {}
  // Bytes written of bytes expected while a fetched archive is unpacked, under the same status text.
  virtual void UnpackProgressEvent(std::int64_t /*done*/, std::int64_t /*expected*/) {}
};

}  // namespace maj::engine
