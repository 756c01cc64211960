#include "archive/rx_unrar.h"

#include <cmath>
#include <ctime>
#include <stdexcept>

#include "archive/rar_library.h"

namespace maj::archive {
namespace {

constexpr std::int32_t kArrayTooSmall = 5000;
constexpr char kArrayTooSmallMessage[] = "Supplied array to small to fit all files";

std::string OpenErrorMessage(int code) {
  switch (code) {
    case kRarNoMemory: return "Not enough memory";
    case kRarBadData: return "Archive header broken";
    case kRarBadArchive: return "File is not RAR archive";
    case kRarOpenError: return "Cannot open file";
    default: return "Unknown error";
  }
}

std::string CommentErrorMessage(int code) {
  switch (code) {
    case kRarNoMemory: return "Not enough memory";
    case kRarBadData: return "Broken comment";
    case kRarUnknownFormat: return "Unknown comment format";
    case kRarSmallBuffer: return "Buffer too small, comments not completely read";
    default: return "Unknown error";
  }
}

std::string ProcessErrorMessage(int code, bool passwordGiven) {
  switch (code) {
    case kRarBadData: return passwordGiven ? "CRC error - Wrong password?" : "CRC error";
    case kRarBadArchive: return "Bad volume";
    case kRarUnknownFormat: return "Unknown archive format";
    case kRarOpenError: return "Volume open error";
    case kRarCreateError: return "File create error";
    case kRarCloseError: return "File close error";
    case kRarReadError: return "Read error";
    case kRarWriteError: return "Write error";
    default: return "Unknown error";
  }
}

}  // namespace

bool CRxUnrar::ListRarFiles(const std::string& strRarFile, std::vector<std::string>& arrstrFilenames,
                            const std::string& strPassword) {
  if (arrstrFilenames.empty()) throw std::out_of_range("Subscript out of range");
  return ProcessArchive(strRarFile, Mode::kList, &arrstrFilenames, std::string(), strPassword);
}

bool CRxUnrar::TestRarFiles(const std::string& strRarFile, const std::string& strPassword) {
  return ProcessArchive(strRarFile, Mode::kTest, nullptr, std::string(), strPassword);
}

bool CRxUnrar::ExtractRarFiles(const std::string& strRarFile, const std::string& strDestPath,
                               const std::string& strPassword) {
  return ProcessArchive(strRarFile, Mode::kExtract, nullptr, strDestPath, strPassword);
}

bool CRxUnrar::ProcessArchive(const std::string& strRarFile, Mode mode, std::vector<std::string>* names,
                              const std::string& strDestPath, const std::string& strPassword) {
  bool result = false;
  std::vector<char> comment(kRarCommentBufferSize, '\0');
  RAROpenArchiveData open;
  open.ArcName = strRarFile;
  open.CmtBuf = comment.data();
  open.CmtBufSize = static_cast<unsigned>(comment.size());
  open.OpenMode = mode == Mode::kList ? kRarOpenList : kRarOpenExtract;

  std::size_t upperBound = 0;
  std::size_t entryCount = 0;
  if (mode == Mode::kList) {
    upperBound = names->size() - 1;
    if (upperBound == 0) {
      RaiseArrayTooSmall(std::string());
      return false;
    }
  }

  std::unique_ptr<RarArchiveHandle> archive = RAROpenArchive(open);
  if (open.OpenResult != 0 || !archive) {
    RaiseOpenError(static_cast<int>(open.OpenResult), strRarFile);
    return false;
  }
  RARSetCallback(*archive, &MRxUnrar::RarCallback, reinterpret_cast<std::intptr_t>(this));
  if (!strPassword.empty()) {
    RARSetPassword(*archive, strPassword.c_str());
    passwordGiven_ = true;
  }

  if (open.CmtState == 1) {
    if (listener_) {
      std::string rarFile = strRarFile;
      std::string text(comment.data(), comment.size());
      listener_->CommentFound(rarFile, text);
    }
  } else if (open.CmtState != 0) {
    RaiseCommentError(static_cast<int>(open.CmtState), strRarFile);
  }

  std::string previousName;
  currentEntrySize_ = 0;
  extractedSoFar_ = 0;
  progressMark_ = 0;
  RARHeaderDataEx header;
  int headerResult = RARReadHeaderEx(*archive, header);
  {
    std::string volume = MRxUnrar::TextFromNarrowString(header.ArcName, kRarNameFieldSize);
    bool ignored = false;
    if (listener_) listener_->NextVolumne(volume, ignored);
  }

  const int operation = mode == Mode::kList ? kRarSkip : (mode == Mode::kTest ? kRarTest : kRarExtract);
  while (headerResult == 0) {
    std::string entryName = MRxUnrar::TextFromNarrowString(header.FileName, kRarNameFieldSize);
    if (entryName != previousName) {
      currentEntrySize_ = static_cast<double>(header.UnpSizeHigh) * 4294967296.0 + static_cast<double>(header.UnpSize);
      extractedSoFar_ = 0;
      progressMark_ = 0;
      if (listener_) {
        std::string name = entryName;
        double size = currentEntrySize_;
        auto now = std::chrono::system_clock::now();
        auto major = static_cast<std::int16_t>(header.UnpVer / 10);
        auto minor = static_cast<std::int16_t>(header.UnpVer % 10);
        auto method = static_cast<std::int32_t>(header.Method);
        auto attributes = static_cast<std::int32_t>(header.FileAttr);
        listener_->ProcessingFile(name, size, now, major, minor, method, attributes);
      }
      previousName = entryName;
      if (mode == Mode::kList) {
        if (entryCount > upperBound) {
          RaiseArrayTooSmall(entryName);
          result = false;
          break;
        }
        (*names)[entryCount] = entryName;
        ++entryCount;
      }
    }
    int processResult = RARProcessFile(*archive, operation, mode == Mode::kExtract ? strDestPath.c_str() : "", "");
    if (processResult != 0) {
      RaiseProcessError(processResult, entryName);
      result = false;
      break;
    }
    result = true;
    header = RARHeaderDataEx();
    headerResult = RARReadHeaderEx(*archive, header);
  }
  RARCloseArchive(*archive);
  return result;
}

void CRxUnrar::ReportProgress(double bytes) {
  extractedSoFar_ += bytes;
  if (currentEntrySize_ == 0) return;
  double percent = std::nearbyint(extractedSoFar_ / currentEntrySize_ * 100.0);
  percent = std::fmin(std::fmax(percent, -32768.0), 32767.0);
  if (static_cast<int>(percent) > progressMark_ + intProgressSteps_) {
    if (listener_) {
      double size = currentEntrySize_;
      double extracted = extractedSoFar_;
      listener_->Progress(size, extracted);
    }
    progressMark_ = static_cast<std::int16_t>(progressMark_ + intProgressSteps_);
  }
}

bool CRxUnrar::ReportNextVolume(const std::string& volume) {
  std::string name = volume;
  bool blnContinue = false;
  if (listener_) listener_->NextVolumne(name, blnContinue);
  return blnContinue;
}

std::string CRxUnrar::AskMissingVolume(const std::string& volume) {
  std::string name = volume;
  std::string strNewFilename;
  if (listener_) listener_->MissingFile(name, strNewFilename);
  return strNewFilename;
}

std::string CRxUnrar::AskPassword() {
  passwordGiven_ = true;
  std::string strNewPassword;
  if (listener_) listener_->MissingPassword(strNewPassword);
  if (!strNewPassword.empty()) return strNewPassword;
  // The library must not be left without a password: an unguessable one stands in for "none".
  std::time_t now = std::time(nullptr);
  char stamp[32];
  std::strftime(stamp, sizeof(stamp), "%Y%m%d%H%M%S", std::localtime(&now));
  return std::string("CRxUnrar") + stamp +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

void CRxUnrar::RaiseOpenError(int code, const std::string& rarFile) {
  strLastErrorMsg_ = OpenErrorMessage(code);
  if (!listener_) return;
  std::int32_t number = code;
  std::string message = strLastErrorMsg_;
  std::string name = rarFile;
  listener_->OpenError(number, message, name);
}

void CRxUnrar::RaiseCommentError(int code, const std::string& rarFile) {
  strLastErrorMsg_ = CommentErrorMessage(code);
  if (!listener_) return;
  std::int32_t number = code;
  std::string message = strLastErrorMsg_;
  std::string name = rarFile;
  listener_->CommentError(number, message, name);
}

void CRxUnrar::RaiseProcessError(int code, const std::string& entryName) {
  strLastErrorMsg_ = ProcessErrorMessage(code, passwordGiven_);
  if (!listener_) return;
  std::int32_t number = code;
  std::string message = strLastErrorMsg_;
  std::string name = entryName;
  listener_->ProcessError(number, message, name);
}

void CRxUnrar::RaiseArrayTooSmall(const std::string& entryName) {
  strLastErrorMsg_ = kArrayTooSmallMessage;
  if (!listener_) return;
  std::int32_t number = kArrayTooSmall;
  std::string message = strLastErrorMsg_;
  std::string name = entryName;
  listener_->ProcessError(number, message, name);
}

}  // namespace maj::archive
