#include "db/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "db/database_error.h"

namespace maj::db::internal {
namespace {

[[noreturn]] void Fail(const char* action, const std::string& path) {
  throw DatabaseError(std::string(action) + " le fichier " + path + " : " + std::strerror(errno));
}

}  // namespace

InputFile::InputFile(std::string path) : path_(std::move(path)), fd_(::open(path_.c_str(), O_RDONLY | O_CLOEXEC)) {
  if (fd_ < 0) Fail("Impossible d'ouvrir", path_);
}

InputFile::~InputFile() { ::close(fd_); }

std::uint64_t InputFile::Size() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) Fail("Impossible de lire", path_);
  return static_cast<std::uint64_t>(info.st_size);
}

std::size_t InputFile::Read(void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t count = ::read(fd_, buffer, size);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) Fail("Impossible de lire", path_);
  }
}

OutputFile::OutputFile(std::string path, bool overwrite)
    : path_(std::move(path)),
      fd_(::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL), 0644)) {
  if (fd_ < 0) Fail("Impossible d'écrire", path_);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(path_.c_str());
  }
}

void OutputFile::Write(const void* data, std::size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t count = ::write(fd_, next, size);
    if (count < 0) {
      if (errno == EINTR) continue;
      Fail("Impossible d'écrire", path_);
    }
    next += count;
    size -= static_cast<std::size_t>(count);
  }
}

void OutputFile::Commit() {
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail("Impossible d'écrire", path_);
}

}  // namespace maj::db::internal
