#pragma once
// A connection to the database through an ODBC data source.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "db/result_set.h"
#include "db/value.h"

namespace maj::db {

namespace odbc {
class Session;
}

// Object states, as State() of a connection or a result set gives them.
inline constexpr int kStateClosed = 0;
inline constexpr int kStateOpen = 1;

// One database connection. Result sets opened on it stay usable while it is open; closing it closes them.
// Every failure throws DatabaseError (its description: DescribeDatabaseFailure; the driver's text: DriverText).
class Connection {
 public:
  // A closed connection.
  Connection();
  // Closes the connection.
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens the connection with an ODBC connection string ("DSN=name;UID=user;PASSWORD=secret"). A non-empty
  // `user` or `password` is added to it as UID / PWD, and so are the time limits (WithTimeLimits). On failure
  // the connection stays closed. Throws when the connection is already open.
  void Open(std::string_view connectionString, std::string_view user = {}, std::string_view password = {});

  // kStateClosed or kStateOpen.
  int State() const;
  bool IsOpen() const { return State() == kStateOpen; }

  // Closes the connection and every result set still open on it. Nothing happens when it is closed.
  void Close();

  // Runs `statement` as it is. Returns its rows as a forward-only, read-only result set positioned on the
  // first row, or a closed result set for a statement without rows.
  ResultSet Execute(std::string_view statement);

  // Same, with `parameters` bound to the '?' markers of `statement` in order; values are never pasted into
  // the text. Binary and file parameters are sent in pieces.
  ResultSet Execute(std::string_view statement, const std::vector<Parameter>& parameters);

  // Runs a statement without rows (INSERT, UPDATE, DELETE...) with `parameters` bound to its '?' markers and
  // returns the number of rows it changed.
  std::int64_t ExecuteUpdate(std::string_view statement, const std::vector<Parameter>& parameters = {});

  // The open connection's session, for the layer's own objects. Throws DatabaseError when closed.
  const std::shared_ptr<odbc::Session>& session() const;

 private:
  std::shared_ptr<odbc::Session> session_;
};

}  // namespace maj::db
