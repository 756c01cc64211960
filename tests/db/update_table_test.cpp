#include "db/update_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/database.h"
#include "db/query_helpers.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

class UpdateTableTest : public ::testing::Test {
 protected:
  void SetUp() override { database_.ConnectShared(); }
  testing::TestDatabase database_;
};

TEST_F(UpdateTableTest, CreatesTheTableOnAnEmptyDatabase) {
  EnsureUpdateTable();
  EXPECT_EQ(database_.QueryValue("SELECT ENGINE FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
                                 "AND TABLE_NAME = 'Fichier64'"),
            "MyISAM");
  EXPECT_EQ(database_.QueryValue("SELECT TABLE_COLLATION FROM information_schema.TABLES WHERE TABLE_SCHEMA = "
                                 "DATABASE() AND TABLE_NAME = 'Fichier64'"),
            "latin1_swedish_ci");
  EXPECT_EQ(database_.QueryValue("SELECT GROUP_CONCAT(COLUMN_NAME ORDER BY ORDINAL_POSITION) FROM "
                                 "information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = "
                                 "'Fichier64'"),
            "CLE_FICHIER,VERSION,DATA,TYPE,NOM,Archive,WIN9X,WINNT4,WIN2000,WINXP,WIN2003,WINME,Vista,Win7,Win8,"
            "condition,typeCondition,action1,actionData1,action2,actionData2,action3,actionData3");
  EXPECT_EQ(database_.QueryValue("SELECT COUNT(DISTINCT INDEX_NAME) FROM information_schema.STATISTICS WHERE "
                                 "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'Fichier64'"),
            "17");

  // A row inserted without flags applies up to Server 2003 and to nothing from Vista on.
  database_.Execute("INSERT INTO Fichier64 (NOM, DATA) VALUES ('Orv_Spec.exe', 'x')");
  const auto row = database_.Query(
      "SELECT CLE_FICHIER, VERSION, TYPE, Archive, WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME, Vista, Win7, "
      "Win8, `condition`, typeCondition, action1, actionData1, action2, actionData2, action3, actionData3 "
      "FROM Fichier64");
  ASSERT_EQ(row.size(), 1u);
  EXPECT_EQ(*row[0][0], "1");
  EXPECT_EQ(*row[0][1], "0");
  EXPECT_EQ(*row[0][2], "0");
  EXPECT_FALSE(row[0][3].has_value());
  for (int flag = 4; flag <= 9; ++flag) EXPECT_EQ(*row[0][flag], "-1") << flag;
  for (int flag = 10; flag <= 12; ++flag) EXPECT_EQ(*row[0][flag], "0") << flag;
  const std::vector<std::string> conditionAndActions = {"", "0", "0", "", "0", "", "0", ""};
  for (std::size_t i = 0; i < conditionAndActions.size(); ++i) EXPECT_EQ(*row[0][13 + i], conditionAndActions[i]) << i;

  // NOM compares without regard to letter case.
  ResultSet found = OpenQuery("SELECT nom FROM Fichier64 WHERE nom = 'ORV_SPEC.EXE'", kCursorDynamic);
  ASSERT_FALSE(found.AtEnd());
  EXPECT_EQ(found.Field("NOM").AsText(), "Orv_Spec.exe");
}

TEST_F(UpdateTableTest, LeavesAnExistingTableAsItIs) {
  database_.Execute("CREATE TABLE Fichier64 (NOM VARCHAR(10) NOT NULL) ENGINE=InnoDB");
  database_.Execute("INSERT INTO Fichier64 VALUES ('kept')");
  EnsureUpdateTable();
  EnsureUpdateTable();
  EXPECT_EQ(database_.QueryValue("SELECT GROUP_CONCAT(COLUMN_NAME) FROM information_schema.COLUMNS WHERE "
                                 "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'Fichier64'"),
            "NOM");
  EXPECT_EQ(database_.QueryValue("SELECT GROUP_CONCAT(NOM) FROM Fichier64"), "kept");
}

TEST_F(UpdateTableTest, IgnoresAClosedConnection) {
  CloseDatabase();
  EnsureUpdateTable();
  EXPECT_EQ(database_.QueryValue("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()"),
            "0");
}

}  // namespace
}  // namespace maj::db
