#include "sysinfo/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "platform/unique_fd.h"

namespace maj::sysinfo {
namespace {

// Files up to this size are read rather than mapped.
constexpr std::size_t kReadLimit = 256 << 10;

}  // namespace

std::optional<MappedFile> MappedFile::Open(const std::string& path) {
  // Closed when the mapping is made (or fails): the mapping does not need it.
  const platform::UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return std::nullopt;
  struct stat info {};
  if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  const auto size = static_cast<std::size_t>(info.st_size);
  if (size == 0) return MappedFile(nullptr, 0);
  if (size <= kReadLimit) {
    std::vector<std::uint8_t> content(size);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t count = read(fd.get(), content.data() + done, size - done);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) return std::nullopt;
      done += static_cast<std::size_t>(count);
    }
    return MappedFile(std::move(content));
  }
  void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd.get(), 0);
  if (data == MAP_FAILED) return std::nullopt;
  return MappedFile(static_cast<const std::uint8_t*>(data), size);
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      content_(std::move(other.content_)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    content_ = std::move(other.content_);
  }
  return *this;
}

MappedFile::~MappedFile() { Release(); }

void MappedFile::Release() {
  if (data_ != nullptr && content_.empty()) munmap(const_cast<std::uint8_t*>(data_), size_);
  content_.clear();
  data_ = nullptr;
  size_ = 0;
}

}  // namespace maj::sysinfo
