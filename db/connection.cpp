#include "db/connection.h"

#include <string>

#include "db/connection_string.h"
#include "db/database_error.h"
#include "db/odbc_support.h"
#include "db/time_limits.h"

namespace maj::db {

Connection::Connection() = default;

Connection::~Connection() { Close(); }

void Connection::Open(std::string_view connectionString, std::string_view user, std::string_view password) {
  if (session_) throw DatabaseError("Operation is not allowed when the object is open.");
  std::string complete(connectionString);
  if (!user.empty()) AppendConnectionAttribute(complete, "UID", user);
  if (!password.empty()) AppendConnectionAttribute(complete, "PWD", password);
  const TimeLimitedConnection limited = WithTimeLimits(complete);
  auto session = std::make_shared<odbc::Session>();
  session->Connect(limited.connectionString, limited.loginSeconds);
  session_ = std::move(session);
}

int Connection::State() const { return session_ && session_->IsConnected() ? kStateOpen : kStateClosed; }

void Connection::Close() {
  if (!session_) return;
  session_->Close();
  session_.reset();
}

const std::shared_ptr<odbc::Session>& Connection::session() const {
  if (!session_) throw DatabaseError("Operation is not allowed when the object is closed.");
  return session_;
}

ResultSet Connection::Execute(std::string_view statement) {
  odbc::Statement odbcStatement(session());
  odbcStatement.ExecuteDirect(statement);
  return ResultSet(std::move(odbcStatement), kCursorForwardOnly, kLockReadOnly);
}

ResultSet Connection::Execute(std::string_view statement, const std::vector<Parameter>& parameters) {
  odbc::Statement odbcStatement(session());
  odbcStatement.ExecuteWithParameters(statement, parameters);
  return ResultSet(std::move(odbcStatement), kCursorForwardOnly, kLockReadOnly);
}

std::int64_t Connection::ExecuteUpdate(std::string_view statement, const std::vector<Parameter>& parameters) {
  odbc::Statement odbcStatement(session());
  odbcStatement.ExecuteWithParameters(statement, parameters);
  return odbcStatement.AffectedRows();
}

}  // namespace maj::db
