#pragma once
// The RAR library used by CRxUnrar: the operations, records, callback and result codes of RARLAB's UnRAR
// library interface, provided over libarchive. The reading itself runs in the `maj-rar-worker` process
// (see rar_worker_process.h); every call here waits for the worker's answer, and callbacks run on the
// caller's thread inside the call, as the UnRAR library does.
//
// What this layer does not do that the UnRAR library does: it cannot decrypt (an encrypted entry or
// encrypted headers raise the password request and then fail with kRarBadData), and it reads archive
// comments only when they are stored uncompressed (a compressed comment gives comment state
// kRarUnknownFormat). Processed-data callbacks carry no data pointer (the first parameter is 0).
#include <cstdint>
#include <memory>
#include <string>

#include "archive/rar_result_codes.h"

namespace maj::archive {

class RarWorkerProcess;

// The callback: (message, user data, first parameter, second parameter); -1 stops the operation.
using UNRARCALLBACK = int (*)(unsigned int msg, std::intptr_t userData, std::intptr_t p1, std::intptr_t p2);

// Open record. The comment buffer belongs to the caller.
struct RAROpenArchiveData {
  std::string ArcName;
  unsigned int OpenMode = kRarOpenList;
  unsigned int OpenResult = 0;  // 0 = opened, else a result code
  char* CmtBuf = nullptr;
  unsigned int CmtBufSize = 0;
  unsigned int CmtSize = 0;   // bytes of comment written, NUL included
  unsigned int CmtState = 0;  // 0 = no comment, 1 = comment read, else a result code
};

// Entry header. Names are NUL-terminated UTF-8; the archive name is the volume holding the entry.
struct RARHeaderDataEx {
  char ArcName[kRarNameFieldSize] = {};
  char FileName[kRarNameFieldSize] = {};
  unsigned int UnpSize = 0;
  unsigned int UnpSizeHigh = 0;
  unsigned int UnpVer = 0;  // tens = major version, units = minor
  unsigned int Method = 0;  // 0x30 stored .. 0x35 best
  unsigned int FileAttr = 0;
};

// One open archive. Closing happens at destruction when RARCloseArchive was not called.
class RarArchiveHandle {
 public:
  explicit RarArchiveHandle(std::unique_ptr<RarWorkerProcess> worker);
  ~RarArchiveHandle();
  RarArchiveHandle(const RarArchiveHandle&) = delete;
  RarArchiveHandle& operator=(const RarArchiveHandle&) = delete;

 private:
  friend std::unique_ptr<RarArchiveHandle> RAROpenArchive(RAROpenArchiveData&);
  friend void RARSetCallback(RarArchiveHandle&, UNRARCALLBACK, std::intptr_t);
  friend void RARSetPassword(RarArchiveHandle&, const char*);
  friend int RARReadHeaderEx(RarArchiveHandle&, RARHeaderDataEx&);
  friend int RARProcessFile(RarArchiveHandle&, int, const char*, const char*);
  friend int RARCloseArchive(RarArchiveHandle&);

  std::unique_ptr<RarWorkerProcess> worker_;
  UNRARCALLBACK callback_ = nullptr;
  std::intptr_t userData_ = 0;
};

// Opens the archive (the first volume of a set). Returns null with data.OpenResult set when it fails:
// kRarOpenError (cannot open the file), kRarBadArchive (not RAR, or a later volume of a set),
// kRarBadData (headers unreadable, or the reader failed). Fills the comment buffer and CmtState.
// Throws std::runtime_error when the reader program cannot be started.
std::unique_ptr<RarArchiveHandle> RAROpenArchive(RAROpenArchiveData& data);

// Installs the callback that receives volume changes, processed data and password requests.
void RARSetCallback(RarArchiveHandle& archive, UNRARCALLBACK callback, std::intptr_t userData);

// The password for encrypted entries (NUL-terminated, UTF-8).
void RARSetPassword(RarArchiveHandle& archive, const char* password);

// Reads the next entry header: 0, kRarEndArchive at the end, or an error code. An entry continued over
// volumes gives one header.
int RARReadHeaderEx(RarArchiveHandle& archive, RARHeaderDataEx& header);

// Skips (kRarSkip), tests (kRarTest) or extracts (kRarExtract) the entry just read. Extraction writes
// below `destPath` only (or to `destName` when it is not empty); entries that would land elsewhere fail with
// kRarCreateError. The bytes produced must match the entry's size: a short entry is an error.
int RARProcessFile(RarArchiveHandle& archive, int operation, const char* destPath, const char* destName);

// Ends the reading; later calls on the handle fail.
int RARCloseArchive(RarArchiveHandle& archive);

}  // namespace maj::archive
