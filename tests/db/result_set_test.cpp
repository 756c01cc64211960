#include "db/result_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "db/connection.h"
#include "db/database.h"
#include "db/database_error.h"
#include "db/update_table.h"
#include "tests/support/temp_folder.h"
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
  testing::TempFolder folder_;
};

TEST_F(ResultSetTest, ReadsRowsInOrderByNameIgnoringCaseOrByPosition) {
  ResultSet rows = connection().Execute("SELECT id, Name, data, n AS Amount FROM Sample ORDER BY id");
  EXPECT_EQ(rows.CursorType(), kCursorForwardOnly);
  ASSERT_EQ(rows.FieldCount(), 4);
  EXPECT_EQ(rows.FieldName(3), "Amount");

  // Columns in any order, each as often as wanted.
  EXPECT_EQ(rows.Field("AMOUNT").AsInteger(), -5);
  EXPECT_EQ(rows.Field("ID").AsInteger(), 1);
  EXPECT_EQ(rows.Field("name").AsText(), "Réglages l'aide");
  EXPECT_EQ(rows.Field(2).AsBytes(), (Bytes{0x00, 0xFF, 0x00, 0x41}));
  EXPECT_EQ(rows.Field("Id").AsText(), "1");

  EXPECT_THROW(rows.Field("nope"), DatabaseError);
  EXPECT_THROW(rows.Field(4), DatabaseError);

  rows.MoveNext();
  for (const char* column : {"name", "data", "amount"}) EXPECT_TRUE(rows.Field(column).IsNull()) << column;
  EXPECT_THROW(rows.Field("amount").AsInteger(), DatabaseError);

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
  EXPECT_THROW(rows.MoveNext(), DatabaseError);
  EXPECT_THROW(rows.Field("id"), DatabaseError);
  rows.Close();
  EXPECT_EQ(rows.State(), kStateClosed);
  EXPECT_THROW(rows.AtEnd(), DatabaseError);

  // Closing the connection closes its result sets.
  ResultSet open = connection().Execute("SELECT id FROM Sample ORDER BY id");
  EXPECT_THROW(connection().Open("DSN=whatever"), DatabaseError);  // already open
  connection().Close();
  EXPECT_EQ(connection().State(), kStateClosed);
  EXPECT_THROW(open.Field("id"), DatabaseError);
  EXPECT_THROW(open.MoveNext(), DatabaseError);
  EXPECT_THROW(connection().Execute("SELECT 1"), DatabaseError);
}

TEST_F(ResultSetTest, BoundParametersAreNeverPastedIntoTheStatement) {
  const std::string tricky = "l'aide\\' OR '1'='1";
  EXPECT_EQ(connection().ExecuteUpdate("INSERT INTO Sample (id, name, data, n) VALUES (?, ?, ?, ?)",
                                       {Value::Integer(4), Value::Text(tricky), Value::Binary(Bytes{0, 1, 2, 0}),
                                        Value::Null()}),
            1);
  ResultSet found = connection().Execute("SELECT CONCAT_WS('|', id, name, HEX(data), IFNULL(n, 'NULL')) FROM Sample "
                                         "WHERE name = ?", {Value::Text(tricky)});
  EXPECT_EQ(found.Field(0).AsText(), "4|" + tricky + "|00010200|NULL");
  found.MoveNext();
  EXPECT_TRUE(found.AtEnd());

  EXPECT_EQ(connection().ExecuteUpdate("UPDATE Sample SET n = ? WHERE id > ?", {Value::Integer(7), Value::Integer(1)}),
            3);
  EXPECT_EQ(connection().ExecuteUpdate("DELETE FROM Sample WHERE id = ?", {Value::Integer(99)}), 0);
}

// The columns that publishing sets are checked through the stored rows (tests/transfer).
TEST_F(ResultSetTest, InsertsThroughAnUpdatableEmptyResultSetWithKnownColumnsOnly) {
  EnsureUpdateTable();
  ResultSet rows;
  rows.Open("SELECT * FROM Fichier64 WHERE 1=0", connection(), kCursorKeyset, kLockOptimistic);
  EXPECT_THROW(rows.SetField("Nom", Value::Text("x")), DatabaseError);  // no AddNew yet
  EXPECT_THROW(rows.Open("SELECT 1", connection()), DatabaseError);     // already open
  rows.AddNew();
  EXPECT_THROW(rows.SetField("missing", Value::Text("x")), DatabaseError);
  rows.SetField("Nom", Value::Text("report.ocx"));
  rows.SetFieldFromFile("Data", folder_.WriteFile("volume.001", std::string("PK\3\4\0zip", 8)));
  rows.Update();
  // Columns not set keep their defaults.
  EXPECT_EQ(database_.QueryValue("SELECT CONCAT_WS('|', CLE_FICHIER, VERSION, NOM, IFNULL(Archive, 'NULL'), WIN9X, "
                                 "Win8, `condition`, action1, HEX(DATA)) FROM Fichier64"),
            "1|0|report.ocx|NULL|-1|0||0|504B0304007A6970");

  ResultSet readOnly;
  readOnly.Open("SELECT * FROM Sample WHERE 1=0", connection(), kCursorDynamic, kLockUnspecified);
  EXPECT_THROW(readOnly.AddNew(), DatabaseError);
  EXPECT_THROW(connection().Execute("SELECT * FROM Sample WHERE 1=0").AddNew(), DatabaseError);
  // The database's refusal (duplicate key) reaches the caller.
  ResultSet duplicate;
  duplicate.Open("SELECT * FROM Sample WHERE 1=0", connection(), kCursorKeyset, kLockOptimistic);
  duplicate.AddNew();
  duplicate.SetField("ID", Value::Integer(1));
  EXPECT_THROW(duplicate.Update(), DatabaseError);
  EXPECT_EQ(database_.QueryValue("SELECT COUNT(*) FROM Sample"), "3");
}

TEST_F(ResultSetTest, SavesAColumnToAFileInPieces) {
  ResultSet rows = connection().Execute("SELECT id, data, name FROM Sample WHERE id = 3");
  const std::string target = folder_.WriteFile("out.bin", "old content, longer than nothing");
  EXPECT_EQ(rows.SaveFieldToFile("DATA", target), 200000u);
  const std::string saved = testing::ReadFileText(target);
  ASSERT_EQ(saved.size(), 200000u);
  EXPECT_EQ(saved.substr(199992), std::string("\0\x11\x22\x33\0\x11\x22\x33", 8));
  EXPECT_EQ(rows.Field("id").AsInteger(), 3);
  EXPECT_EQ(rows.Field("name").AsText().size(), 200000u);
  EXPECT_THROW(rows.Field("data"), DatabaseError);  // streamed away

  ResultSet nulls = connection().Execute("SELECT data FROM Sample WHERE id = 2");
  const std::string absent = (folder_.path() / "null.bin").string();
  EXPECT_THROW(nulls.SaveFieldToFile("data", absent), DatabaseError);
  EXPECT_FALSE(std::filesystem::exists(absent));
}

}  // namespace
}  // namespace maj::db
