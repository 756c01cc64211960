#include "db/query_helpers.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "db/database.h"
#include "db/update_table.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

TEST(QuoteSqlTest, DoublesQuotesAndBackslashesInTextsAndBackQuotesInIdentifiers) {
  EXPECT_EQ(QuoteSqlText("O'Brien\\x"), "O''Brien\\\\x");
  EXPECT_EQ(QuoteSqlText("''\\\\"), "''''\\\\\\\\");
  EXPECT_EQ(QuoteSqlText("report.ocx \"quoted\" %_`"), "report.ocx \"quoted\" %_`");
  EXPECT_EQ(QuoteSqlIdentifier("Fichier64"), "`Fichier64`");
  EXPECT_EQ(QuoteSqlIdentifier("a`b'"), "`a``b'`");
}

TEST(NormalizeVersionTest, PadsEveryPieceToThreeDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"13.1.10", "013.001.010"}, {"2.0.1234", "002.000.1234"}, {"7", "007"},
      {"1.02.3", "001.002.003"},  {"0010.00000", "010.000"},    {" 13 . 1", "013.001"},
      {"-1.+2", "-001.002"},      {"", ""},                     {"12345678901234567890", "12345678901234567890"}};
  for (const auto& [version, expected] : cases) EXPECT_EQ(NormalizeVersion(version), expected) << version;
  EXPECT_LT(NormalizeVersion("9.999.999"), NormalizeVersion("10.0.0"));
  for (const char* version : {"1..2", "1.", ".1", "1.a", "1.2b", "1,5", "1.2e3", " . ", "1.+"}) {
    EXPECT_THROW(NormalizeVersion(version), std::invalid_argument) << version;
  }
}

TEST(TrimAtNulTest, KeepsTheTrimmedTextBeforeTheFirstNul) {
  EXPECT_EQ(TrimAtNul(std::string("  proscenia  \0garbage\0", 23)), "proscenia");
  EXPECT_EQ(TrimAtNul(std::string("\0", 1)), "");
  EXPECT_EQ(TrimAtNul(std::string("a b\0", 4)), "a b");
  EXPECT_THROW(TrimAtNul("no terminator"), std::invalid_argument);
}

// OpenQuery chooses its way by the driver generation of the connected data source: a driver entry with
// DriverODBCVer 03.51 opens a result set with the cursor type asked for; the Debian driver entry (no version,
// no digits in its name) executes on the connection, which gives a forward-only result set.
class OpenQueryTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    std::string dataSource = database_.DataSourceName();
    if (GetParam()) {
      testing::OdbcConfiguration::Get().AddDriver(
          "MariaDB 3.51 for OpenQuery", {{"Driver", testing::GetTestServer().driverLibrary}, {"DriverODBCVer", "03.51"}});
      dataSource = database_.AddDataSource("odbc351", {{"Driver", "MariaDB 3.51 for OpenQuery"}});
    }
    ConnectDataSource(dataSource, [](const std::string& description) { FAIL() << description; });
    ASSERT_EQ(DriverIsOdbc351(), GetParam() ? 1 : 0);
    EnsureUpdateTable();
    database_.Execute("INSERT INTO Fichier64 (NOM, VERSION, DATA) VALUES ('b.dll', '001', ''), ('a.dll', '002', '')");
  }

  testing::TestDatabase database_;
};

TEST_P(OpenQueryTest, RunsSelectAndUpdate) {
  ResultSet rows = OpenQuery("SELECT nom, version FROM Fichier64 ORDER BY cle_fichier", kCursorDynamic);
  EXPECT_EQ(rows.CursorType(), GetParam() ? kCursorDynamic : kCursorForwardOnly);
  EXPECT_EQ(rows.Field("NOM").AsText(), "b.dll");
  rows.MoveNext();
  EXPECT_EQ(rows.Field("Version").AsText(), "002");
  rows.MoveNext();
  EXPECT_TRUE(rows.AtEnd());

  EXPECT_FALSE(OpenQuery(" UPDATE Fichier64 SET WINXP = 0 WHERE Nom = 'a.dll' ", kCursorDynamic).IsOpen());
  EXPECT_EQ(database_.QueryValue("SELECT GROUP_CONCAT(WINXP ORDER BY NOM) FROM Fichier64"), "0,-1");
  // The server compares table names with their letter case.
  const std::string failure = testing::FailureOf([] { OpenQuery("SELECT nom FROM FICHIER64", kCursorDynamic); });
  EXPECT_NE(failure.find("FICHIER64' doesn't exist"), std::string::npos) << failure;
}

INSTANTIATE_TEST_SUITE_P(BothDriverGenerations, OpenQueryTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Odbc351" : "OlderDriver"; });

}  // namespace
}  // namespace maj::db
