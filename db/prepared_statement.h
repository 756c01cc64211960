#pragma once
// A statement prepared once and run many times with new values for its '?' markers.
#include <memory>
#include <string_view>
#include <vector>

#include "db/result_set.h"
#include "db/value.h"

namespace maj::db {

class Connection;
namespace odbc {
class Statement;
}

// A statement the server parses once: each run is then a single exchange with it, where
// Connection::Execute with parameters prepares, runs and drops the statement every time. For the same
// statement sent for many values in a row. Every failure throws DatabaseError.
class PreparedStatement {
 public:
  // Prepares `statement` on `connection`, which must stay open while this object is used.
  PreparedStatement(Connection& connection, std::string_view statement);
  ~PreparedStatement();
  PreparedStatement(const PreparedStatement&) = delete;
  PreparedStatement& operator=(const PreparedStatement&) = delete;

  // Runs the statement with `parameters` bound to its markers in order, values never pasted into the text.
  // Returns its rows as Connection::Execute does: forward-only, read-only, positioned on the first row, or a
  // closed result set for a statement without rows. The rows of the previous run must be closed (or
  // destroyed) first: they share the statement; while they are open this throws.
  ResultSet Execute(const std::vector<Parameter>& parameters);

 private:
  std::unique_ptr<odbc::Statement> statement_;
};

}  // namespace maj::db
