#include "db/result_set.h"

#include <gtest/gtest.h>

#include <string>

#include "db/connection.h"
#include "db/database.h"
#include "db/database_error.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

class ResultSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_.ConnectShared();
    database_.Execute(
        "CREATE TABLE Sample (id INT PRIMARY KEY, name MEDIUMTEXT NULL, data LONGBLOB NULL, n BIGINT NULL)");
    // Row 3 holds values longer than one piece of the driver.
    database_.Execute(
        "INSERT INTO Sample VALUES (1, 'Réglages l''aide', x'00FF0041', -5), (2, NULL, NULL, NULL), "
        "(3, REPEAT('abcdefghij', 20000), REPEAT(x'00112233', 50000), 9000000000)");
  }

  Connection& connection() { return SharedConnection(); }

  testing::TestDatabase database_;
};

TEST_F(ResultSetTest, ReadsRowsInOrderByNameIgnoringCaseOrByPosition) {
  ResultSet rows = connection().Execute("SELECT id, Name, data, n AS Amount FROM Sample ORDER BY id");

  // Columns in any order, each as often as wanted.
  EXPECT_EQ(rows.Field("AMOUNT").AsInteger(), -5);
  EXPECT_EQ(rows.Field("ID").AsInteger(), 1);
  EXPECT_EQ(rows.Field("name").AsText(), "Réglages l'aide");
  EXPECT_EQ(rows.Field(2).AsBytes(), (Bytes{0x00, 0xFF, 0x00, 0x41}));

  EXPECT_THROW(rows.Field("nope"), DatabaseError);

  rows.MoveNext();
  for (const char* column : {"name", "data", "amount"}) EXPECT_TRUE(rows.Field(column).IsNull()) << column;

  rows.MoveNext();
  const std::string name = rows.Field("name").AsText();
  EXPECT_EQ(name.size(), 200000u);
  EXPECT_EQ(name.substr(199990), "abcdefghij");
  const Bytes data = rows.Field("data").AsBytes();
  ASSERT_EQ(data.size(), 200000u);
  EXPECT_EQ(data[199999], 0x33);
  EXPECT_EQ(rows.Field("amount").AsInteger(), 9000000000);

  rows.MoveNext();
  EXPECT_TRUE(rows.AtEnd());
  EXPECT_THROW(rows.Field("id"), DatabaseError);

  // Closing the connection closes its result sets.
  ResultSet open = connection().Execute("SELECT id FROM Sample ORDER BY id");
  connection().Close();
  EXPECT_THROW(open.Field("id"), DatabaseError);
  EXPECT_THROW(connection().Execute("SELECT 1"), DatabaseError);
}

// Bound parameters, inserts through an updatable result set and saving a column to a file in pieces are
// checked through publishing and fetching (tests/transfer, tests/engine).
}  // namespace
}  // namespace maj::db
