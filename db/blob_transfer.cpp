#include "db/blob_transfer.h"

#include <algorithm>

#include "db/connection.h"
#include "db/database_error.h"
#include "db/local_file.h"
#include "db/query_helpers.h"

namespace maj::db {
namespace {

// The piece size used for a value of `size` bytes: a sixteenth of it, at least 4 MiB and at most 6 MiB. Each
// piece makes the server read the whole row again, hence few pieces for large values; the client holds a piece
// about twice (its network buffer, which keeps its largest size, and the row), hence the cap, which keeps a
// fetch within about 12 MiB above an idle connection whatever the value's size.
std::uint64_t BlobPieceSize(std::uint64_t size) {
  constexpr std::uint64_t kSmallest = 4 << 20;
  constexpr std::uint64_t kLargest = 6 << 20;
  return std::clamp<std::uint64_t>(size / 16, kSmallest, kLargest);
}

}  // namespace

std::uint64_t ReadBlob(Connection& connection, const BlobLocation& blob, const BlobBytes& sink,
                       const BlobProgress& progress) {
  const std::string column = QuoteSqlIdentifier(blob.column);
  const std::string from =
      " FROM " + QuoteSqlIdentifier(blob.table) + " WHERE " + QuoteSqlIdentifier(blob.keyColumn) + " = ?";

  ResultSet length = connection.Execute("SELECT LENGTH(" + column + ")" + from, {blob.key});
  if (length.AtEnd()) {
    throw DatabaseError("Aucune ligne de " + blob.table + " où " + blob.keyColumn + " = " +
                        (blob.key.IsNull() ? std::string("NULL") : blob.key.AsText()));
  }
  const Value total = length.Field(0);
  length.Close();
  if (total.IsNull()) throw DatabaseError("Invalid use of Null");
  const auto size = static_cast<std::uint64_t>(total.AsInteger());
  const std::uint64_t pieceSize = BlobPieceSize(size);

  const std::string pieceStatement = "SELECT SUBSTRING(" + column + ", ?, ?) AS piece" + from;
  std::uint64_t written = 0;
  while (written < size) {
    const std::uint64_t wanted = std::min(pieceSize, size - written);
    ResultSet piece = connection.Execute(
        pieceStatement, {Value::Integer(static_cast<std::int64_t>(written + 1)),
                         Value::Integer(static_cast<std::int64_t>(wanted)), blob.key});
    std::uint64_t received = 0;
    const bool present = !piece.AtEnd() && piece.ReadFieldInPieces(0, [&](const char* data, std::size_t count) {
      count = static_cast<std::size_t>(std::min<std::uint64_t>(count, wanted - received));
      sink(data, count);
      received += count;
    });
    if (!present || received != wanted) {
      throw DatabaseError("La valeur de " + blob.column + " a changé pendant sa lecture");
    }
    written += received;
    if (progress) progress(written, size);
  }
  return written;
}

std::uint64_t SaveBlobToFile(Connection& connection, const BlobLocation& blob, const std::string& path,
                             const BlobProgress& progress, const BlobBytes& observer) {
  internal::OutputFile file(path, /*overwrite=*/true);
  const std::uint64_t written = ReadBlob(connection, blob, [&](const char* data, std::size_t count) {
    file.Write(data, count);
    if (observer) observer(data, count);
  }, progress);
  file.Commit();
  return written;
}

}  // namespace maj::db
