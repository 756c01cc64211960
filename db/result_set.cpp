#include "db/result_set.h"

#include <functional>
#include <optional>
#include <vector>

#include "db/connection.h"
#include "db/database_error.h"
#include "db/local_file.h"
#include "db/odbc_support.h"
#include "db/query_helpers.h"
#include "platform/text.h"

namespace maj::db {
namespace {

// Messages of the layer itself, worded as the data access layer words them.
constexpr char kClosedObject[] = "Operation is not allowed when the object is closed.";
constexpr char kOpenObject[] = "Operation is not allowed when the object is open.";
constexpr char kNoCurrentRow[] =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current "
    "record.";
constexpr char kUnknownField[] = "Item cannot be found in the collection corresponding to the requested name or ordinal.";
constexpr char kNotUpdatable[] =
    "Current Recordset does not support updating. This may be a limitation of the provider, or of the selected "
    "locktype.";
constexpr char kNoNewRow[] = "Operation is not allowed in this context.";
constexpr char kAlreadyStreamed[] = "The value of this column was already written to a file.";

// Size of the pieces in which column values are read.
constexpr std::size_t kGetDataPiece = 64 * 1024;

enum class ColumnKind { kInteger, kText, kBinary };

struct Column {
  std::string name;
  ColumnKind kind = ColumnKind::kText;
};

ColumnKind KindOf(SQLSMALLINT sqlType) {
  switch (sqlType) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      return ColumnKind::kInteger;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return ColumnKind::kBinary;
    default:
      return ColumnKind::kText;
  }
}

std::vector<Column> DescribeColumns(const odbc::Statement& statement, int count) {
  std::vector<Column> columns;
  for (int i = 1; i <= count; ++i) {
    SQLCHAR name[256] = {};
    SQLSMALLINT nameLength = 0, sqlType = 0, decimals = 0, nullable = 0;
    SQLULEN size = 0;
    statement.Check(SQLDescribeCol(statement.handle(), static_cast<SQLUSMALLINT>(i), name, sizeof name, &nameLength,
                                   &sqlType, &size, &decimals, &nullable),
                    "SQLDescribeCol");
    columns.push_back({reinterpret_cast<const char*>(name), KindOf(sqlType)});
  }
  return columns;
}

std::string ColumnAttribute(const odbc::Statement& statement, int index, SQLUSMALLINT attribute) {
  char text[512] = {};
  SQLSMALLINT length = 0;
  statement.Check(SQLColAttribute(statement.handle(), static_cast<SQLUSMALLINT>(index), attribute, text, sizeof text,
                                  &length, nullptr),
                  "SQLColAttribute");
  return text;
}

// Reads one column of the current row in pieces, handing each to `consume`. Returns false for NULL.
bool ReadPieces(const odbc::Statement& statement, int index, ColumnKind kind,
                const std::function<void(const char*, std::size_t)>& consume) {
  std::vector<char> buffer(kGetDataPiece);
  const SQLSMALLINT cType = kind == ColumnKind::kBinary ? SQL_C_BINARY : SQL_C_CHAR;
  // A text piece ends with a NUL that is not part of the value.
  const std::size_t capacity = kind == ColumnKind::kBinary ? buffer.size() : buffer.size() - 1;
  for (bool first = true;; first = false) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(statement.handle(), static_cast<SQLUSMALLINT>(index + 1), cType, buffer.data(),
                                    static_cast<SQLLEN>(buffer.size()), &indicator);
    if (rc == SQL_NO_DATA) return true;
    statement.Check(rc, "SQLGetData");
    if (indicator == SQL_NULL_DATA) return !first;
    const bool truncated = indicator == SQL_NO_TOTAL || indicator > static_cast<SQLLEN>(capacity);
    consume(buffer.data(), truncated ? capacity : static_cast<std::size_t>(indicator));
    if (rc == SQL_SUCCESS) return true;
  }
}

Value ReadValue(const odbc::Statement& statement, int index, ColumnKind kind) {
  if (kind == ColumnKind::kInteger) {
    SQLBIGINT number = 0;
    SQLLEN indicator = 0;
    statement.Check(SQLGetData(statement.handle(), static_cast<SQLUSMALLINT>(index + 1), SQL_C_SBIGINT, &number,
                               sizeof number, &indicator),
                    "SQLGetData");
    return indicator == SQL_NULL_DATA ? Value::Null() : Value::Integer(number);
  }
  std::string content;
  const bool present = ReadPieces(statement, index, kind, [&](const char* data, std::size_t size) {
    content.append(data, size);
  });
  if (!present) return Value::Null();
  if (kind == ColumnKind::kBinary) return Value::Binary(Bytes(content.begin(), content.end()));
  return Value::Text(std::move(content));
}

}  // namespace

struct ResultSet::Cursor {
  Cursor(odbc::Statement s, int cursor, int lock) : statement(std::move(s)), cursorType(cursor), lockType(lock) {}

  odbc::Statement statement;
  int cursorType;
  int lockType;
  std::vector<Column> columns;
  bool atEnd = true;
  // Values of the current row read so far: columns are read from the driver in order, once.
  std::vector<std::optional<Value>> values;
  std::vector<bool> streamed;
  int nextUnread = 0;
  // The row being added, when AddNew was called: one optional parameter per column.
  bool adding = false;
  std::vector<std::optional<Parameter>> newRow;

  void Fetch() {
    const SQLRETURN rc = SQLFetch(statement.handle());
    statement.Check(rc, "SQLFetch");
    atEnd = rc == SQL_NO_DATA;
    values.assign(columns.size(), std::nullopt);
    streamed.assign(columns.size(), false);
    nextUnread = 0;
  }
};

ResultSet::ResultSet() = default;
ResultSet::~ResultSet() = default;
ResultSet::ResultSet(ResultSet&&) noexcept = default;
ResultSet& ResultSet::operator=(ResultSet&&) noexcept = default;

ResultSet::ResultSet(odbc::Statement statement, int cursorType, int lockType) {
  const int count = statement.ColumnCount();
  if (count == 0) return;
  cursor_ = std::make_unique<Cursor>(std::move(statement), cursorType, lockType);
  cursor_->columns = DescribeColumns(cursor_->statement, count);
  cursor_->Fetch();
}

void ResultSet::Open(std::string_view statement, Connection& connection, int cursorType, int lockType) {
  if (cursor_) throw DatabaseError(kOpenObject);
  odbc::Statement odbcStatement(connection.session());
  odbcStatement.ExecuteDirect(statement);
  *this = ResultSet(std::move(odbcStatement), cursorType, lockType);
}

int ResultSet::State() const { return cursor_ ? kStateOpen : kStateClosed; }
bool ResultSet::IsOpen() const { return cursor_ != nullptr; }
int ResultSet::CursorType() const { return OpenCursor().cursorType; }
int ResultSet::LockType() const { return OpenCursor().lockType; }

ResultSet::Cursor& ResultSet::OpenCursor() const {
  if (!cursor_) throw DatabaseError(kClosedObject);
  return *cursor_;
}

bool ResultSet::AtEnd() const { return OpenCursor().atEnd; }

void ResultSet::MoveNext() {
  Cursor& cursor = OpenCursor();
  if (cursor.atEnd) throw DatabaseError(kNoCurrentRow);
  cursor.Fetch();
}

void ResultSet::Close() { cursor_.reset(); }

int ResultSet::FieldCount() const { return static_cast<int>(OpenCursor().columns.size()); }

std::string ResultSet::FieldName(int index) const {
  const Cursor& cursor = OpenCursor();
  if (index < 0 || index >= static_cast<int>(cursor.columns.size())) throw DatabaseError(kUnknownField);
  return cursor.columns[static_cast<std::size_t>(index)].name;
}

int ResultSet::ColumnIndex(std::string_view name) const {
  const Cursor& cursor = OpenCursor();
  for (std::size_t i = 0; i < cursor.columns.size(); ++i) {
    if (platform::EqualsIgnoreCase(cursor.columns[i].name, name)) return static_cast<int>(i);
  }
  throw DatabaseError(kUnknownField);
}

void ResultSet::ReadThrough(int index) {
  Cursor& cursor = OpenCursor();
  for (; cursor.nextUnread <= index; ++cursor.nextUnread) {
    const auto column = static_cast<std::size_t>(cursor.nextUnread);
    cursor.values[column] = ReadValue(cursor.statement, cursor.nextUnread, cursor.columns[column].kind);
  }
}

Value ResultSet::Field(std::string_view name) { return Field(ColumnIndex(name)); }

Value ResultSet::Field(int index) {
  Cursor& cursor = OpenCursor();
  if (index < 0 || index >= static_cast<int>(cursor.columns.size())) throw DatabaseError(kUnknownField);
  if (cursor.atEnd) throw DatabaseError(kNoCurrentRow);
  const auto column = static_cast<std::size_t>(index);
  if (cursor.streamed[column]) throw DatabaseError(kAlreadyStreamed);
  ReadThrough(index);
  return *cursor.values[column];
}

bool ResultSet::ReadFieldInPieces(int index, const PieceConsumer& consume) {
  Cursor& cursor = OpenCursor();
  if (index < 0 || index >= static_cast<int>(cursor.columns.size())) throw DatabaseError(kUnknownField);
  if (cursor.atEnd) throw DatabaseError(kNoCurrentRow);
  const auto column = static_cast<std::size_t>(index);
  if (cursor.streamed[column]) throw DatabaseError(kAlreadyStreamed);
  cursor.streamed[column] = true;
  if (index < cursor.nextUnread) {
    // Already read for an earlier Field() call: hand over the kept value.
    const Value& value = *cursor.values[column];
    if (value.IsNull()) return false;
    const std::string content = value.AsText();
    consume(content.data(), content.size());
    return true;
  }
  ReadThrough(index - 1);
  cursor.nextUnread = index + 1;
  return ReadPieces(cursor.statement, index, cursor.columns[column].kind, consume);
}

std::uint64_t ResultSet::SaveFieldToFile(std::string_view name, const std::string& path) {
  const int index = ColumnIndex(name);
  if (AtEnd()) throw DatabaseError(kNoCurrentRow);
  internal::OutputFile file(path, /*overwrite=*/true);
  std::uint64_t written = 0;
  const bool present = ReadFieldInPieces(index, [&](const char* data, std::size_t size) {
    file.Write(data, size);
    written += size;
  });
  if (!present) throw DatabaseError("Invalid use of Null");
  file.Commit();
  return written;
}

void ResultSet::AddNew() {
  Cursor& cursor = OpenCursor();
  if (cursor.lockType == kLockUnspecified || cursor.lockType == kLockReadOnly) throw DatabaseError(kNotUpdatable);
  cursor.adding = true;
  cursor.newRow.assign(cursor.columns.size(), std::nullopt);
}

void ResultSet::SetField(std::string_view name, Value value) {
  const int index = ColumnIndex(name);
  Cursor& cursor = OpenCursor();
  if (!cursor.adding) throw DatabaseError(kNoNewRow);
  cursor.newRow[static_cast<std::size_t>(index)] = Parameter(std::move(value));
}

void ResultSet::SetFieldFromFile(std::string_view name, std::string path) {
  const int index = ColumnIndex(name);
  Cursor& cursor = OpenCursor();
  if (!cursor.adding) throw DatabaseError(kNoNewRow);
  cursor.newRow[static_cast<std::size_t>(index)] = Parameter::FileContent(std::move(path));
}

void ResultSet::Update() {
  Cursor& cursor = OpenCursor();
  if (!cursor.adding) throw DatabaseError(kNoNewRow);

  // The row goes into the table that every column comes from, under the columns' names in that table.
  std::string table;
  std::string catalog;
  std::string names;
  std::string markers;
  std::vector<Parameter> parameters;
  for (std::size_t i = 0; i < cursor.columns.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    std::string columnTable = ColumnAttribute(cursor.statement, number, SQL_DESC_BASE_TABLE_NAME);
    if (columnTable.empty()) columnTable = ColumnAttribute(cursor.statement, number, SQL_DESC_TABLE_NAME);
    if (columnTable.empty() || (!table.empty() && columnTable != table)) throw DatabaseError(kNotUpdatable);
    if (table.empty()) {
      table = columnTable;
      catalog = ColumnAttribute(cursor.statement, number, SQL_DESC_CATALOG_NAME);
    }
    if (!cursor.newRow[i]) continue;
    std::string columnName = ColumnAttribute(cursor.statement, number, SQL_DESC_BASE_COLUMN_NAME);
    if (columnName.empty()) columnName = cursor.columns[i].name;
    names += (names.empty() ? "" : ", ") + QuoteSqlIdentifier(columnName);
    markers += markers.empty() ? "?" : ", ?";
    parameters.push_back(*cursor.newRow[i]);
  }
  const std::string target = (catalog.empty() ? "" : QuoteSqlIdentifier(catalog) + ".") + QuoteSqlIdentifier(table);
  odbc::Statement insert(cursor.statement.session());
  insert.ExecuteWithParameters("INSERT INTO " + target + " (" + names + ") VALUES (" + markers + ")", parameters);
  cursor.adding = false;
  cursor.newRow.clear();
}

}  // namespace maj::db
