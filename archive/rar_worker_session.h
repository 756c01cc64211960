#pragma once
// One archive opened in the RAR worker process: libarchive reading the volume stream, with the checks
// that libarchive lacks (volume order, byte counts, encrypted entries, paths below the destination) and
// the `unar` fallback for entries libarchive cannot decode. Each method answers one request.
#include <memory>
#include <optional>
#include <string>

#include "archive/rar_headers.h"
#include "archive/rar_volume_stream.h"
#include "archive/rar_worker_channel.h"
#include "archive/rar_worker_link.h"

struct archive;
struct archive_entry;

namespace maj::archive {

class RarWorkerSession {
 public:
  explicit RarWorkerSession(WorkerLink& link);
  ~RarWorkerSession();
  RarWorkerSession(const RarWorkerSession&) = delete;
  RarWorkerSession& operator=(const RarWorkerSession&) = delete;

  // numbers: open result, comment state; texts: comment.
  WorkerMessage Open(const std::string& path, unsigned mode);
  void SetPassword(const std::string& password) { password_ = password; }
  // numbers: result, unpacked size, version, method, attributes; texts: volume name, entry name.
  WorkerMessage ReadHeader();
  // numbers: result.
  WorkerMessage Process(int operation, const std::string& destinationFolder, const std::string& destinationName);

 private:
  int FailureCode(int fallback) const;
  bool AskPassword();
  int ReadFileData(int operation, const std::string& target, const std::string& destinationFolder);
  int ExtractFolderOrLink(int operation, const std::string& target, const std::string& destinationFolder);
  std::optional<RarFileHeader> CurrentHeader() const;

  WorkerLink& link_;
  unsigned mode_ = 0;
  std::string archivePath_;
  std::string password_;
  std::unique_ptr<RarVolumeStream> stream_;
  ::archive* reader_ = nullptr;
  archive_entry* entry_ = nullptr;  // owned by the reader
  std::string entryName_;
  long entryIndex_ = -1;
  bool entryProcessed_ = false;
};

}  // namespace maj::archive
