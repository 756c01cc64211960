#include "db/binary_stream.h"

#include "db/database_error.h"
#include "db/local_file.h"

namespace maj::db {

void BinaryStream::Open() {
  if (open_) throw DatabaseError("Operation is not allowed when the object is open.");
  open_ = true;
  content_.clear();
}

void BinaryStream::Close() {
  open_ = false;
  Bytes().swap(content_);
}

void BinaryStream::RequireOpen() const {
  if (!open_) throw DatabaseError("Operation is not allowed when the object is closed.");
}

void BinaryStream::Write(const Bytes& bytes) {
  RequireOpen();
  content_.insert(content_.end(), bytes.begin(), bytes.end());
}

const Bytes& BinaryStream::ReadAll() const {
  RequireOpen();
  return content_;
}

std::uint64_t BinaryStream::Size() const {
  RequireOpen();
  return content_.size();
}

void BinaryStream::SaveToFile(const std::string& path, int option) const {
  RequireOpen();
  internal::OutputFile file(path, /*overwrite=*/option == kSaveCreateOverwrite);
  file.Write(content_.data(), content_.size());
  file.Commit();
}

void BinaryStream::LoadFromFile(const std::string& path) {
  RequireOpen();
  internal::InputFile file(path);
  Bytes content(static_cast<std::size_t>(file.Size()));
  std::size_t filled = 0;
  for (;;) {
    if (filled == content.size()) content.resize(content.size() + 64 * 1024);
    const std::size_t count = file.Read(content.data() + filled, content.size() - filled);
    if (count == 0) break;
    filled += count;
  }
  content.resize(filled);
  content_ = std::move(content);
}

}  // namespace maj::db
