#include "tests/support/test_database.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>

#include "db/database.h"
#include "db/query_helpers.h"
#include "platform/text.h"

namespace maj::testing {
namespace {

std::string DescriptionFile() {
  if (const char* file = std::getenv("MAJ_TEST_DATABASE"); file != nullptr && *file != '\0') return file;
  return MAJ_TEST_DATABASE_FILE;
}

std::map<std::string, std::string> ReadDescription(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error("No test database server: " + path +
                             " is missing. Run the tests through ctest, or start one with "
                             "eval \"$(scripts/testdb start)\".");
  }
  std::map<std::string, std::string> values;
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

void WriteIni(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

void SetEntry(OdbcEntries& entries, const std::string& key, const std::string& value) {
  for (auto& entry : entries) {
    if (platform::EqualsIgnoreCase(entry.first, key)) {
      entry.second = value;
      return;
    }
  }
  entries.emplace_back(key, value);
}

int NextNumber() {
  static int number = 0;
  return ++number;
}

}  // namespace

const TestServer& GetTestServer() {
  static const TestServer server = [] {
    const std::map<std::string, std::string> values = ReadDescription(DescriptionFile());
    TestServer result;
    result.driver = values.at("DRIVER");
    result.driverLibrary = values.at("DRIVER_LIBRARY");
    result.host = values.at("HOST");
    result.port = std::stoi(values.at("PORT"));
    result.socket = values.at("SOCKET");
    result.adminUser = values.at("ADMIN_USER");
    if (values.count("TLS_CA")) result.tlsCa = values.at("TLS_CA");
    if (values.count("TLS_OTHER_HOST")) result.tlsOtherHost = values.at("TLS_OTHER_HOST");
    return result;
  }();
  return server;
}

OdbcConfiguration& OdbcConfiguration::Get() {
  static OdbcConfiguration configuration;
  return configuration;
}

OdbcConfiguration::OdbcConfiguration() {
  setenv("ODBCSYSINI", folder_.str().c_str(), 1);
  setenv("ODBCINI", (folder_.path() / "odbc.ini").c_str(), 1);
  WriteFiles();
}

void OdbcConfiguration::AddDriver(const std::string& name, const OdbcEntries& entries) {
  std::erase_if(drivers_, [&](const auto& driver) { return driver.first == name; });
  drivers_.emplace_back(name, entries);
  WriteFiles();
}

void OdbcConfiguration::AddDataSource(const std::string& name, const OdbcEntries& entries,
                                      const std::string& listedDriver) {
  std::erase_if(dataSources_, [&](const DataSource& source) { return source.name == name; });
  std::string listed = listedDriver;
  for (const auto& [key, value] : entries) {
    if (listed.empty() && platform::EqualsIgnoreCase(key, "Driver")) listed = value;
  }
  dataSources_.push_back({name, entries, listed});
  WriteFiles();
}

void OdbcConfiguration::WriteFiles() const {
  std::string drivers;
  for (const auto& [name, entries] : drivers_) {
    drivers += "[" + name + "]\n";
    for (const auto& [key, value] : entries) drivers += key + "=" + value + "\n";
    drivers += "\n";
  }
  std::string sources = "[ODBC Data Sources]\n";
  for (const DataSource& source : dataSources_) {
    if (!source.listedDriver.empty()) sources += source.name + "=" + source.listedDriver + "\n";
  }
  for (const DataSource& source : dataSources_) {
    sources += "\n[" + source.name + "]\n";
    for (const auto& [key, value] : source.entries) sources += key + "=" + value + "\n";
  }
  WriteIni((folder_.path() / "odbcinst.ini").string(), drivers);
  WriteIni((folder_.path() / "odbc.ini").string(), sources);
}

TestDatabase::TestDatabase() {
  const TestServer& server = GetTestServer();
  OdbcConfiguration::Get().AddDriver(server.driver, {{"Driver", server.driverLibrary}, {"Threading", "0"}});
  databaseName_ = "proscenia_" + std::to_string(getpid()) + "_" + std::to_string(NextNumber());
  admin_.Open("DRIVER={" + server.driver + "};SERVER=" + server.host + ";PORT=" + std::to_string(server.port) +
              ";UID=" + server.adminUser);
  admin_.Execute("CREATE DATABASE " + db::QuoteSqlIdentifier(databaseName_));
  admin_.Execute("USE " + db::QuoteSqlIdentifier(databaseName_));
  dataSourceName_ = AddDataSource("test", {});
}

TestDatabase::~TestDatabase() {
  db::CloseDatabase();
  try {
    admin_.Execute("DROP DATABASE IF EXISTS " + db::QuoteSqlIdentifier(databaseName_));
  } catch (const std::exception&) {
    // The server goes away with the test run anyway.
  }
}

std::string TestDatabase::AddDataSource(const std::string& prefix, const OdbcEntries& overrides) {
  const TestServer& server = GetTestServer();
  const std::string name = prefix + "_" + std::to_string(NextNumber());
  OdbcEntries entries = {{"Driver", server.driver},
                         {"SERVER", server.host},
                         {"PORT", std::to_string(server.port)},
                         {"DATABASE", databaseName_}};
  for (const auto& [key, value] : overrides) SetEntry(entries, key, value);
  OdbcConfiguration::Get().AddDataSource(name, entries);
  return name;
}

void TestDatabase::ConnectShared() {
  db::ConnectDataSource(dataSourceName_, [](const std::string& description) {
    throw std::runtime_error(description);
  });
}

void TestDatabase::Execute(const std::string& sql) { admin_.Execute(sql); }

std::vector<std::vector<std::optional<std::string>>> TestDatabase::Query(const std::string& sql) {
  std::vector<std::vector<std::optional<std::string>>> rows;
  db::ResultSet result = admin_.Execute(sql);
  if (!result.IsOpen()) return rows;
  for (; !result.AtEnd(); result.MoveNext()) {
    std::vector<std::optional<std::string>>& row = rows.emplace_back();
    for (int i = 0; i < result.FieldCount(); ++i) {
      const db::Value value = result.Field(i);
      row.push_back(value.IsNull() ? std::nullopt : std::optional<std::string>(value.AsText()));
    }
  }
  return rows;
}

std::optional<std::string> TestDatabase::QueryValue(const std::string& sql) {
  const auto rows = Query(sql);
  if (rows.empty() || rows.front().empty()) throw std::runtime_error("no row for: " + sql);
  return rows.front().front();
}

}  // namespace maj::testing
