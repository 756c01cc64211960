#pragma once
// ODBC handles, diagnostics and statement execution, shared by the sources of the data access layer. Only
// db/*.cpp include this header: it brings in the ODBC headers.
#include <sql.h>
#include <sqlext.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/database_error.h"
#include "db/failure_description.h"
#include "db/value.h"

namespace maj::db::odbc {

// One diagnostic record of a handle.
using Diagnostic = DriverDiagnostic;

// The diagnostic records of `handle`, in order.
std::vector<Diagnostic> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// The error for a failed call on `handle`, described by DescribeDatabaseFailure for `stage` on the data source
// `dataSourceName`. `operation` names the call when the driver left no record.
DatabaseError MakeError(SQLSMALLINT handleType, SQLHANDLE handle, const char* operation,
                        FailureStage stage = FailureStage::kRunning, std::string_view dataSourceName = {});

inline bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// Throws MakeError(...) unless `rc` is SQL_SUCCESS, SQL_SUCCESS_WITH_INFO or SQL_NO_DATA.
void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* operation,
           std::string_view dataSourceName = {});

// Owns one ODBC handle and frees it.
class Handle {
 public:
  // Allocates a handle of `type` under `parent` (SQL_NULL_HANDLE for an environment). Throws DatabaseError.
  Handle(SQLSMALLINT type, SQLHANDLE parent);
  ~Handle();
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  SQLHANDLE get() const { return handle_; }

 private:
  SQLSMALLINT type_;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The process's ODBC 3 environment, created on first use.
std::shared_ptr<Handle> Environment();

// A statement handle as the session sees it: the session frees it when the connection closes first.
struct StatementSlot {
  SQLHSTMT handle = SQL_NULL_HSTMT;
};

// An open connection's handle and the statements allocated on it.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Connects with a complete connection string, without prompting, waiting at most `loginSeconds` where the
  // driver honours SQL_ATTR_LOGIN_TIMEOUT (the MariaDB driver reads CONN_TIMEOUT of the string instead).
  // Throws DatabaseError.
  void Connect(const std::string& connectionString, int loginSeconds);
  bool IsConnected() const { return connected_; }
  // The data source named by the connection string (DSN=); empty when it names none.
  const std::string& DataSourceName() const { return dataSourceName_; }
  // Frees every statement still allocated, disconnects and frees the connection handle. Idempotent.
  void Close();

  SQLHDBC handle() const;
  // A new statement handle, tracked so that Close() can free it. Throws DatabaseError when closed.
  std::shared_ptr<StatementSlot> AllocateStatement();

 private:
  std::shared_ptr<Handle> environment_;
  SQLHDBC connection_ = SQL_NULL_HDBC;
  bool connected_ = false;
  std::string dataSourceName_;
  std::vector<std::weak_ptr<StatementSlot>> statements_;
};

// Owns one statement handle of a session.
class Statement {
 public:
  // Allocates a statement on `session`. Throws DatabaseError when the connection is closed.
  explicit Statement(std::shared_ptr<Session> session);
  ~Statement();
  Statement(Statement&& other) noexcept = default;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // The handle. Throws DatabaseError when the connection was closed since.
  SQLHSTMT handle() const;
  const std::shared_ptr<Session>& session() const { return session_; }
  // Throws the statement's diagnostics unless `rc` is a success or SQL_NO_DATA.
  void Check(SQLRETURN rc, const char* operation) const;

  // Runs `sql` as it is.
  void ExecuteDirect(std::string_view sql);
  // Prepares `sql`, binds `parameters` to its markers in order and runs it. Binary values and files go as
  // data at execution, sent in pieces (SQLPutData), so that a file is never held whole in memory.
  void ExecuteWithParameters(std::string_view sql, const std::vector<Parameter>& parameters);
  // The two halves of ExecuteWithParameters: a prepared statement can be run again with new values once the
  // cursor of its previous run is closed.
  void Prepare(std::string_view sql);
  void ExecutePrepared(const std::vector<Parameter>& parameters);
  // Another owner of this statement's handle that only closes the handle's cursor when it goes, for the rows
  // of one run of a prepared statement. Throws DatabaseError when the connection was closed.
  Statement CursorOwner() const;
  // True while an owner made by CursorOwner() is alive.
  bool HasCursorOwner() const { return slot_.use_count() > 1; }
  // Columns of the current result; 0 for a statement without rows.
  int ColumnCount() const;
  // Rows changed by the last INSERT, UPDATE or DELETE.
  std::int64_t AffectedRows() const;

 private:
  Statement(std::shared_ptr<Session> session, std::shared_ptr<StatementSlot> slot);
  void Free();
  void SendDataAtExecution(const std::vector<Parameter>& parameters);

  std::shared_ptr<Session> session_;
  std::shared_ptr<StatementSlot> slot_;
  bool ownsHandle_ = true;
};

}  // namespace maj::db::odbc
