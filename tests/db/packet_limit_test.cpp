#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <fstream>
#include <string>

#include "db/connection.h"
#include "db/database_error.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

// A second private server whose max_allowed_packet is 1 MB, as small as a site's server can be; stopped
// when the object dies. Its state folder is fixed, so that a run killed meanwhile is cleaned up by the next.
class SmallPacketServer {
 public:
  SmallPacketServer()
      : script_(std::string(MAJ_SOURCE_ROOT) + "/scripts/testdb"),
        state_(std::string(MAJ_BINARY_ROOT) + "/testdb-small-packets") {
    const std::string& state = state_;
    started_ = std::system((script_ + " start " + state + " --max-allowed-packet=1M >/dev/null 2>&1").c_str()) == 0;
    std::ifstream description(state + "/database.env");
    std::string line;
    while (std::getline(description, line)) {
      if (line.rfind("PORT=", 0) == 0) port_ = line.substr(5);
    }
  }
  ~SmallPacketServer() {
    std::system((script_ + " stop " + state_ + " >/dev/null 2>&1").c_str());
  }
  bool started() const { return started_ && !port_.empty(); }
  const std::string& port() const { return port_; }

 private:
  std::string script_;
  std::string state_;
  bool started_ = false;
  std::string port_;
};

std::string FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const DatabaseError& error) {
    return error.what();
  }
  ADD_FAILURE() << "no failure";
  return {};
}

bool EndsWithAdvice(const std::string& description) {
  const std::string advice = std::string("\n") + kPacketLimitAdvice;
  return description.size() > advice.size() &&
         description.compare(description.size() - advice.size(), advice.size(), advice) == 0;
}

TEST(PacketLimitTest, ValuesOverTheServersLimitSayWhatToChange) {
  SmallPacketServer server;
  ASSERT_TRUE(server.started());
  const testing::TestServer& testServer = testing::GetTestServer();
  testing::OdbcConfiguration& odbc = testing::OdbcConfiguration::Get();
  odbc.AddDriver(testServer.driver, {{"Driver", testServer.driverLibrary}});
  odbc.AddDataSource("small_packets",
                     {{"Driver", testServer.driver}, {"SERVER", "127.0.0.1"}, {"PORT", server.port()},
                      {"DATABASE", "proscenia"}});

  Connection connection;
  connection.Open("DSN=small_packets;UID=Proscenia;PASSWORD=QUARVEN42");
  connection.Execute("CREATE TABLE Blobs (data LONGBLOB NOT NULL)");

  // An ordinary failure carries the driver's text alone.
  const std::string syntax = FailureOf([&] { connection.Execute("SELEC 1"); });
  EXPECT_NE(syntax.find("SQL syntax"), std::string::npos) << syntax;
  EXPECT_FALSE(EndsWithAdvice(syntax)) << syntax;

  // A bound value sent in pieces: the server refuses the packet and drops the connection.
  const Bytes twoMegabytes(2 << 20, 0x5A);
  const std::string refused = FailureOf([&] {
    connection.ExecuteUpdate("INSERT INTO Blobs (data) VALUES (?)", {Value::Binary(twoMegabytes)});
  });
  EXPECT_NE(refused.find("max_allowed_packet"), std::string::npos) << refused;
  EXPECT_TRUE(EndsWithAdvice(refused)) << refused;

  // The same value pasted into the statement.
  Connection second;
  second.Open("DSN=small_packets;UID=Proscenia;PASSWORD=QUARVEN42");
  const std::string dropped = FailureOf([&] {
    second.Execute("INSERT INTO Blobs (data) VALUES ('" + std::string(2 << 20, 'Z') + "')");
  });
  EXPECT_TRUE(EndsWithAdvice(dropped)) << dropped;
  std::cout << "Refused parameter: " << refused << "\nRefused statement: " << dropped << "\n";
  for (Connection* used : {&connection, &second}) {
    try {
      used->Execute("SELECT 1");
      std::cout << "connection still usable\n";
    } catch (const DatabaseError& error) {
      std::cout << "Next statement: " << error.SqlState() << " " << error.NativeError() << " " << error.what() << "\n";
    }
  }
}

}  // namespace
}  // namespace maj::db
