#pragma once
// Rows of a statement, read forward, and rows inserted through an empty insertable result set.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "db/value.h"

namespace maj::db {

class Connection;
namespace odbc {
class Statement;
}

// Cursor types, as callers pass them. Rows are always read forward; the type is kept as given.
inline constexpr int kCursorForwardOnly = 0;
inline constexpr int kCursorKeyset = 1;
inline constexpr int kCursorDynamic = 2;
inline constexpr int kCursorStatic = 3;

// Lock types. Read-only and unspecified result sets refuse AddNew.
inline constexpr int kLockUnspecified = -1;
inline constexpr int kLockReadOnly = 1;
inline constexpr int kLockPessimistic = 2;
inline constexpr int kLockOptimistic = 3;

// A result set: the rows of one statement, with a current row. Every failure throws DatabaseError.
//
// Reading: Open (or Connection::Execute) positions on the first row; AtEnd() says whether there is a current
// row; Field() gives its values by column name (ignoring case) or position, in any order.
//
// Inserting: open a statement that returns no rows but names the table's columns ("SELECT * FROM Fichier64
// WHERE 1=0") with a lock type that allows changes, then AddNew, SetField / SetFieldFromFile for some columns,
// and Update, which inserts one row (columns not set take their defaults; the key is assigned by the database).
class ResultSet {
 public:
  // A closed result set.
  ResultSet();
  ~ResultSet();
  ResultSet(ResultSet&&) noexcept;
  ResultSet& operator=(ResultSet&&) noexcept;

  // Runs `statement` on `connection` and positions on its first row. A statement without rows (CREATE,
  // UPDATE...) is run and leaves the result set closed. Throws when the result set is already open.
  void Open(std::string_view statement, Connection& connection, int cursorType = kCursorForwardOnly,
            int lockType = kLockUnspecified);

  // kStateClosed or kStateOpen.
  int State() const;
  bool IsOpen() const;
  // The types given to Open; Connection::Execute gives forward-only and read-only.
  int CursorType() const;
  int LockType() const;

  // True when there is no current row: past the last one, or no rows at all.
  bool AtEnd() const;
  // Moves to the next row. Throws when there is no current row.
  void MoveNext();
  // Closes the result set; nothing happens when it is closed.
  void Close();

  // Columns of the rows, in the statement's order, with the names the statement gives them.
  int FieldCount() const;
  std::string FieldName(int index) const;

  // Value of a column of the current row: by name, ignoring letter case, or by position from 0. Text columns
  // give texts, integer columns integers, binary columns bytes, NULL gives a null value.
  Value Field(std::string_view name);
  Value Field(int index);

  // Writes the value of a column of the current row to the local file `path`, created or overwritten, in
  // pieces (this process never holds the whole value; the driver holds the row it fetched). Returns the number
  // of bytes written. A NULL value throws and leaves no file. Afterwards the column cannot be read again.
  std::uint64_t SaveFieldToFile(std::string_view name, const std::string& path);

  // Hands the value of a column of the current row to `consume` in pieces, as the driver gives them. Returns
  // false for NULL. Afterwards the column cannot be read again.
  using PieceConsumer = std::function<void(const char* data, std::size_t size)>;
  bool ReadFieldInPieces(int index, const PieceConsumer& consume);

  // Starts a new row to insert. Throws for a read-only or unspecified lock type.
  void AddNew();
  // Sets a column (by name, ignoring letter case) of the new row.
  void SetField(std::string_view name, Value value);
  // Sets a column of the new row to the content of the local file `path`, sent in pieces by Update().
  void SetFieldFromFile(std::string_view name, std::string path);
  // Inserts the new row.
  void Update();

 private:
  friend class Connection;
  friend class PreparedStatement;
  struct Cursor;
  ResultSet(odbc::Statement statement, int cursorType, int lockType);

  Cursor& OpenCursor() const;
  int ColumnIndex(std::string_view name) const;
  void ReadThrough(int index);

  std::unique_ptr<Cursor> cursor_;
};

}  // namespace maj::db
