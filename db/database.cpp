#include "db/database.h"

#include <stdexcept>

#include "config/installation.h"
#include "config/profile_reader.h"
#include "db/database_error.h"
#include "db/failure_description.h"
#include "db/odbc_configuration.h"
#include "platform/text.h"

namespace maj::db {
namespace {

// The built-in accounts: the first, and the one tried when the first one's password is refused.
constexpr char kFirstAccount[] = ";UID=Proscenia;PASSWORD=QUARVEN42";
constexpr char kFallbackAccount[] = ";UID=ORVANE";
constexpr char kPasswordRefused[] = "(USING PASSWORD: YES)";
constexpr char kDefaultDataSource[] = "DEFAULT";

// The settings value is read into a buffer of this many characters, its NUL included.
constexpr std::size_t kDataSourceBufferSize = 200;

std::string& DataSourceNameValue() {
  static std::string name;
  return name;
}

int& DriverIsOdbc351Value() {
  static int value = 0;
  return value;
}

// What the user is told about a failed open: the data source as the settings name it (an empty name is
// opened as kDefaultDataSource but reported as missing).
std::string DescribeOpenFailure(const DatabaseError& error, std::string_view dataSourceName) {
  return DescribeDatabaseFailure(FailureStage::kConnecting,
                                 {{error.SqlState(), error.NativeError(), error.DriverText()}}, dataSourceName);
}

}  // namespace

Connection& SharedConnection() {
  static Connection connection;
  return connection;
}

const std::string& DataSourceName() { return DataSourceNameValue(); }

int DriverIsOdbc351() { return DriverIsOdbc351Value(); }

void ConnectDatabase(const FatalErrorHandler& onFatalError) {
  // The profile reader gives the value without its terminating NUL; the buffer that TrimAtNul reads has one.
  std::string buffer =
      config::ReadProfileString("DSN", "dsnBill", "", kDataSourceBufferSize, config::SettingsFilePath());
  buffer += '\0';
  ConnectDataSource(TrimAtNul(buffer), onFatalError);
}

void ConnectDataSource(std::string_view dataSourceName, const FatalErrorHandler& onFatalError) {
  Connection& connection = SharedConnection();
  connection.Close();
  // An empty name means the default data source, as the Windows driver manager reads it; unixODBC would take
  // the first data source of odbc.ini instead.
  const std::string effectiveName = dataSourceName.empty() ? kDefaultDataSource : std::string(dataSourceName);
  // The name is pasted into the connection string: a separator in it would add keys of its own (another
  // server, a time limit of 0).
  if (const std::size_t bad = effectiveName.find_first_of(";{}="); bad != std::string::npos) {
    onFatalError("Le nom de source de données « " + effectiveName +
                 " » contient un caractère interdit dans une chaîne de connexion ODBC.\nDétail : caractère « " +
                 effectiveName[bad] + " »\nVérifiez le nom inscrit à la clé dsnBill de la section [DSN] du fichier "
                 "Orv_Spec.ini.");
    return;
  }
  const std::string source = "DSN=" + effectiveName;
  try {
    connection.Open(source + kFirstAccount);
  } catch (const DatabaseError& first) {
    if (platform::ToUpperAscii(first.DriverText()).find(kPasswordRefused) == std::string::npos) {
      onFatalError(DescribeOpenFailure(first, dataSourceName));
      return;
    }
    connection.Close();
    try {
      connection.Open(source + kFallbackAccount);
    } catch (const DatabaseError& second) {
      onFatalError(DescribeOpenFailure(second, dataSourceName));
      return;
    }
  }
  DataSourceNameValue() = std::string(dataSourceName);
  DriverIsOdbc351Value() = GetDriverOdbcVersion(effectiveName) >= 3.51 ? 1 : 0;
}

void CloseDatabase() { SharedConnection().Close(); }

std::string TrimAtNul(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul == std::string_view::npos) throw std::invalid_argument("TrimAtNul: text without NUL");
  std::string_view value = text.substr(0, nul);
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  return std::string(value);
}

}  // namespace maj::db
