#include "db/prepared_statement.h"

#include <gtest/gtest.h>

#include <string>

#include "db/connection.h"
#include "db/database.h"
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

  testing::TestDatabase database_;
};

TEST_F(PreparedStatementTest, EachRunGivesTheRowsOfItsOwnValues) {
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
}

}  // namespace
}  // namespace maj::db
