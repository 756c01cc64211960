#pragma once
// A whole file's bytes in memory: a large file is mapped read-only, so that it is read only where it is
// looked at; a small one is read at once, which costs fewer system calls than mapping and unmapping it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

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
  explicit MappedFile(std::vector<std::uint8_t> content)
      : data_(content.data()), size_(content.size()), content_(std::move(content)) {}
  void Release();

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::vector<std::uint8_t> content_;  // the bytes of a file read rather than mapped
};

}  // namespace maj::sysinfo
