#include "db/database.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "config/installation.h"
#include "db/database_error.h"
#include "db/time_limits.h"
#include "platform/unique_fd.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

using testing::FailureOf;
using Clock = std::chrono::steady_clock;

// The limits the slow cases' data sources set for themselves (CONN_TIMEOUT, READ_TIMEOUT), and the time a
// loaded machine may add before the failure is reported.
constexpr int kShortLimitSeconds = 2;
constexpr auto kSlack = std::chrono::seconds(6);

// The description of a direct open's failure, to compare with what the handler receives.
std::string OpenFailure(const std::string& connectionString) {
  Connection connection;
  return FailureOf([&] { connection.Open(connectionString); });
}

std::string CurrentUser() { return SharedConnection().Execute("SELECT CURRENT_USER()").Field(0).AsText(); }

// A TCP socket on a free loopback port. Listening, it is a server whose connections complete and then hear
// nothing; not listening, it refuses them. With `greetingFrom`, each connection gets the greeting of the
// server on that port, then silence, as from a server that stops answering during the login.
class LoopbackServer {
 public:
  explicit LoopbackServer(bool listening, int greetingFrom = 0) : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address = LoopbackAddress(0);
    socklen_t length = sizeof address;
    if (::bind(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        (listening && ::listen(socket_.get(), 8) != 0)) {
      ADD_FAILURE() << "no loopback socket";
    }
    port_ = ntohs(address.sin_port);
    if (greetingFrom != 0) relay_ = std::thread([this, greetingFrom] { Greet(greetingFrom); });
  }
  ~LoopbackServer() {
    ::shutdown(socket_.get(), SHUT_RDWR);  // ends the pending accept()
    if (relay_.joinable()) relay_.join();
  }

  int port() const { return port_; }

 private:
  static sockaddr_in LoopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
  }

  void Greet(int serverPort) {
    for (;;) {
      platform::UniqueFd client(::accept(socket_.get(), nullptr, nullptr));
      if (!client.valid()) return;
      platform::UniqueFd server(::socket(AF_INET, SOCK_STREAM, 0));
      const sockaddr_in address = LoopbackAddress(serverPort);
      char greeting[4096];
      ssize_t size = 0;
      if (::connect(server.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        size = ::recv(server.get(), greeting, sizeof greeting, 0);
      }
      if (size > 0) platform::WriteAll(client.get(), greeting, static_cast<std::size_t>(size));
      held_.push_back(std::move(client));
      held_.push_back(std::move(server));
    }
  }

  platform::UniqueFd socket_;
  int port_ = 0;
  std::vector<platform::UniqueFd> held_;
  std::thread relay_;
};

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

TEST_F(ConnectDatabaseTest, FirstAccountOpensTheDataSourceOfTheSettingsWithTheTimeLimits) {
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

  // The program's limits go with every connection, unless the data source sets its own (0, no limit, is not
  // kept).
  const std::string own =
      database_.AddDataSource("own", {{"CONN_TIMEOUT", "90"}, {"READ_TIMEOUT", "600"}, {"WRITE_TIMEOUT", "0"}});
  const std::tuple<std::string, std::string, int> expected[] = {
      {database_.DataSourceName(), ";CONN_TIMEOUT=20;READ_TIMEOUT=60;WRITE_TIMEOUT=60", 20},
      {own, ";WRITE_TIMEOUT=60", 90}};
  for (const auto& [source, added, login] : expected) {
    const TimeLimitedConnection limited = WithTimeLimits("DSN=" + source);
    EXPECT_EQ(limited.connectionString, "DSN=" + source + added);
    EXPECT_EQ(limited.loginSeconds, login);
  }

  // An empty or missing name is the default data source, which does not exist: unixODBC would otherwise
  // open the first data source of odbc.ini.
  ConnectWithSettings("[DSN]\nother=x\n");
  ConnectWithSettings("[Elsewhere]\ndsnBill=" + database_.DataSourceName() + "\n");
  ASSERT_EQ(failures_.size(), 2u);
  for (const std::string& failure : failures_) {
    EXPECT_TRUE(failure.starts_with("Aucune source de données ODBC n'est indiquée pour la base de données.\n"
                                    "Détail : [unixODBC][Driver Manager]Data source name not found"))
        << failure;
  }
  EXPECT_EQ(SharedConnection().State(), kStateClosed);
}

// Every way of failing to connect reaches the handler within its time limit, with a French headline naming
// the data source, the driver's text as the detail, and what to check last.
TEST_F(ConnectDatabaseTest, EachFailureToConnectEndsWithinItsLimitSayingWhatToCheck) {
  const testing::TestServer& server = testing::GetTestServer();
  const LoopbackServer closed(false);
  const LoopbackServer silent(true);
  const LoopbackServer greetsThenSilent(true, server.port);
  const auto on = [&](const LoopbackServer& loopback) {
    return database_.AddDataSource("loopback", {{"PORT", std::to_string(loopback.port())},
                                                {"CONN_TIMEOUT", std::to_string(kShortLimitSeconds)}});
  };
  struct Case {
    std::string dataSource;
    std::string headline;
    std::string detail;
    std::string check;
  };
  const std::vector<Case> cases = {
      {"absent_source", "La source de données ODBC « absent_source » est introuvable sur ce poste.",
       "Data source name not found", "Vérifiez le nom inscrit à la clé dsnBill"},
      {database_.AddDataSource("nodriver", {{"Driver", "/nonexistent/libmaodbc.so"}}),
       "Le pilote ODBC de la base de données ne peut pas être chargé", "Can't open lib",
       "Vérifiez que le pilote ODBC MariaDB ou MySQL est installé"},
      {on(closed), "Le serveur de base de données refuse la connexion", "Can't connect to server",
       "Vérifiez que le serveur MySQL est démarré"},
      {on(silent), "Le serveur de base de données ne répond pas dans le délai de connexion",
       "reading initial communication packet", "Vérifiez que le serveur MySQL fonctionne et n'est pas en maintenance"},
      {on(greetsThenSilent), "Le serveur de base de données ne répond pas dans le délai de connexion",
       "reading authorization packet", "Vérifiez que le serveur MySQL fonctionne et n'est pas en maintenance"},
      {"proscenia;PORT=1", "Le nom de source de données « proscenia;PORT=1 » contient un caractère interdit dans une chaîne de "
       "connexion ODBC.",
       "caractère « ; »", "Vérifiez le nom inscrit à la clé dsnBill"},
      {database_.AddDataSource("nodb", {{"DATABASE", "proscenia_does_not_exist"}}),
       "La base de données demandée n'existe pas sur le serveur", "Unknown database",
       "Vérifiez le nom de la base (DATABASE)"},
  };
  for (const Case& c : cases) {
    failures_.clear();
    const Clock::time_point start = Clock::now();
    ConnectDataSource(c.dataSource, Recorder());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(kShortLimitSeconds) + kSlack) << c.dataSource;
    ASSERT_EQ(failures_.size(), 1u) << c.dataSource;
    const std::string& failure = failures_.front();
    const std::string source = c.headline.find("« ") == std::string::npos
                                   ? " (source de données « " + c.dataSource + " »).\n"
                                   : "\n";
    EXPECT_TRUE(failure.starts_with(c.headline + source + "Détail : ")) << failure;
    const std::size_t detail = failure.find("\nDétail : ");
    const std::size_t check = failure.rfind('\n');
    EXPECT_NE(failure.substr(detail, check - detail).find(c.detail), std::string::npos) << failure;
    EXPECT_TRUE(failure.substr(check + 1).starts_with(c.check)) << failure;
    EXPECT_EQ(SharedConnection().State(), kStateClosed);
  }
}

// A server that stops answering on an open connection ends the statement within the read limit; the error
// says so in French, and a transfer that keeps moving is not cut by the same limit (the limit is per wait).
TEST_F(ConnectDatabaseTest, AServerSilentDuringAStatementEndsItWithinTheReadLimit) {
  const std::string source =
      database_.AddDataSource("quick", {{"READ_TIMEOUT", std::to_string(kShortLimitSeconds)}});
  ConnectDataSource(source, Recorder());
  ASSERT_TRUE(failures_.empty()) << failures_.front();
  // Bytes that keep coming for longer than the limit: a row of 100 000 bytes (more than the server buffers)
  // every 0.8 s, four times.
  ResultSet rows = SharedConnection().Execute(
      "SELECT REPEAT('x', 100000) AS piece, SLEEP(0.8) FROM (SELECT 1 UNION SELECT 2 UNION SELECT 3 UNION SELECT 4) t");
  std::size_t received = 0;
  for (; !rows.AtEnd(); rows.MoveNext()) received += rows.Field("piece").AsText().size();
  EXPECT_EQ(received, 400000u);

  const Clock::time_point start = Clock::now();
  const std::string failure = FailureOf([] { SharedConnection().Execute("SELECT SLEEP(20)"); });
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(kShortLimitSeconds) + kSlack);
  EXPECT_TRUE(failure.starts_with("La connexion à la base de données a été perdue ou le serveur ne répond plus "
                                  "(source de données « " + source + " »).\nDétail : "))
      << failure;
  EXPECT_NE(failure.find("Lost connection"), std::string::npos) << failure;
  EXPECT_TRUE(failure.ends_with(std::string("\n") + kLostConnectionAdvice)) << failure;
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
  ConnectDataSource(socketSource, Recorder());
  EXPECT_TRUE(failures_.empty()) << failures_.front();
  EXPECT_EQ(CurrentUser(), "ORVANE@localhost");

  // ORVANE refused as well: its own failure reaches the handler.
  alter("ORVANE", "IDENTIFIED BY 'locked-out'");
  const std::string second = OpenFailure("DSN=" + socketSource + ";UID=ORVANE");
  EXPECT_TRUE(second.starts_with("Le serveur de base de données refuse le compte de connexion (source de données « " +
                                 socketSource + " »).\nDétail : [ma-"))
      << second;
  EXPECT_NE(second.find("'ORVANE'@'localhost'"), std::string::npos) << second;
  ConnectDataSource(socketSource, Recorder());

  // Any other refusal of Proscenia (a locked account) ends there, although ORVANE would be accepted.
  alter("ORVANE", "IDENTIFIED BY ''");
  alter("Proscenia", "IDENTIFIED BY 'QUARVEN42' ACCOUNT LOCK");
  const std::string locked = OpenFailure("DSN=" + socketSource + ";UID=Proscenia;PASSWORD=QUARVEN42");
  EXPECT_NE(locked.find("Vérifiez que le compte existe sur le serveur avec le mot de passe attendu, qu'il n'est pas "
                        "verrouillé"),
            std::string::npos)
      << locked;
  ConnectDataSource(socketSource, Recorder());

  EXPECT_EQ(failures_, (std::vector<std::string>{second, locked}));
  EXPECT_EQ(SharedConnection().State(), kStateClosed);
}

}  // namespace
}  // namespace maj::db
