#pragma once
// The time limits of every database connection, so that a server that accepts and never answers, a firewall
// dropping packets or a half-dead network end in an error instead of a wait without end.
#include <string>
#include <string_view>

namespace maj::db {

// Seconds allowed to reach the server and log in: the TCP connection, the server's greeting and the
// exchange of the login, together. A server on a slow link greets within a few seconds.
inline constexpr int kConnectTimeLimitSeconds = 20;

// Seconds the connection may wait for the next bytes from the server, or for the server to take the next
// bytes sent. Each wait is limited, not the statement: a large value crossing a slow link while bytes keep
// flowing is never cut. It exceeds the server's own lock wait (innodb_lock_wait_timeout, 50 s), so that a
// statement waiting on a lock ends with the server's error rather than with a lost connection.
inline constexpr int kReadTimeLimitSeconds = 60;
inline constexpr int kWriteTimeLimitSeconds = 60;

// No statement time limit (SQL_ATTR_QUERY_TIMEOUT) is set: it would bound a whole statement, cutting a large
// value that crosses a slow link, and the MariaDB driver answers it with "Option value changed to default".

// A connection string and the login time limit to set on the connection before opening it.
struct TimeLimitedConnection {
  std::string connectionString;
  int loginSeconds = kConnectTimeLimitSeconds;
};

// `connectionString` with the MariaDB driver's limits added (CONN_TIMEOUT, READ_TIMEOUT, WRITE_TIMEOUT),
// each unless the connection string holds the key already or the data source it names (DSN=) sets it to a
// positive number of seconds in odbc.ini: a site on a slow link can raise its limits there. The login
// limit is the data source's CONN_TIMEOUT when it sets one, else kConnectTimeLimitSeconds.
TimeLimitedConnection WithTimeLimits(std::string_view connectionString);

}  // namespace maj::db
