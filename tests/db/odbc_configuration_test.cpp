#include "db/odbc_configuration.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "tests/support/test_database.h"

namespace maj::db {
namespace {

// Each case gets driver and data source names of its own: unixODBC keeps its answers for a while.
std::string AddSource(const std::string& name, const std::string& driver, const testing::OdbcEntries& driverEntries) {
  testing::OdbcConfiguration& odbc = testing::OdbcConfiguration::Get();
  odbc.AddDriver(driver, driverEntries);
  odbc.AddDataSource(name, {{"Driver", driver}, {"SERVER", "127.0.0.1"}});
  return name;
}

TEST(GetDriverOdbcVersionTest, ReadsDriverOdbcVerOfTheDataSourcesDriver) {
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("v350", "Driver v350", {{"DriverODBCVer", "03.50"}})), 3.5);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("v351", "Driver v351", {{"DriverODBCVer", "03.51"}})), 3.51);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("v380", "Driver v380", {{"DriverODBCVer", "03.80"}})), 3.8);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("v3511", "Driver v3511", {{"DriverODBCVer", "03.51.12"}})),
                   3.5112);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("vbad", "Driver vbad", {{"DriverODBCVer", "three"}})), 0);
  EXPECT_EQ(DataSourceDriver("v351"), "Driver v351");
  EXPECT_EQ(DriverOdbcVersionText("Driver v380"), "03.80");
}

TEST(GetDriverOdbcVersionTest, WithoutDriverOdbcVerReadsTheDigitsOfTheDriversName) {
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("n351", "MySQL ODBC 3.51 Driver", {{"Driver", "/x"}})), 3.51);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("n51", "MySQL ODBC 5.1 Driver", {{"Driver", "/x"}})), 5.1);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("nnone", "MariaDB Unicode", {{"Driver", "/x"}})), 0);
  // A driver given as a library path: the folders' digits (x86_64) are not a version.
  testing::OdbcConfiguration::Get().AddDataSource(
      "npath", {{"Driver", "/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so"}, {"SERVER", "127.0.0.1"}});
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion("npath"), 0);
}

TEST(GetDriverOdbcVersionTest, UnknownDataSourceGivesZero) {
  testing::OdbcConfiguration::Get();
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion("no such source"), 0);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(""), 0);
  EXPECT_EQ(DataSourceDriver("no such source"), "");
}

TEST(GetDriverOdbcVersionTest, FallsBackToTheDataSourcesList) {
  // A data source whose section has no Driver key: the list "ODBC Data Sources" names the driver.
  testing::OdbcConfiguration& odbc = testing::OdbcConfiguration::Get();
  odbc.AddDriver("Listed Driver", {{"DriverODBCVer", "03.80"}});
  odbc.AddDataSource("listed", {{"SERVER", "127.0.0.1"}}, "Listed Driver");
  EXPECT_EQ(DataSourceDriver("listed"), "Listed Driver");
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion("listed"), 3.8);
}

TEST(ParseLocaleNumberTest, ReadsCommaAndPointAsTheDecimalSeparator) {
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("03,51"), 3.51);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("03.51"), 3.51);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("5,1"), 5.1);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("3E"), 3);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("1F2"), 12);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber(""), 0);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("3,5,1"), 0);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("abc"), 0);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("0x10"), 0);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("inf"), 0);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber(","), 0);
}

// Restores the numeric locale of the process.
class ScopedNumericLocale {
 public:
  explicit ScopedNumericLocale(const char* name) : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
    active_ = std::setlocale(LC_NUMERIC, name) != nullptr;
  }
  ~ScopedNumericLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
  bool active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

TEST(ParseLocaleNumberTest, UnderACommaDecimalLocaleBothSeparatorsParse) {
  // scripts/setup generates fr_FR.UTF-8.
  ScopedNumericLocale french("fr_FR.UTF-8");
  ASSERT_TRUE(french.active()) << "locale fr_FR.UTF-8 missing: run scripts/setup";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("03,51"), 3.51);
  EXPECT_DOUBLE_EQ(ParseLocaleNumber("03.51"), 3.51);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("fr351", "Driver fr351", {{"DriverODBCVer", "03.51"}})), 3.51);
  EXPECT_DOUBLE_EQ(GetDriverOdbcVersion(AddSource("frname", "MySQL ODBC 3.51 Driver fr", {{"Driver", "/x"}})), 3.51);
}

}  // namespace
}  // namespace maj::db
