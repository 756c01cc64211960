#pragma once
// A binary value moved to a file in pieces that the server cuts (SUBSTRING), so that neither this process nor
// the driver ever holds the whole value, whatever its size. Reading a row's value through a result set
// (ResultSet::SaveFieldToFile) makes the driver hold the whole row.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "db/value.h"

namespace maj::db {

class Connection;

// One binary value: column `column` of the row of `table` whose `keyColumn` equals `key`. The names are
// quoted as identifiers in the statements; `key` is a bound parameter.
struct BlobLocation {
  std::string table;
  std::string keyColumn;
  Value key;
  std::string column;
};

// Bytes written so far of the value's length, after each piece.
using BlobProgress = std::function<void(std::uint64_t written, std::uint64_t length)>;

// Bytes of the value as they arrive, in order (for a digest computed while the value streams in).
using BlobBytes = std::function<void(const char* data, std::size_t count)>;

// Hands the value to `sink` in order, piece by piece, and returns its length. Throws DatabaseError when the row
// does not exist, the value is NULL or the value changes while it is read. `progress` as for SaveBlobToFile.
std::uint64_t ReadBlob(Connection& connection, const BlobLocation& blob, const BlobBytes& sink,
                       const BlobProgress& progress = {});

// Writes the value to the local file `path`, created or overwritten, and returns the number of bytes written.
// Throws DatabaseError, leaving no file, when the row does not exist, the value is NULL or the value changes
// while it is read. `progress`, when set, is told of each piece written; `observer`, when set, sees every byte
// written, in order.
std::uint64_t SaveBlobToFile(Connection& connection, const BlobLocation& blob, const std::string& path,
                             const BlobProgress& progress = {}, const BlobBytes& observer = {});

}  // namespace maj::db
