#include "db/prepared_statement.h"

#include <gtest/gtest.h>

#include <string>

#include "db/connection.h"
#include "db/database.h"
#include "db/database_error.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

class PreparedStatementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_.ConnectShared();
    database_.Execute("CREATE TABLE Names (nom VARCHAR(100) NOT NULL, version VARCHAR(20) NOT NULL) "
                      "COLLATE='latin1_swedish_ci'");
    database_.Execute(
        "INSERT INTO Names VALUES ('a.dll', '001'), ('A.DLL', '003'), ('a.dll', '002'), ('b.dll', '001'), "
        "('l''app\\\\x.dll', '007')");
  }

  // The statements this session has had the server prepare so far.
  static long PreparedSoFar() {
    return std::stol(SharedConnection().Execute("SHOW SESSION STATUS LIKE 'Com_stmt_prepare'").Field(1).AsText());
  }

  testing::TestDatabase database_;
};

TEST_F(PreparedStatementTest, EachRunGivesTheRowsOfItsOwnValuesFromOnePreparation) {
  const long before = PreparedSoFar();
  PreparedStatement newest(SharedConnection(),
                           "SELECT version FROM Names WHERE nom = ? ORDER BY version DESC LIMIT 1");
  for (int round = 0; round < 10; ++round) {
    // The server's collation compares the names, ignoring letter case.
    EXPECT_EQ(newest.Execute({Parameter::Text("a.DLL")}).Field("version").AsText(), "003");
    ResultSet rows = newest.Execute({Parameter::Text("b.dll")});
    EXPECT_EQ(rows.Field(0).AsText(), "001");
    rows.MoveNext();
    EXPECT_TRUE(rows.AtEnd());
  }
  // Quotes and backslashes are bound, not pasted; a name without rows gives no row.
  EXPECT_EQ(newest.Execute({Parameter::Text("l'app\\x.dll")}).Field(0).AsText(), "007");
  EXPECT_TRUE(newest.Execute({Parameter::Text("c.dll")}).AtEnd());
  // 22 runs, prepared once (the status queries themselves may count).
  EXPECT_LE(PreparedSoFar() - before, 3);
}

TEST_F(PreparedStatementTest, RefusedRunsAndStatementsWithoutRows) {
  // A run while the previous rows are open is refused and leaves them as they were.
  PreparedStatement select(SharedConnection(), "SELECT nom FROM Names WHERE version = ? ORDER BY nom");
  ResultSet rows = select.Execute({Parameter::Text("001")});
  EXPECT_THROW(select.Execute({Parameter::Text("002")}), DatabaseError);
  rows.MoveNext();
  ASSERT_FALSE(rows.AtEnd());
  EXPECT_EQ(rows.Field("nom").AsText(), "b.dll");
  rows.Close();
  EXPECT_EQ(select.Execute({Parameter::Text("002")}).Field("nom").AsText(), "a.dll");

  PreparedStatement rename(SharedConnection(), "UPDATE Names SET version = ? WHERE nom = ?");
  EXPECT_FALSE(rename.Execute({Parameter::Text("009"), Parameter::Text("b.dll")}).IsOpen());
  EXPECT_FALSE(rename.Execute({Parameter::Text("010"), Parameter::Text("B.DLL")}).IsOpen());
  EXPECT_EQ(database_.QueryValue("SELECT version FROM Names WHERE nom = 'b.dll'"), "010");

  EXPECT_THROW(PreparedStatement(SharedConnection(), "SELECT nope FROM Names WHERE nom = ?"), DatabaseError);
  SharedConnection().Close();
  EXPECT_THROW(rename.Execute({Parameter::Text("011"), Parameter::Text("b.dll")}), DatabaseError);
}

}  // namespace
}  // namespace maj::db
