#include "archive/rar_volume_stream.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <utility>

#include "archive/rar_result_codes.h"
#include "archive/rar_volume_names.h"
#include "platform/text.h"

namespace maj::archive {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
// A listener that keeps answering with names that do not exist is asked this many times at most.
constexpr int kMaxVolumeQuestions = 100;

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string FindFileIgnoringCase(const std::string& path) {
  if (path.empty()) return {};
  if (IsRegularFile(path)) return path;
  std::size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return {};
  while (dirent* item = readdir(dir.get())) {
    if (platform::EqualsIgnoreCase(item->d_name, name)) {
      std::string found = slash == std::string::npos ? std::string(item->d_name)
                                                     : path.substr(0, slash + 1) + item->d_name;
      if (IsRegularFile(found)) return found;
    }
  }
  return {};
}

RarVolumeStream::RarVolumeStream(WorkerLink& link, std::string firstVolume, RarVolumeHeaders headers)
    : link_(link), path_(std::move(firstVolume)), buffer_(kReadChunk) {
  fd_.reset(open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  // libarchive is handed the archive alone, without the program of a self-extracting one.
  if (!fd_.valid() || lseek(fd_.get(), static_cast<off_t>(headers.archiveOffset), SEEK_SET) < 0) {
    errorCode_ = kRarOpenError;
  }
  AddVolume(std::move(headers));
}

RarVolumeStream::~RarVolumeStream() = default;

void RarVolumeStream::AddVolume(RarVolumeHeaders headers) {
  for (const RarFileHeader& file : headers.files) {
    if (!file.splitBefore) entryHeaders_.push_back(file);
  }
  volumes_.push_back(std::move(headers));
}

long RarVolumeStream::Read(const void** buffer) {
  *buffer = buffer_.data();
  if (errorCode_ != 0) return -1;
  link_.Heartbeat();
  while (true) {
    ssize_t got = read(fd_.get(), buffer_.data(), buffer_.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      errorCode_ = kRarReadError;
      return -1;
    }
    if (got > 0) return static_cast<long>(got);
    if (!NeedsNextVolume()) return 0;
    if (!OpenNextVolume()) return -1;
  }
}

std::int64_t RarVolumeStream::Skip(std::int64_t request) {
  if (errorCode_ != 0 || request <= 0) return 0;
  struct stat info {};
  off_t position = lseek(fd_.get(), 0, SEEK_CUR);
  if (position < 0 || fstat(fd_.get(), &info) != 0) return 0;
  std::int64_t available = static_cast<std::int64_t>(info.st_size) - position;
  std::int64_t step = std::min(request, std::max<std::int64_t>(available, 0));
  if (step > 0 && lseek(fd_.get(), static_cast<off_t>(step), SEEK_CUR) < 0) return 0;
  return step;
}

bool RarVolumeStream::NeedsNextVolume() const {
  const RarVolumeHeaders& current = volumes_.back();
  if (!current.isVolume) return false;
  if (current.endFound) return current.moreVolumes;
  return !current.files.empty() && current.files.back().splitAfter;
}

bool RarVolumeStream::OpenNextVolume() {
  const RarVolumeHeaders& first = volumes_.front();
  std::string wanted = NextRarVolumeName(path_, first.newNumbering);
  std::string found = FindFileIgnoringCase(wanted);
  for (int question = 0; found.empty(); ++question) {
    CallbackAnswer answer = link_.Ask(kRarChangeVolume, kRarVolumeAsk, wanted);
    if (answer.result == -1 || answer.text.empty() || question >= kMaxVolumeQuestions) {
      errorCode_ = kRarOpenError;
      return false;
    }
    wanted = answer.text;
    found = FindFileIgnoringCase(wanted);
  }

  RarVolumeHeaders headers = ReadRarVolumeHeaders(found);
  const auto expectedNumber = static_cast<std::uint32_t>(volumes_.size());
  if (headers.format != first.format || !headers.isVolume ||
      (headers.volumeNumber && *headers.volumeNumber != expectedNumber) ||
      (headers.format == RarFormat::kRar4 && headers.firstVolumeFlag)) {
    errorCode_ = kRarBadArchive;
    return false;
  }
  platform::UniqueFd next(open(found.c_str(), O_RDONLY | O_CLOEXEC));
  if (!next.valid() || lseek(next.get(), static_cast<off_t>(headers.archiveOffset), SEEK_SET) < 0) {
    errorCode_ = kRarOpenError;
    return false;
  }
  CallbackAnswer answer = link_.Ask(kRarChangeVolume, kRarVolumeNotify, found);
  if (answer.result == -1) {
    errorCode_ = kRarOpenError;
    return false;
  }
  fd_ = std::move(next);
  path_ = found;
  // The new volume starts with its own signature and headers; libarchive reads a set as the volumes
  // concatenated, signature included, so the stream hands the whole file on.
  AddVolume(std::move(headers));
  return true;
}

}  // namespace maj::archive
