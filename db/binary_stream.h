#pragma once
// A binary buffer in memory, for callers that move a whole value at once. Large values are better moved with
// ResultSet::SaveFieldToFile / SetFieldFromFile or SaveBlobToFile, which never hold them whole.
#include <cstdint>
#include <string>

#include "db/value.h"

namespace maj::db {

// How SaveToFile treats an existing file.
inline constexpr int kSaveCreateNotExist = 1;
inline constexpr int kSaveCreateOverwrite = 2;

// A binary stream. Every failure throws DatabaseError.
class BinaryStream {
 public:
  // A closed stream.
  BinaryStream() = default;

  // Opens the stream empty. Throws when it is already open.
  void Open();
  bool IsOpen() const { return open_; }
  // Closes the stream and drops its content.
  void Close();

  // Appends bytes.
  void Write(const Bytes& bytes);
  // The whole content.
  const Bytes& ReadAll() const;
  std::uint64_t Size() const;

  // Writes the whole content to the local file `path`. `option` kSaveCreateOverwrite creates or overwrites it;
  // kSaveCreateNotExist refuses an existing file.
  void SaveToFile(const std::string& path, int option = kSaveCreateOverwrite) const;
  // Replaces the content by the whole content of the local file `path`.
  void LoadFromFile(const std::string& path);

 private:
  void RequireOpen() const;

  bool open_ = false;
  Bytes content_;
};

}  // namespace maj::db
