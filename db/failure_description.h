#pragma once
// What a user reads about a failure of the database: in French, what failed and what to check, with the
// driver's own text kept as the detail.
#include <string>
#include <string_view>
#include <vector>

namespace maj::db {

// When a failure happened: while opening a connection, or on an open one.
enum class FailureStage { kConnecting, kRunning };

// One diagnostic record of the driver.
struct DriverDiagnostic {
  std::string state;    // the five-character SQLSTATE ("28000", "08S01", "IM002"...)
  int nativeError = 0;  // the server's or client library's error number (1045, 2013...); 0 when none
  std::string message;  // the driver's text, unchanged
};

// The description of the failure that `records` report (in the driver's order) on the data source
// `dataSourceName` (empty when the connection string names none). Three lines: a French headline saying what
// failed and naming the data source, "Détail : " followed by the first record's text, and what to check
// (the data source, the server, the account, the network...). A failure on an open connection that is
// neither a lost connection, a time-out nor a value over the server's packet limit belongs to the statement
// (a missing table, a syntax error): its description is the first record's text alone, for the caller to
// put in its own context. "" when there is no record.
std::string DescribeDatabaseFailure(FailureStage stage, const std::vector<DriverDiagnostic>& records,
                                    std::string_view dataSourceName);

}  // namespace maj::db
