#pragma once
// The bytes of a RAR volume set as one stream for libarchive, opening the volumes one after the other as
// the reader reaches the end of each (libarchive reads a set correctly only as the volumes concatenated in
// order). Each change of volume goes through the callback: a missing volume is asked for, an opened one is
// announced, and either answer can stop the run. Each volume is checked to be the next one of the set.
#include <cstdint>
#include <string>
#include <vector>

#include "archive/rar_headers.h"
#include "archive/rar_worker_link.h"
#include "platform/unique_fd.h"

namespace maj::archive {

class RarVolumeStream {
 public:
  // `firstVolume` has been checked to open; `headers` are its headers.
  RarVolumeStream(WorkerLink& link, std::string firstVolume, RarVolumeHeaders headers);
  ~RarVolumeStream();
  RarVolumeStream(const RarVolumeStream&) = delete;
  RarVolumeStream& operator=(const RarVolumeStream&) = delete;

  // libarchive's read callback: next bytes of the set (0 at its end, -1 on failure).
  long Read(const void** buffer);
  // libarchive's skip callback: skips within the current volume only; returns the bytes skipped.
  std::int64_t Skip(std::int64_t request);

  // Result code that explains the stream's failure (0 while it has not failed).
  int errorCode() const { return errorCode_; }
  const std::string& currentVolume() const { return path_; }
  // File headers of the set in archive order, continuation headers left out, for the volumes opened so far.
  const std::vector<RarFileHeader>& entryHeaders() const { return entryHeaders_; }
  const RarVolumeHeaders& firstVolumeHeaders() const { return volumes_.front(); }

 private:
  bool NeedsNextVolume() const;
  bool OpenNextVolume();
  void AddVolume(RarVolumeHeaders headers);

  WorkerLink& link_;
  std::string path_;
  platform::UniqueFd fd_;
  int errorCode_ = 0;
  std::vector<RarVolumeHeaders> volumes_;
  std::vector<RarFileHeader> entryHeaders_;
  std::vector<char> buffer_;
};

// `path` when it exists, else the entry of its folder whose name matches ignoring case, else empty.
std::string FindFileIgnoringCase(const std::string& path);

}  // namespace maj::archive
