#pragma once
// One archive opened in the RAR worker process: libarchive reading the volume stream, with the checks
// that libarchive lacks (volume order, byte counts, encrypted entries, paths below the destination) and
// the `unar` fallback for entries libarchive cannot decode. An archive of which libarchive reads no entry
// at all is read whole with the `unar` tools when `lsar` lists it. Each method answers one request.
#include <memory>
#include <optional>
#include <string>

#include "archive/rar_headers.h"
#include "archive/rar_volume_stream.h"
#include "archive/rar_worker_channel.h"
#include "archive/rar_worker_link.h"
#include "archive/unar_whole_archive.h"

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
  // Ends the reading and removes the scratch files of the unar tools.
  void Close() { unar_.reset(); }

 private:
  int FailureCode(int fallback) const;
  bool AskPassword();
  int ReadFileData(int operation, const std::string& target, const std::string& destinationFolder);
  int ExtractFolderOrLink(int operation, const std::string& target, const std::string& destinationFolder);
  std::optional<RarFileHeader> CurrentHeader() const;
  bool StartWholeArchiveFallback();
  WorkerMessage NextListedHeader();
  bool ReportProcessed(std::uint64_t bytes);

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
  std::unique_ptr<UnarWholeArchive> unar_;  // set when libarchive could not read the archive
  bool volumesWalked_ = false;
};

}  // namespace maj::archive
