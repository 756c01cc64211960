#include "db/update_table.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "db/database.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

class UpdateTableTest : public ::testing::Test {
 protected:
  void SetUp() override { database_.ConnectShared(); }
  // `what` of the information_schema table `view`, for table Fichier64 of this database.
  std::optional<std::string> Schema(const std::string& what, const std::string& view) {
    return database_.QueryValue("SELECT " + what + " FROM information_schema." + view +
                                " WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'Fichier64'");
  }
  testing::TestDatabase database_;
};

TEST_F(UpdateTableTest, CreatesTheTableOnAnEmptyDatabase) {
  EnsureUpdateTable();
  // Its columns are the ones every publishing and update run uses; NOM's collation (letter case, trailing
  // blanks) is newest_versions_test's.

  // A row inserted without flags applies up to Server 2003 and to nothing from Vista on.
  database_.Execute("INSERT INTO Fichier64 (NOM, DATA) VALUES ('Orv_Spec.exe', 'x')");
  EXPECT_EQ(database_.QueryValue(
                "SELECT CONCAT_WS('|', CLE_FICHIER, VERSION, TYPE, IFNULL(Archive, 'NULL'), WIN9X, WINNT4, WIN2000, "
                "WINXP, WIN2003, WINME, Vista, Win7, Win8, `condition`, typeCondition, action1, actionData1, action2, "
                "actionData2, action3, actionData3) FROM Fichier64"),
            "1|0|0|NULL|-1|-1|-1|-1|-1|-1|0|0|0||0|0||0||0|");
}

TEST_F(UpdateTableTest, LeavesAnExistingTableAsItIsAndIgnoresEveryFailure) {
  database_.Execute("CREATE TABLE Fichier64 (NOM VARCHAR(10) NOT NULL) ENGINE=InnoDB");
  database_.Execute("INSERT INTO Fichier64 VALUES ('kept')");
  EnsureUpdateTable();
  EXPECT_EQ(Schema("GROUP_CONCAT(COLUMN_NAME)", "COLUMNS"), "NOM");
  EXPECT_EQ(database_.QueryValue("SELECT GROUP_CONCAT(NOM) FROM Fichier64"), "kept");

  database_.Execute("DROP TABLE Fichier64");
  CloseDatabase();
  EnsureUpdateTable();
  EXPECT_EQ(database_.QueryValue("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()"),
            "0");
}

}  // namespace
}  // namespace maj::db
