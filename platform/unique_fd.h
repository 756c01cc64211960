#pragma once
// Ownership of a POSIX file descriptor, and writing a whole buffer to one.
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <utility>

namespace maj::platform {

// Owns one file descriptor (or none, held as -1) and closes it when destroyed. Move-only.
// A destructor cannot report a failed close(); where written data must be confirmed, call Close() and check it.
class UniqueFd {
 public:
  UniqueFd() = default;
  // Takes ownership of `fd`; a negative value (a failed open()) holds nothing.
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  // The descriptor, or -1 when none is held.
  int get() const { return fd_; }
  // True when a descriptor is held.
  bool valid() const { return fd_ >= 0; }

  // Gives up ownership without closing; returns the descriptor (-1 when none was held).
  int release() { return std::exchange(fd_, -1); }

  // Closes the descriptor held, if any (ignoring close()'s result), and takes ownership of `fd`.
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

  // Closes the descriptor and reports whether close() succeeded (errno tells why not). Nothing is held
  // afterwards either way. False (EBADF) when nothing was held.
  bool Close() {
    const int fd = release();
    if (fd < 0) {
      errno = EBADF;
      return false;
    }
    return ::close(fd) == 0;
  }

 private:
  int fd_ = -1;
};

// Writes all `size` bytes of `data` to `fd`, retrying short and interrupted writes. Returns false on a
// failed write, with errno telling why (EIO when write() accepts nothing without saying why).
inline bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, next, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    if (written == 0) {
      errno = EIO;
      return false;
    }
    next += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace maj::platform
