#include "db/database.h"

#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "config/installation.h"
#include "db/database_error.h"
#include "platform/text.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

// The description of the failure of a direct open, to compare with what ConnectDatabase reports.
std::string OpenFailure(const std::string& connectionString) {
  Connection connection;
  try {
    connection.Open(connectionString);
  } catch (const DatabaseError& error) {
    return error.what();
  }
  ADD_FAILURE() << "opening " << connectionString << " succeeded";
  return {};
}

std::string SharedConnectionUser() {
  ResultSet user = SharedConnection().Execute("SELECT CURRENT_USER()");
  return user.Field(0).AsText();
}

class ConnectDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { environment_.Set("HOME", home_.str()); }

  // Makes the settings file of the user's home folder the one ConnectDatabase reads.
  void UseSettings(const std::string& content) {
    home_.WriteFile("Orv_Spec.ini", content);
    config::LocateSettingsFile();
  }

  FatalErrorHandler Recorder() {
    return [this](const std::string& description) { failures_.push_back(description); };
  }

  testing::TestDatabase database_;
  testing::TempFolder home_;
  testing::ScopedEnvironment environment_;
  std::vector<std::string> failures_;
};

TEST_F(ConnectDatabaseTest, FirstAccountOpensTheDataSourceOfTheSettings) {
  UseSettings("[DSN]\ndsnBill =   " + database_.DataSourceName() + "   \n");
  ConnectDatabase(Recorder());

  EXPECT_TRUE(failures_.empty()) << failures_.front();
  EXPECT_EQ(SharedConnection().State(), kStateOpen);
  EXPECT_EQ(DataSourceName(), database_.DataSourceName());
  EXPECT_EQ(SharedConnectionUser(), "Proscenia@127.0.0.1");
  // The Debian driver entry has neither DriverODBCVer nor digits in its name.
  EXPECT_EQ(DriverIsOdbc351(), 0);

  // Connecting again closes the open connection first.
  ConnectDatabase(Recorder());
  EXPECT_TRUE(failures_.empty());
  EXPECT_EQ(SharedConnectionUser(), "Proscenia@127.0.0.1");

  CloseDatabase();
  EXPECT_EQ(SharedConnection().State(), kStateClosed);
  CloseDatabase();
  EXPECT_EQ(SharedConnection().State(), kStateClosed);
}

TEST_F(ConnectDatabaseTest, DriverGenerationFollowsTheDataSourcesDriver) {
  const testing::TestServer& server = testing::GetTestServer();
  testing::OdbcConfiguration::Get().AddDriver("MySQL ODBC 3.51 Driver", {{"Driver", server.driverLibrary}});
  const std::string old = database_.AddDataSource("named351", {{"Driver", "MySQL ODBC 3.51 Driver"}});

  ConnectDataSource(old, Recorder());
  EXPECT_EQ(DriverIsOdbc351(), 1);
  EXPECT_EQ(DataSourceName(), old);

  ConnectDataSource(database_.DataSourceName(), Recorder());
  EXPECT_EQ(DriverIsOdbc351(), 0);
  EXPECT_TRUE(failures_.empty());
}

TEST_F(ConnectDatabaseTest, EmptyOrMissingDataSourceNameReachesTheHandler) {
  // unixODBC would open the first data source of odbc.ini for "DSN=": an empty name is the default source.
  const std::string expected = OpenFailure("DSN=DEFAULT;UID=Proscenia;PASSWORD=QUARVEN42");
  EXPECT_NE(expected.find("Data source name not found"), std::string::npos) << expected;

  UseSettings("[DSN]\nother=x\n");
  ConnectDatabase(Recorder());
  UseSettings("[Elsewhere]\ndsnBill=" + database_.DataSourceName() + "\n");
  ConnectDatabase(Recorder());

  ASSERT_EQ(failures_.size(), 2u);
  EXPECT_EQ(failures_[0], expected);
  EXPECT_EQ(failures_[1], expected);
  EXPECT_EQ(SharedConnection().State(), kStateClosed);
}

TEST_F(ConnectDatabaseTest, OtherFailuresReachTheHandlerUnchanged) {
  const std::string missing = database_.AddDataSource("nodb", {{"DATABASE", "proscenia_does_not_exist"}});
  const std::string expected = OpenFailure("DSN=" + missing + ";UID=Proscenia;PASSWORD=QUARVEN42");
  EXPECT_NE(expected.find("Unknown database"), std::string::npos) << expected;

  UseSettings("[DSN]\ndsnBill=" + missing + "\n");
  ConnectDatabase(Recorder());
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0], expected);
  EXPECT_EQ(SharedConnection().State(), kStateClosed);
}

// Sets the passwords of the socket accounts for one test and restores them.
class SocketAccounts {
 public:
  explicit SocketAccounts(testing::TestDatabase& database) : database_(database) {}
  ~SocketAccounts() {
    database_.Execute("ALTER USER 'Proscenia'@'localhost' IDENTIFIED BY 'QUARVEN42' ACCOUNT UNLOCK");
    database_.Execute("ALTER USER 'ORVANE'@'localhost' IDENTIFIED BY '' ACCOUNT UNLOCK");
  }
  void Alter(const std::string& account, const std::string& change) {
    database_.Execute("ALTER USER '" + account + "'@'localhost' " + change);
  }

 private:
  testing::TestDatabase& database_;
};

// The accounts @'localhost' serve only this test (other tests reach the server over TCP), so that changing
// their passwords disturbs nobody; the three cases run in one test for the same reason.
TEST_F(ConnectDatabaseTest, RefusedPasswordFallsBackToTheSecondAccountOnce) {
  const std::string socketSource = database_.AddDataSource(
      "socket", {{"SERVER", "localhost"}, {"SOCKET", testing::GetTestServer().socket}});
  SocketAccounts accounts(database_);

  // A wrong password for Proscenia: the driver says "(using password: YES)" and ORVANE is tried.
  accounts.Alter("Proscenia", "IDENTIFIED BY 'not-the-built-in-one'");
  const std::string refused = OpenFailure("DSN=" + socketSource + ";UID=Proscenia;PASSWORD=QUARVEN42");
  std::cout << "Wrong password diagnostic: " << refused << "\n";
  EXPECT_NE(platform::ToUpperAscii(refused).find("(USING PASSWORD: YES)"), std::string::npos) << refused;
  ConnectDataSource(socketSource, Recorder());
  EXPECT_TRUE(failures_.empty()) << failures_.front();
  EXPECT_EQ(SharedConnectionUser(), "ORVANE@localhost");

  // ORVANE refused as well: its own failure reaches the handler.
  accounts.Alter("ORVANE", "IDENTIFIED BY 'locked-out'");
  const std::string second = OpenFailure("DSN=" + socketSource + ";UID=ORVANE");
  ConnectDataSource(socketSource, Recorder());
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_EQ(failures_[0], second);
  EXPECT_NE(failures_[0].find("ORVANE"), std::string::npos);
  EXPECT_EQ(SharedConnection().State(), kStateClosed);

  // Any other refusal of Proscenia (a locked account) ends there, although ORVANE would be accepted.
  accounts.Alter("ORVANE", "IDENTIFIED BY ''");
  accounts.Alter("Proscenia", "IDENTIFIED BY 'QUARVEN42' ACCOUNT LOCK");
  const std::string locked = OpenFailure("DSN=" + socketSource + ";UID=Proscenia;PASSWORD=QUARVEN42");
  ConnectDataSource(socketSource, Recorder());
  ASSERT_EQ(failures_.size(), 2u);
  EXPECT_EQ(failures_[1], locked);
  EXPECT_EQ(SharedConnection().State(), kStateClosed);
}

}  // namespace
}  // namespace maj::db
