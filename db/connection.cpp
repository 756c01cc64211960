#include "db/connection.h"

#include <string>

#include "db/database_error.h"
#include "db/odbc_support.h"

namespace maj::db {
namespace {

// Appends "key=value" to a connection string, in braces when the value could be misread.
void AppendAttribute(std::string& connectionString, std::string_view key, std::string_view value) {
  if (!connectionString.empty() && connectionString.back() != ';') connectionString += ';';
  connectionString.append(key).append("=");
  const bool needsBraces = value.find_first_of(";{}") != std::string_view::npos ||
                           (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  if (!needsBraces) {
    connectionString.append(value);
    return;
  }
  connectionString += '{';
  for (char c : value) {
    connectionString += c;
    if (c == '}') connectionString += '}';
  }
  connectionString += '}';
}

}  // namespace

Connection::Connection() = default;

Connection::~Connection() { Close(); }

void Connection::Open(std::string_view connectionString, std::string_view user, std::string_view password) {
  if (session_) throw DatabaseError("Operation is not allowed when the object is open.");
  std::string complete(connectionString);
  if (!user.empty()) AppendAttribute(complete, "UID", user);
  if (!password.empty()) AppendAttribute(complete, "PWD", password);
  auto session = std::make_shared<odbc::Session>();
  session->Connect(complete);
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
