#include "db/database.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/installation.h"
#include "platform/text.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

using testing::FailureOf;

// The description of a direct open's failure, to compare with what the handler receives.
std::string OpenFailure(const std::string& connectionString) {
  Connection connection;
  return FailureOf([&] { connection.Open(connectionString); });
}

std::string CurrentUser() { return SharedConnection().Execute("SELECT CURRENT_USER()").Field(0).AsText(); }

class ConnectDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override { environment_.Set("HOME", home_.str()); }

  // Connects through a settings file in the user's home folder holding `content`.
  void ConnectWithSettings(const std::string& content) {
    home_.WriteFile("Orv_Spec.ini", content);
    config::LocateSettingsFile();
    ConnectDatabase(Recorder());
  }

  FatalErrorHandler Recorder() {
    return [this](const std::string& description) { failures_.push_back(description); };
  }

  testing::TestDatabase database_;
  testing::TempFolder home_;
  testing::ScopedEnvironment environment_;
  std::vector<std::string> failures_;
};

TEST_F(ConnectDatabaseTest, FirstAccountOpensTheDataSourceOfTheSettingsElseTheHandlerGetsTheDriversText) {
  ConnectWithSettings("[DSN]\ndsnBill =   " + database_.DataSourceName() + "   \n");
  EXPECT_TRUE(failures_.empty()) << failures_.front();
  EXPECT_EQ(DataSourceName(), database_.DataSourceName());
  EXPECT_EQ(CurrentUser(), "Proscenia@127.0.0.1");

  // Connecting again closes the open connection first; closing twice is harmless.
  ConnectDatabase(Recorder());
  EXPECT_TRUE(failures_.empty());
  EXPECT_EQ(CurrentUser(), "Proscenia@127.0.0.1");
  CloseDatabase();
  CloseDatabase();
  EXPECT_EQ(SharedConnection().State(), kStateClosed);

  // An empty or missing name is the default data source, which does not exist: unixODBC would otherwise
  // open the first data source of odbc.ini.
  const std::string noSource = OpenFailure("DSN=DEFAULT;UID=Proscenia;PASSWORD=QUARVEN42");
  EXPECT_NE(noSource.find("Data source name not found"), std::string::npos) << noSource;
  const std::string missing = database_.AddDataSource("nodb", {{"DATABASE", "proscenia_does_not_exist"}});
  const std::string noDatabase = OpenFailure("DSN=" + missing + ";UID=Proscenia;PASSWORD=QUARVEN42");
  EXPECT_NE(noDatabase.find("Unknown database"), std::string::npos) << noDatabase;

  ConnectWithSettings("[DSN]\nother=x\n");
  ConnectWithSettings("[Elsewhere]\ndsnBill=" + database_.DataSourceName() + "\n");
  ConnectWithSettings("[DSN]\ndsnBill=" + missing + "\n");

  EXPECT_EQ(failures_, (std::vector<std::string>{noSource, noSource, noDatabase}));
  EXPECT_EQ(SharedConnection().State(), kStateClosed);
}

// The accounts @'localhost' (the socket) serve only this test, other tests reaching the server over TCP, so
// that changing their passwords disturbs nobody; the three cases run in one test for the same reason.
TEST_F(ConnectDatabaseTest, RefusedPasswordFallsBackToTheSecondAccountOnce) {
  const std::string socketSource = database_.AddDataSource(
      "socket", {{"SERVER", "localhost"}, {"SOCKET", testing::GetTestServer().socket}});
  const auto alter = [&](const std::string& account, const std::string& change) {
    database_.Execute("ALTER USER '" + account + "'@'localhost' " + change);
  };
  const std::shared_ptr<void> restore(nullptr, [&](void*) {
    alter("Proscenia", "IDENTIFIED BY 'QUARVEN42' ACCOUNT UNLOCK");
    alter("ORVANE", "IDENTIFIED BY '' ACCOUNT UNLOCK");
  });

  // A wrong password for Proscenia: the driver says "(using password: YES)" and ORVANE is tried.
  alter("Proscenia", "IDENTIFIED BY 'not-the-built-in-one'");
  const std::string refused = OpenFailure("DSN=" + socketSource + ";UID=Proscenia;PASSWORD=QUARVEN42");
  EXPECT_NE(platform::ToUpperAscii(refused).find("(USING PASSWORD: YES)"), std::string::npos) << refused;
  ConnectDataSource(socketSource, Recorder());
  EXPECT_TRUE(failures_.empty()) << failures_.front();
  EXPECT_EQ(CurrentUser(), "ORVANE@localhost");

  // ORVANE refused as well: its own failure reaches the handler.
  alter("ORVANE", "IDENTIFIED BY 'locked-out'");
  const std::string second = OpenFailure("DSN=" + socketSource + ";UID=ORVANE");
  EXPECT_NE(second.find("ORVANE"), std::string::npos) << second;
  ConnectDataSource(socketSource, Recorder());

  // Any other refusal of Proscenia (a locked account) ends there, although ORVANE would be accepted.
  alter("ORVANE", "IDENTIFIED BY ''");
  alter("Proscenia", "IDENTIFIED BY 'QUARVEN42' ACCOUNT LOCK");
  const std::string locked = OpenFailure("DSN=" + socketSource + ";UID=Proscenia;PASSWORD=QUARVEN42");
  ConnectDataSource(socketSource, Recorder());

  EXPECT_EQ(failures_, (std::vector<std::string>{second, locked}));
  EXPECT_EQ(SharedConnection().State(), kStateClosed);
}

}  // namespace
}  // namespace maj::db
