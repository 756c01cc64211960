#pragma once
// CRxUnrar: lists, tests or extracts the entries of a RAR archive, volume sets included, and reports all
// it learns on the way (comments, entries, errors, progress, volume changes, password requests) to its
// listener. It shows nothing itself. One object may run any number of operations one after the other.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/m_rx_unrar.h"

namespace maj::archive {

// Events of CRxUnrar, raised synchronously inside its operations. Arguments are references; the object
// reads back only `blnContinue` (NextVolumne), `strNewFilename` (MissingFile) and `strNewPassword`
// (MissingPassword), whose starting values (false, empty, empty) are the answers when a listener leaves them.
class CRxUnrarListener {
 public:
  virtual ~CRxUnrarListener() = default;
  // The archive could not be opened.
  virtual void OpenError(
      [[maybe_unused]] std::int32_t& lngErrorNo,
      [[maybe_unused]] std::string& strErrorMsg,
      [[maybe_unused]] std::string& strRarFile) {}
  // An entry failed (or the names array is too small); `strFilename` is empty before the first entry.
  virtual void ProcessError(
      [[maybe_unused]] std::int32_t& lngErrorNo,
      [[maybe_unused]] std::string& strErrorMsg,
      [[maybe_unused]] std::string& strFilename) {}
  // The archive comment could not be read; the operation goes on.
  virtual void CommentError(
      [[maybe_unused]] std::int32_t& lngErrorNo,
      [[maybe_unused]] std::string& strErrorMsg,
      [[maybe_unused]] std::string& strRarFile) {}
  // The archive has a comment: the whole comment buffer, the text ending at its first NUL.
  virtual void CommentFound(
      [[maybe_unused]] std::string& strRarFile,
      [[maybe_unused]] std::string& strComment) {}
  // A new entry starts. `datFileTime` is the time of the event; `intMajorVer`/`intMinorVer` the version
  // needed to unpack.
  virtual void ProcessingFile(
      [[maybe_unused]] std::string& strFilename,
      [[maybe_unused]] double& dblFileSize,
      [[maybe_unused]] std::chrono::system_clock::time_point& datFileTime,
      [[maybe_unused]] std::int16_t& intMajorVer,
      [[maybe_unused]] std::int16_t& intMinorVer,
      [[maybe_unused]] std::int32_t& lngPackingMethod,
      [[maybe_unused]] std::int32_t& lngFileAttr) {}
  // A volume: once at the start of each operation (answer ignored), then at each change of volume, where
  // the run goes on only when `blnContinue` is set to true.
  virtual void NextVolumne([[maybe_unused]] std::string& strFilename, [[maybe_unused]] bool& blnContinue) {}
  // The next volume `strFilename` does not exist: give another name in `strNewFilename`, or leave it empty
  // to stop.
  virtual void MissingFile(
      [[maybe_unused]] std::string& strFilename,
      [[maybe_unused]] std::string& strNewFilename) {}
  // An entry is encrypted and no password was given.
  virtual void MissingPassword([[maybe_unused]] std::string& strNewPassword) {}
  // Progress of the current entry, at most once per processed-data report, in steps of intProgressSteps %.
  virtual void Progress([[maybe_unused]] double& dblFileSize, [[maybe_unused]] double& dblExtracted) {}
};

class CRxUnrar {
 public:
  explicit CRxUnrar(CRxUnrarListener* listener = nullptr) : listener_(listener) {}
  CRxUnrar(const CRxUnrar&) = delete;
  CRxUnrar& operator=(const CRxUnrar&) = delete;

  void SetListener(CRxUnrarListener* listener) { listener_ = listener; }

  // Stores the distinct entry names of the archive, in archive order, into `arrstrFilenames` from index 0;
  // its upper bound is size() - 1. Fails with code 5000 when the names do not fit (and at once for an upper
  // bound of 0). Throws std::out_of_range for an array without elements.
  bool ListRarFiles(const std::string& strRarFile, std::vector<std::string>& arrstrFilenames,
                    const std::string& strPassword = std::string());
  // Tests every entry.
  bool TestRarFiles(const std::string& strRarFile, const std::string& strPassword = std::string());
  // Extracts every entry below the folder `strDestPath`.
  bool ExtractRarFiles(const std::string& strRarFile, const std::string& strDestPath,
                       const std::string& strPassword = std::string());
  // Each operation returns true when the last entry processed succeeded and the archive then ended; false
  // after a reported error or when no entry was processed. Throws std::runtime_error when the RAR reader
  // program is missing.

  // Percentage step between two Progress events (4 when the object is created).
  std::int16_t intProgressSteps() const { return intProgressSteps_; }
  void set_intProgressSteps(std::int16_t steps) { intProgressSteps_ = steps; }
  // Message of the most recent error this object reported; kept across later successful calls.
  const std::string& strLastErrorMsg() const { return strLastErrorMsg_; }

 private:
  friend int MRxUnrar::RarCallback(unsigned int, std::intptr_t, std::intptr_t, std::intptr_t);

  enum class Mode { kExtract = 0, kTest = 1, kList = 2 };

  bool ProcessArchive(const std::string& strRarFile, Mode mode, std::vector<std::string>* names,
                      const std::string& strDestPath, const std::string& strPassword);

  // Entry points of RarCallback.
  void ReportProgress(double bytes);
  bool ReportNextVolume(const std::string& volume);
  std::string AskMissingVolume(const std::string& volume);
  std::string AskPassword();

  void RaiseOpenError(int code, const std::string& rarFile);
  void RaiseCommentError(int code, const std::string& rarFile);
  void RaiseProcessError(int code, const std::string& entryName);
  void RaiseArrayTooSmall(const std::string& entryName);

  CRxUnrarListener* listener_;
  double currentEntrySize_ = 0;
  double extractedSoFar_ = 0;
  std::int16_t progressMark_ = 0;
  bool passwordGiven_ = false;
  std::int16_t intProgressSteps_ = 4;
  std::string strLastErrorMsg_;
};

}  // namespace maj::archive
