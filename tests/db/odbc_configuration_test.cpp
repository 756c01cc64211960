#include "db/odbc_configuration.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "tests/support/test_database.h"

namespace maj::db {
namespace {

// A data source served by a new driver entry. unixODBC keeps its answers for a while: every case needs names
// of its own.
std::string AddSource(const std::string& name, const std::string& driver, const testing::OdbcEntries& driverEntries) {
  testing::OdbcConfiguration& odbc = testing::OdbcConfiguration::Get();
  odbc.AddDriver(driver, driverEntries);
  odbc.AddDataSource(name, {{"Driver", driver}, {"SERVER", "127.0.0.1"}});
  return name;
}

TEST(GetDriverOdbcVersionTest, ReadsDriverOdbcVerElseTheDigitsOfTheDriversNameElseZero) {
  struct Case {
    const char* driver;
    const char* driverOdbcVer;  // nullptr: the entry has none
    double expected;
  };
  const Case cases[] = {{"Driver v351", "03.51", 3.51},
                        {"Driver v3.9", "03.51.12", 3.5112},
                        {"Driver vbad", "three", 0},
                        {"MySQL ODBC 3.51 Driver x", nullptr, 3.51},
                        {"MySQL ODBC 5.1 Driver x", nullptr, 5.1},
                        {"MySQL ODBC 3.51.12 Driver x", nullptr, 0},
                        {"MariaDB Unicode x", nullptr, 0}};
  int number = 0;
  for (const Case& c : cases) {
    testing::OdbcEntries entries = {{"Driver", "/x"}};
    if (c.driverOdbcVer != nullptr) entries.emplace_back("DriverODBCVer", c.driverOdbcVer);
    const std::string source = AddSource("version" + std::to_string(++number), c.driver, entries);
    EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(source), c.expected) << c.driver;
    EXPECT_EQ(DataSourceDriver(source), c.driver);
  }

  testing::OdbcConfiguration& odbc = testing::OdbcConfiguration::Get();
  // A section without Driver key: the list "ODBC Data Sources" names the driver.
  odbc.AddDriver("Listed Driver", {{"DriverODBCVer", "03.80"}});
  odbc.AddDataSource("listed", {{"SERVER", "127.0.0.1"}}, "Listed Driver");
  EXPECT_EQ(DataSourceDriver("listed"), "Listed Driver");
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion("listed"), 3.8);
  // A driver given as a library path: the folders' digits (x86_64) are not a version.
  odbc.AddDataSource("bypath", {{"Driver", "/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so"}, {"SERVER", "127.0.0.1"}});
  for (const char* source : {"bypath", "no such source", ""}) EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(source), 0);
  EXPECT_EQ(DataSourceDriver("no such source"), "");
}

TEST(ParseLocaleNumberTest, ReadsCommaAndPointAsTheDecimalSeparatorUnderEitherLocale) {
  const std::pair<const char*, double> cases[] = {{"03,51", 3.51}, {"03.51", 3.51}, {"5,1", 5.1}, {"3E", 3},
                                                  {"1F2", 12},     {"", 0},         {"3,5,1", 0}, {"abc", 0},
                                                  {"0x10", 0},     {"inf", 0},      {",", 0}};
  for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(ParseLocaleNumber(text), expected) << text;

  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  // scripts/setup generates fr_FR.UTF-8.
  ASSERT_NE(std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"), nullptr) << "locale fr_FR.UTF-8 missing: run scripts/setup";
  EXPECT_STREQ(std::localeconv()->decimal_point, ",");
  for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(ParseLocaleNumber(text), expected) << text;
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("fr351", "Driver fr351", {{"DriverODBCVer", "03.51"}})), 3.51);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("frname", "MySQL ODBC 3.51 Driver fr", {{"Driver", "/x"}})), 3.51);
  std::setlocale(LC_NUMERIC, previous.c_str());
}

}  // namespace
}  // namespace maj::db
