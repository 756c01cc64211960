#include "db/odbc_configuration.h"

#include <odbcinst.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>

#include "db/blanks.h"

namespace maj::db {
namespace {

// unixODBC returns 0 yet copies the default when a key is missing from an existing section, and caches
// answers: only the buffer is read, with an empty default. An empty section or key name would make it
// answer for some other entry.
std::string ReadOdbcProfile(const std::string& section, const std::string& key, const char* file) {
  if (section.empty() || key.empty()) return {};
  char buffer[1024] = {};
  SQLGetPrivateProfileString(section.c_str(), key.c_str(), "", buffer, sizeof buffer, file);
  return buffer;
}

// The text to convert for a driver without DriverODBCVer: the digits of its name, '.' written as ','.
std::string DigitsOfName(std::string_view driverName) {
  // A driver given as a library path: the folders (x86_64-linux-gnu...) say nothing about its version.
  const std::size_t slash = driverName.rfind('/');
  if (slash != std::string_view::npos) driverName.remove_prefix(slash + 1);
  std::string text;
  for (char c : driverName) {
    if (c >= '0' && c <= '9') text += c;
    else if (c == '.') text += ',';
  }
  return text;
}

}  // namespace

std::string DataSourceDriver(std::string_view dataSourceName) {
  const std::string name(dataSourceName);
  std::string driver = ReadOdbcProfile(name, "Driver", "ODBC.INI");
  if (driver.empty()) driver = ReadOdbcProfile("ODBC Data Sources", name, "ODBC.INI");
  return driver;
}

std::string DataSourceValue(std::string_view dataSourceName, std::string_view key) {
  return ReadOdbcProfile(std::string(dataSourceName), std::string(key), "ODBC.INI");
}

std::string DriverOdbcVersionText(std::string_view driverName) {
  return ReadOdbcProfile(std::string(driverName), "DriverODBCVer", "ODBCINST.INI");
}

double GetDriverOdbcVersion(std::string_view dataSourceName) {
  const std::string driver = DataSourceDriver(dataSourceName);
  const std::string version = DriverOdbcVersionText(driver);
  std::string text;
  if (!version.empty()) {
    // The first piece, then a separator, then all further pieces joined.
    const std::size_t dot = version.find('.');
    text = version.substr(0, dot);
    if (dot != std::string::npos) {
      text += ',';
      for (char c : version.substr(dot + 1)) {
        if (c != '.') text += c;
      }
    }
  } else {
    text = DigitsOfName(driver);
  }
  return ParseLocaleNumber(text);
}

double ParseLocaleNumber(std::string_view text) {
  if (text.empty()) return 0;
  const std::string separator = std::localeconv()->decimal_point;
  std::string number;
  for (char c : text) {
    if (c == ',' || c == '.') number += separator;
    else if (c != 'E' && c != 'F') number += c;
  }
  // Only a plain decimal number converts: an optional sign, digits and at most one separator.
  std::string_view rest = internal::TrimBlanks(number);
  if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) rest.remove_prefix(1);
  bool digitSeen = false;
  bool separatorSeen = false;
  while (!rest.empty()) {
    if (rest.front() >= '0' && rest.front() <= '9') {
      digitSeen = true;
      rest.remove_prefix(1);
    } else if (!separatorSeen && rest.substr(0, separator.size()) == separator) {
      separatorSeen = true;
      rest.remove_prefix(separator.size());
    } else {
      return 0;
    }
  }
  if (!digitSeen) return 0;
  const std::string trimmed(internal::TrimBlanks(number));
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(trimmed.c_str(), &end);
  if (errno != 0 || end != trimmed.c_str() + trimmed.size()) return 0;
  return value;
}

}  // namespace maj::db
