#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "db/connection.h"
#include "db/database_error.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

using testing::FailureOf;

// A second private server whose max_allowed_packet is 1 MB, as small as a site's server can be; stopped when
// the object dies. Its state folder is fixed, so that a run killed meanwhile is cleaned up by the next.
class SmallPacketServer {
 public:
  SmallPacketServer() {
    started_ = std::system((script_ + " start " + state_ + " --max-allowed-packet=1M >/dev/null 2>&1").c_str()) == 0;
    std::ifstream description(state_ + "/database.env");
    for (std::string line; std::getline(description, line);) {
      if (line.rfind("PORT=", 0) == 0) port_ = line.substr(5);
    }
  }
  ~SmallPacketServer() { std::system((script_ + " stop " + state_ + " >/dev/null 2>&1").c_str()); }
  bool started() const { return started_ && !port_.empty(); }
  const std::string& port() const { return port_; }

 private:
  const std::string script_ = std::string(MAJ_SOURCE_ROOT) + "/scripts/testdb";
  const std::string state_ = std::string(MAJ_BINARY_ROOT) + "/testdb-small-packets";
  bool started_ = false;
  std::string port_;
};

bool EndsWith(const std::string& description, const char* advice) {
  return description.ends_with(std::string("\n") + advice);
}

// Depending on when the server drops the connection, the driver either names the packet limit (then the
// specific advice follows) or only says that the connection is gone (then the advice names both causes).
bool CarriesTheRightAdvice(const std::string& description) {
  const std::string driverText = description.substr(0, description.find('\n'));
  if (driverText.find("max_allowed_packet") != std::string::npos) return EndsWith(description, kPacketLimitAdvice);
  return EndsWith(description, kLostConnectionAdvice);
}

TEST(PacketLimitTest, ValuesOverTheServersLimitSayWhatToChange) {
  SmallPacketServer server;
  ASSERT_TRUE(server.started());
  const testing::TestServer& testServer = testing::GetTestServer();
  testing::OdbcConfiguration& odbc = testing::OdbcConfiguration::Get();
  odbc.AddDriver(testServer.driver, {{"Driver", testServer.driverLibrary}});
  odbc.AddDataSource("small_packets", {{"Driver", testServer.driver}, {"SERVER", "127.0.0.1"},
                                       {"PORT", server.port()}, {"DATABASE", "proscenia"}});
  const std::string connectionString = "DSN=small_packets;UID=Proscenia;PASSWORD=QUARVEN42";
  Connection connection;
  connection.Open(connectionString);
  connection.Execute("CREATE TABLE Blobs (data LONGBLOB NOT NULL)");

  // An ordinary failure carries the driver's text alone.
  const std::string syntax = FailureOf([&] { connection.Execute("SELEC 1"); });
  EXPECT_NE(syntax.find("SQL syntax"), std::string::npos) << syntax;
  EXPECT_EQ(syntax.find('\n'), std::string::npos) << syntax;

  // A bound value sent in pieces: the server drops the connection; the advice names max_allowed_packet.
  const std::string refused = FailureOf([&] {
    connection.ExecuteUpdate("INSERT INTO Blobs (data) VALUES (?)", {Value::Binary(Bytes(2 << 20, 0x5A))});
  });
  EXPECT_TRUE(CarriesTheRightAdvice(refused)) << refused;
  EXPECT_NE(refused.find("max_allowed_packet"), std::string::npos) << refused;

  // The same value pasted into the statement: the same.
  Connection second;
  second.Open(connectionString);
  const std::string dropped =
      FailureOf([&] { second.Execute("INSERT INTO Blobs (data) VALUES ('" + std::string(2 << 20, 'Z') + "')"); });
  EXPECT_TRUE(CarriesTheRightAdvice(dropped)) << dropped;
  EXPECT_NE(dropped.find("max_allowed_packet"), std::string::npos) << dropped;
}

}  // namespace
}  // namespace maj::db
