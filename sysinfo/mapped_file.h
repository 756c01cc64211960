#pragma once
// A whole file mapped read-only into memory, so that large files are read only where they are looked at.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace maj::sysinfo {

class MappedFile {
 public:
  // Maps the plain file at `path` (a local path, used as given). nullopt when it cannot be opened or mapped,
  // or when it is not a plain file. An empty file maps to an empty byte range.
  static std::optional<MappedFile> Open(const std::string& path);

  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // The file's bytes, valid while this object lives.
  std::span<const std::uint8_t> bytes() const { return {data_, size_}; }

 private:
  MappedFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  void Release();

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace maj::sysinfo
