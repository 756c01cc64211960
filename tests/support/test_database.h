#pragma once
// The private MariaDB server of a test run, for the tests that need a database. A test executable gets it with
// maj_use_test_database(<executable>) (cmake/MajTestDatabase.cmake); each test then makes its own database:
//
//   maj::testing::TestDatabase database;          // empty database, own data source
//   database.ConnectShared();                     // db::SharedConnection() on it, as account Proscenia
//   maj::db::EnsureUpdateTable();                 // ... the code under test ...
//   EXPECT_EQ(database.QueryValue("SELECT COUNT(*) FROM Fichier64"), "1");
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/connection.h"
#include "tests/support/failure_of.h"
#include "tests/support/temp_folder.h"

namespace maj::testing {

// The server, as scripts/testdb describes it in the file named by the environment variable
// MAJ_TEST_DATABASE (else the build's own testdb/database.env).
struct TestServer {
  std::string driver;         // the driver's name in odbcinst.ini ("MariaDB Unicode")
  std::string driverLibrary;  // the driver's library
  std::string host;           // 127.0.0.1
  int port = 0;
  std::string socket;         // the server's Unix socket
  std::string adminUser;      // an account with every right and no password
  std::string tlsCa;          // started with --tls: the CA that signed the server's certificate for 127.0.0.1
  std::string tlsOtherHost;   // started with --tls: another address of the server, which the certificate lacks
};

// Throws std::runtime_error when no server is described (the CTest fixture did not run).
const TestServer& GetTestServer();

using OdbcEntries = std::vector<std::pair<std::string, std::string>>;

// This process's own unixODBC configuration: a temporary folder with odbcinst.ini (the server's driver) and
// odbc.ini, named by ODBCSYSINI and ODBCINI. It is set up on first use, which must come before the process's
// first ODBC call: unixODBC reads ODBCSYSINI once. unixODBC also keeps answers for 20 seconds: give every
// driver and data source that a test adds a name of its own.
class OdbcConfiguration {
 public:
  static OdbcConfiguration& Get();

  // Adds a driver entry to odbcinst.ini: `entries` are its keys ("Driver", "DriverODBCVer"...).
  void AddDriver(const std::string& name, const OdbcEntries& entries);
  // Adds a data source to odbc.ini: `entries` are its keys ("Driver", "SERVER", "PORT", "DATABASE"...). It is
  // listed in section "ODBC Data Sources" with `listedDriver`, else with its Driver key when it has one.
  void AddDataSource(const std::string& name, const OdbcEntries& entries, const std::string& listedDriver = {});
  std::string folder() const { return folder_.str(); }

 private:
  OdbcConfiguration();
  void WriteFiles() const;

  TempFolder folder_;
  std::vector<std::pair<std::string, OdbcEntries>> drivers_;
  struct DataSource {
    std::string name;
    OdbcEntries entries;
    std::string listedDriver;
  };
  std::vector<DataSource> dataSources_;
};

// A new, empty database on the test server for one test, with its own data source; the database is dropped
// and the shared connection closed when the object dies. The accounts Proscenia and ORVANE have every right
// on it. The data source reaches the server over TCP (accounts @'127.0.0.1'); the accounts @'localhost' (the
// socket) are left to the connection tests, which change their passwords.
class TestDatabase {
 public:
  TestDatabase();
  ~TestDatabase();
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  const std::string& DatabaseName() const { return databaseName_; }
  // The data source of this database ("MariaDB Unicode" over 127.0.0.1).
  const std::string& DataSourceName() const { return dataSourceName_; }

  // Adds another data source on this database, named after `prefix`, whose keys are the default ones with
  // `overrides` replacing or adding keys; returns its name.
  std::string AddDataSource(const std::string& prefix, const OdbcEntries& overrides);

  // Opens db::SharedConnection() on DataSourceName() through db::ConnectDataSource (account Proscenia).
  // Throws std::runtime_error with the driver's text when that fails.
  void ConnectShared();

  // Runs statements in this database as the administration account, whatever the code under test did.
  void Execute(const std::string& sql);
  // The rows of a query, each value as text (NULL as nullopt).
  std::vector<std::vector<std::optional<std::string>>> Query(const std::string& sql);
  // The first value of the first row; throws std::runtime_error when there is no row.
  std::optional<std::string> QueryValue(const std::string& sql);

 private:
  std::string databaseName_;
  std::string dataSourceName_;
  db::Connection admin_;
};

}  // namespace maj::testing
