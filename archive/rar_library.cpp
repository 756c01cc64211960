#include "archive/rar_library.h"

#include <algorithm>
#include <cstring>

#include "archive/rar_worker_process.h"

namespace maj::archive {
namespace {

// Answers a worker's callback question by calling the installed callback with buffers it may fill.
WorkerMessage AnswerCallback(const WorkerMessage& question, UNRARCALLBACK callback, std::intptr_t userData) {
  const auto message = static_cast<unsigned>(question.Number(0));
  const std::int64_t p2 = question.Number(1);
  WorkerMessage answer{WorkerMessageKind::kAnswer, {0}, {std::string()}};
  if (message == kRarChangeVolume) {
    char name[kRarVolumeNameBufferSize] = {};
    std::string text = question.Text(0).substr(0, kRarVolumeNameBufferSize - 1);
    std::memcpy(name, text.data(), text.size());
    int result = callback ? callback(message, userData, reinterpret_cast<std::intptr_t>(name),
                                     static_cast<std::intptr_t>(p2))
                          : (p2 == kRarVolumeNotify ? 1 : -1);
    name[kRarVolumeNameBufferSize - 1] = '\0';
    answer.numbers[0] = result;
    answer.texts[0] = name;
  } else if (message == kRarNeedPassword) {
    char password[kRarPasswordBufferSize] = {};
    int result = callback ? callback(message, userData, reinterpret_cast<std::intptr_t>(password),
                                     static_cast<std::intptr_t>(kRarPasswordBufferSize))
                          : -1;
    answer.numbers[0] = result;
    answer.texts[0] = std::string(password, strnlen(password, kRarPasswordBufferSize));
  } else if (message == kRarProcessData) {
    answer.numbers[0] = callback ? callback(message, userData, 0, static_cast<std::intptr_t>(p2)) : 1;
  }
  return answer;
}

void CopyName(char (&field)[kRarNameFieldSize], const std::string& text) {
  std::size_t size = std::min(text.size(), kRarNameFieldSize - 1);
  std::memcpy(field, text.data(), size);
  field[size] = '\0';
}

}  // namespace

RarArchiveHandle::RarArchiveHandle(std::unique_ptr<RarWorkerProcess> worker) : worker_(std::move(worker)) {}

RarArchiveHandle::~RarArchiveHandle() {
  if (worker_) RARCloseArchive(*this);
}

std::unique_ptr<RarArchiveHandle> RAROpenArchive(RAROpenArchiveData& data) {
  auto worker = RarWorkerProcess::Start();
  // No callback can be installed before the open, as with the UnRAR library: questions are refused.
  auto noCallback = [](const WorkerMessage& question) { return AnswerCallback(question, nullptr, 0); };
  std::optional<WorkerMessage> reply = worker->Call(
      WorkerMessage{WorkerMessageKind::kOpen, {static_cast<std::int64_t>(data.OpenMode)}, {data.ArcName}}, noCallback);
  data.CmtSize = 0;
  data.CmtState = 0;
  if (!reply) {
    data.OpenResult = kRarBadData;
    return nullptr;
  }
  data.OpenResult = static_cast<unsigned>(reply->Number(0));
  if (data.OpenResult != 0) return nullptr;
  data.CmtState = static_cast<unsigned>(reply->Number(1));
  std::string comment = reply->Text(0);
  if (data.CmtBuf && data.CmtBufSize > 0 && (data.CmtState == 1 || data.CmtState == kRarSmallBuffer)) {
    if (comment.size() >= data.CmtBufSize) {
      comment.resize(data.CmtBufSize - 1);
      data.CmtState = kRarSmallBuffer;
    }
    std::memcpy(data.CmtBuf, comment.data(), comment.size());
    data.CmtBuf[comment.size()] = '\0';
    data.CmtSize = static_cast<unsigned>(comment.size() + 1);
  } else if (data.CmtState == 1 || data.CmtState == kRarSmallBuffer) {
    data.CmtState = kRarSmallBuffer;
  }
  return std::make_unique<RarArchiveHandle>(std::move(worker));
}

void RARSetCallback(RarArchiveHandle& archive, UNRARCALLBACK callback, std::intptr_t userData) {
  archive.callback_ = callback;
  archive.userData_ = userData;
}

void RARSetPassword(RarArchiveHandle& archive, const char* password) {
  if (!archive.worker_ || !password) return;
  archive.worker_->Call(WorkerMessage{WorkerMessageKind::kSetPassword, {}, {password}}, [&](const WorkerMessage& q) {
    return AnswerCallback(q, archive.callback_, archive.userData_);
  });
}

int RARReadHeaderEx(RarArchiveHandle& archive, RARHeaderDataEx& header) {
  if (!archive.worker_) return kRarBadData;
  std::optional<WorkerMessage> reply =
      archive.worker_->Call(WorkerMessage{WorkerMessageKind::kReadHeader, {}, {}}, [&](const WorkerMessage& q) {
        return AnswerCallback(q, archive.callback_, archive.userData_);
      });
  if (!reply) return kRarBadData;
  const int result = static_cast<int>(reply->Number(0));
  if (result != kRarSuccess) return result;
  const auto size = static_cast<std::uint64_t>(reply->Number(1));
  header.UnpSize = static_cast<unsigned>(size & 0xFFFFFFFFu);
  header.UnpSizeHigh = static_cast<unsigned>(size >> 32);
  header.UnpVer = static_cast<unsigned>(reply->Number(2));
  header.Method = static_cast<unsigned>(reply->Number(3));
  header.FileAttr = static_cast<unsigned>(reply->Number(4));
  CopyName(header.ArcName, reply->Text(0));
  CopyName(header.FileName, reply->Text(1));
  return kRarSuccess;
}

int RARProcessFile(RarArchiveHandle& archive, int operation, const char* destPath, const char* destName) {
  if (!archive.worker_) return kRarBadData;
  std::optional<WorkerMessage> reply = archive.worker_->Call(
      WorkerMessage{WorkerMessageKind::kProcess,
                    {operation},
                    {destPath ? destPath : "", destName ? destName : ""}},
      [&](const WorkerMessage& q) { return AnswerCallback(q, archive.callback_, archive.userData_); });
  if (!reply) return kRarBadData;
  return static_cast<int>(reply->Number(0));
}

int RARCloseArchive(RarArchiveHandle& archive) {
  if (!archive.worker_) return kRarCloseError;
  if (archive.worker_->alive()) {
    archive.worker_->Call(WorkerMessage{WorkerMessageKind::kClose, {}, {}},
                          [](const WorkerMessage& q) { return AnswerCallback(q, nullptr, 0); });
  }
  archive.worker_.reset();
  return kRarSuccess;
}

}  // namespace maj::archive
