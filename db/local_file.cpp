#include "db/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include "db/database_error.h"
#include "platform/system_error_text.h"

namespace maj::db::internal {
namespace {

[[noreturn]] void Fail(const char* action, const std::string& path) {
  throw DatabaseError(std::string(action) + " le fichier " + path + " : " + platform::SystemErrorText(errno));
}

}  // namespace

InputFile::InputFile(std::string path) : path_(std::move(path)), fd_(::open(path_.c_str(), O_RDONLY | O_CLOEXEC)) {
  if (!fd_.valid()) Fail("Impossible d'ouvrir", path_);
}

InputFile::~InputFile() = default;

std::uint64_t InputFile::Size() const {
  struct stat info {};
  if (::fstat(fd_.get(), &info) != 0) Fail("Impossible de lire", path_);
  return static_cast<std::uint64_t>(info.st_size);
}

std::size_t InputFile::Read(void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t count = ::read(fd_.get(), buffer, size);
    if (count >= 0) return static_cast<std::size_t>(count);
    if (errno != EINTR) Fail("Impossible de lire", path_);
  }
}

OutputFile::OutputFile(std::string path, bool overwrite)
    : path_(std::move(path)),
      fd_(::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL), 0644)) {
  if (!fd_.valid()) Fail("Impossible d'écrire", path_);
}

OutputFile::~OutputFile() {
  if (fd_.valid()) {
    fd_.reset();
    ::unlink(path_.c_str());
  }
}

void OutputFile::Write(const void* data, std::size_t size) {
  if (!platform::WriteAll(fd_.get(), data, size)) Fail("Impossible d'écrire", path_);
}

void OutputFile::Commit() {
  if (!fd_.Close()) Fail("Impossible d'écrire", path_);
}

}  // namespace maj::db::internal
