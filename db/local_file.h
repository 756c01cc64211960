#pragma once
// Local files read and written by the data access layer in pieces. Failures throw DatabaseError with a French
// text naming the file, like the layer's other failures. Internal to db/.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/unique_fd.h"

namespace maj::db::internal {

// A file opened for reading, closed when the object dies.
class InputFile {
 public:
  explicit InputFile(std::string path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::uint64_t Size() const;
  // Reads up to `size` bytes; 0 at the end of the file.
  std::size_t Read(void* buffer, std::size_t size);

 private:
  std::string path_;
  platform::UniqueFd fd_;
};

// A file created or emptied for writing, closed when the object dies. Commit() must be called once everything
// is written: it reports a failed close; a file left without Commit() (after a failure) is removed.
class OutputFile {
 public:
  // `overwrite` false refuses an existing file.
  OutputFile(std::string path, bool overwrite);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(const void* data, std::size_t size);
  void Commit();

 private:
  std::string path_;
  platform::UniqueFd fd_;
};

}  // namespace maj::db::internal
