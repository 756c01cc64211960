#include "db/blob_transfer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "db/connection.h"
#include "db/database.h"
#include "db/database_error.h"
#include "db/update_table.h"
#include "tests/support/large_files.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

// Large values and the memory they cost are checked through the whole download (tests/transfer).
TEST(BlobTransferTest, WritesEveryPieceOrFailsLeavingNoFile) {
  testing::TestDatabase database;
  testing::TempFolder folder;
  database.ConnectShared();
  EnsureUpdateTable();
  const auto insert = [&](const std::string& name) {
    const std::string path = (folder.path() / name).string();
    SharedConnection().ExecuteUpdate("INSERT INTO Fichier64 (NOM, DATA) VALUES (?, ?)",
                                     {Value::Text(name), Parameter::FileContent(path)});
    return BlobLocation{"Fichier64", "CLE_FICHIER", SharedConnection().Execute("SELECT LAST_INSERT_ID()").Field(0),
                        "DATA"};
  };
  const auto path = [&](const std::string& name) { return (folder.path() / name).string(); };

  testing::WriteRandomFile(path("odd.bin"), (9 << 20) + 7, 2);  // three pieces, the last one short
  folder.WriteFile("odd.out", "previous content");
  EXPECT_EQ(SaveBlobToFile(SharedConnection(), insert("odd.bin"), path("odd.out")), (9u << 20) + 7);
  EXPECT_TRUE(testing::SameFileContent(path("odd.bin"), path("odd.out")));

  folder.WriteFile("empty.bin", "");
  EXPECT_EQ(SaveBlobToFile(SharedConnection(), insert("empty.bin"), path("empty.out")), 0u);
  EXPECT_EQ(std::filesystem::file_size(path("empty.out")), 0u);

  // A missing row, a NULL value.
  for (const BlobLocation& wrong : {BlobLocation{"Fichier64", "CLE_FICHIER", Value::Integer(404), "DATA"},
                                    BlobLocation{"Fichier64", "CLE_FICHIER", Value::Integer(1), "Archive"}}) {
    EXPECT_THROW(SaveBlobToFile(SharedConnection(), wrong, path("none.out")), DatabaseError) << wrong.column;
  }
  EXPECT_FALSE(std::filesystem::exists(path("none.out")));
}

}  // namespace
}  // namespace maj::db
