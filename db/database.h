#pragma once
// The process's database connection: the data source named in the settings file, the two built-in accounts,
// and the generation of the ODBC driver behind the data source.
#include <functional>
#include <string>
#include <string_view>

#include "db/connection.h"

namespace maj::db {

// The shared connection, created closed on first use. Every query of the program goes through it.
Connection& SharedConnection();

// The data source of the last successful ConnectDatabase; empty before.
const std::string& DataSourceName();

// 1 when the driver behind the connected data source reports ODBC 3.51 or later, else 0. It keeps its last
// value and is 0 until the first successful connection.
int DriverIsOdbc351();

// Receives the description of a connection failure that ends the program (DescribeDatabaseFailure: a French
// headline naming the data source, the driver's text as the detail, what to check). The screens show it in a
// message box and end the process; tests record it.
using FatalErrorHandler = std::function<void(const std::string& description)>;

// Opens the shared connection on the data source named by key "dsnBill" of section "DSN" of the settings file
// (config::SettingsFilePath(); the name is trimmed), as ConnectDataSource does.
void ConnectDatabase(const FatalErrorHandler& onFatalError);

// Opens the shared connection on `dataSourceName` (empty: the default data source, "DEFAULT"), closing it
// first when it is open: with the account
// Proscenia, then, when that fails with a description containing "(USING PASSWORD: YES)" in any letter case,
// once with the account ORVANE without password (the driver's text decides). Every connection is
// time-limited (db/time_limits.h). On success sets DataSourceName() and DriverIsOdbc351(). Any other failure,
// or a failure of the second account, goes to `onFatalError` described for the user; when the handler
// returns, this returns with the connection closed.
void ConnectDataSource(std::string_view dataSourceName, const FatalErrorHandler& onFatalError);

// Closes the shared connection when it is open; a later use finds it closed.
void CloseDatabase();

// The part of `text` before its first NUL, without the blanks at either end. Throws std::invalid_argument
// when `text` holds no NUL.
std::string TrimAtNul(std::string_view text);

}  // namespace maj::db
