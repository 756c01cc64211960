#pragma once
// What unixODBC's configuration says about a data source and its driver (odbc.ini and odbcinst.ini, found
// through ODBCSYSINI and ODBCINI as the driver manager finds them).
#include <string>
#include <string_view>

namespace maj::db {

// The driver of a data source: its section's "Driver" key, else its entry in section "ODBC Data Sources".
// Empty when neither exists.
std::string DataSourceDriver(std::string_view dataSourceName);

// The value of `key` in the section of a data source in odbc.ini ("READ_TIMEOUT" gives "120"); empty when
// the data source or the key is absent.
std::string DataSourceValue(std::string_view dataSourceName, std::string_view key);

// The "DriverODBCVer" key of a driver's entry in odbcinst.ini ("03.51"); empty when absent.
std::string DriverOdbcVersionText(std::string_view driverName);

// The ODBC version of the driver behind a data source, as a number: its DriverODBCVer with the first '.' kept
// as the decimal separator and the others dropped ("03.51" gives 3.51, "03.51.12" gives 3.5112); without one,
// the digits of the driver's name with each '.' as a separator ("MySQL ODBC 3.51 Driver" gives 3.51; for a
// driver given as a library path, only its file name is read). 0 when nothing usable is found.
double GetDriverOdbcVersion(std::string_view dataSourceName);

// `text` as a number under the current locale (LC_NUMERIC): every ',' and '.' is read as the locale's
// decimal separator and every capital 'E' and 'F' is dropped. 0 for an empty text or one that is not a number.
double ParseLocaleNumber(std::string_view text);

}  // namespace maj::db
