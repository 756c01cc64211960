#include "db/prepared_statement.h"

#include "db/connection.h"
#include "db/database_error.h"
#include "db/odbc_support.h"

namespace maj::db {

PreparedStatement::PreparedStatement(Connection& connection, std::string_view statement)
    : statement_(std::make_unique<odbc::Statement>(connection.session())) {
  statement_->Prepare(statement);
}

PreparedStatement::~PreparedStatement() = default;

ResultSet PreparedStatement::Execute(const std::vector<Parameter>& parameters) {
  if (statement_->HasCursorOwner()) throw DatabaseError("Operation is not allowed when the object is open.");
  statement_->ExecutePrepared(parameters);
  // The rows only close the statement's cursor when they go; the statement stays prepared for the next run.
  return ResultSet(statement_->CursorOwner(), kCursorForwardOnly, kLockReadOnly);
}

}  // namespace maj::db
