#include "db/update_table.h"

#include <gtest/gtest.h>

#include <string>

#include "db/database.h"
#include "db/query_helpers.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

constexpr char kThisTable[] = " WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'Fichier64'";

class UpdateTableTest : public ::testing::Test {
 protected:
  void SetUp() override { database_.ConnectShared(); }
  testing::TestDatabase database_;
};

TEST_F(UpdateTableTest, CreatesTheTableOnAnEmptyDatabase) {
  EnsureUpdateTable();
  EXPECT_EQ(database_.QueryValue(std::string("SELECT CONCAT(ENGINE, ' ', TABLE_COLLATION) FROM "
                                             "information_schema.TABLES") + kThisTable),
            "MyISAM latin1_swedish_ci");
  EXPECT_EQ(database_.QueryValue(std::string("SELECT GROUP_CONCAT(COLUMN_NAME ORDER BY ORDINAL_POSITION) FROM "
                                             "information_schema.COLUMNS") + kThisTable),
            "CLE_FICHIER,VERSION,DATA,TYPE,NOM,Archive,WIN9X,WINNT4,WIN2000,WINXP,WIN2003,WINME,Vista,Win7,Win8,"
            "condition,typeCondition,action1,actionData1,action2,actionData2,action3,actionData3");
  EXPECT_EQ(database_.QueryValue(std::string("SELECT GROUP_CONCAT(DISTINCT INDEX_NAME ORDER BY INDEX_NAME) FROM "
                                             "information_schema.STATISTICS") + kThisTable),
            "action1,action2,action3,condition,NOM,PRIMARY,typeCondition,VERSION,Vista,WIN2000,WIN2003,Win7,Win8,"
            "WIN9X,WINME,WINNT4,WINXP");

  // A row inserted without flags applies up to Server 2003 and to nothing from Vista on.
  database_.Execute("INSERT INTO Fichier64 (NOM, DATA) VALUES ('Orv_Spec.exe', 'x')");
  EXPECT_EQ(database_.QueryValue(
                "SELECT CONCAT_WS('|', CLE_FICHIER, VERSION, TYPE, IFNULL(Archive, 'NULL'), WIN9X, WINNT4, WIN2000, "
                "WINXP, WIN2003, WINME, Vista, Win7, Win8, `condition`, typeCondition, action1, actionData1, action2, "
                "actionData2, action3, actionData3) FROM Fichier64"),
            "1|0|0|NULL|-1|-1|-1|-1|-1|-1|0|0|0||0|0||0||0|");

  // NOM compares without regard to letter case.
  ResultSet found = OpenQuery("SELECT nom FROM Fichier64 WHERE nom = 'ORV_SPEC.EXE'", kCursorDynamic);
  ASSERT_FALSE(found.AtEnd());
  EXPECT_EQ(found.Field("NOM").AsText(), "Orv_Spec.exe");
}

TEST_F(UpdateTableTest, LeavesAnExistingTableAsItIsAndIgnoresEveryFailure) {
  database_.Execute("CREATE TABLE Fichier64 (NOM VARCHAR(10) NOT NULL) ENGINE=InnoDB");
  database_.Execute("INSERT INTO Fichier64 VALUES ('kept')");
  EnsureUpdateTable();
  EXPECT_EQ(database_.QueryValue(std::string("SELECT GROUP_CONCAT(COLUMN_NAME) FROM information_schema.COLUMNS") +
                                 kThisTable),
            "NOM");
  EXPECT_EQ(database_.QueryValue("SELECT GROUP_CONCAT(NOM) FROM Fichier64"), "kept");

  database_.Execute("DROP TABLE Fichier64");
  CloseDatabase();
  EnsureUpdateTable();
  EXPECT_EQ(database_.QueryValue("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()"),
            "0");
}

}  // namespace
}  // namespace maj::db
