#include "db/blob_transfer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>

#include "db/connection.h"
#include "db/database.h"
#include "db/database_error.h"
#include "db/result_set.h"
#include "db/update_table.h"
#include "tests/support/large_files.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

constexpr std::uint64_t kMiB = 1 << 20;

class BlobTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_.ConnectShared();
    EnsureUpdateTable();
  }

  // Inserts a row whose DATA is the file, the way publishing does; returns where its DATA is.
  BlobLocation InsertFile(const std::string& path) {
    ResultSet rows;
    rows.Open("SELECT * FROM Fichier64 WHERE 1=0", SharedConnection(), kCursorKeyset, kLockOptimistic);
    rows.AddNew();
    rows.SetField("Nom", Value::Text(path));
    rows.SetFieldFromFile("Data", path);
    rows.Update();
    ResultSet key = SharedConnection().Execute("SELECT CLE_FICHIER FROM Fichier64 WHERE NOM = ?", {Value::Text(path)});
    return {"Fichier64", "CLE_FICHIER", key.Field(0), "DATA"};
  }

  std::string Path(const std::string& name) const { return (folder_.path() / name).string(); }

  testing::TestDatabase database_;
  testing::TempFolder folder_;
};

TEST_F(BlobTransferTest, MovesA64MegabyteBlobWithoutHoldingIt) {
  constexpr std::uint64_t kSize = 64 * kMiB;
  testing::WriteRandomFile(Path("big.bin"), kSize, 1);

  std::uint64_t written = 0;
  const std::uint64_t growth = testing::PeakMemoryGrowthOf(
      [&] { written = SaveBlobToFile(SharedConnection(), InsertFile(Path("big.bin")), Path("big.out")); });
  std::cout << "Peak memory growth while moving 64 MiB: " << growth / 1024 << " kB\n";

  EXPECT_EQ(written, kSize);
  EXPECT_EQ(database_.QueryValue("SELECT LENGTH(DATA) FROM Fichier64"), std::to_string(kSize));
  EXPECT_TRUE(testing::SameFileContent(Path("big.bin"), Path("big.out")));
  // Pieces of 4 MiB are held at most twice (the driver's and this process's copies); the whole value never.
  EXPECT_LT(growth, 16 * kMiB);
}

TEST_F(BlobTransferTest, ReadsTheLastPartialPieceAndEmptyValues) {
  testing::WriteRandomFile(Path("odd.bin"), 9 * kMiB + 7, 2);  // three pieces, the last one short
  const BlobLocation odd = InsertFile(Path("odd.bin"));
  folder_.WriteFile("odd.out", "previous content");
  EXPECT_EQ(SaveBlobToFile(SharedConnection(), odd, Path("odd.out")), 9 * kMiB + 7);
  EXPECT_TRUE(testing::SameFileContent(Path("odd.bin"), Path("odd.out")));

  const BlobLocation empty = InsertFile(folder_.WriteFile("empty.bin", ""));
  EXPECT_EQ(SaveBlobToFile(SharedConnection(), empty, Path("empty.out")), 0u);
  EXPECT_TRUE(std::filesystem::exists(Path("empty.out")));
  EXPECT_EQ(std::filesystem::file_size(Path("empty.out")), 0u);
}

TEST_F(BlobTransferTest, MissingRowOrNullValueLeavesNoFile) {
  const std::string target = Path("none.out");
  EXPECT_THROW(SaveBlobToFile(SharedConnection(), {"Fichier64", "CLE_FICHIER", Value::Integer(404), "DATA"}, target),
               DatabaseError);
  database_.Execute("INSERT INTO Fichier64 (NOM, DATA) VALUES ('n', '')");
  EXPECT_THROW(SaveBlobToFile(SharedConnection(), {"Fichier64", "CLE_FICHIER", Value::Integer(1), "Archive"}, target),
               DatabaseError);
  EXPECT_FALSE(std::filesystem::exists(target));
  // Names are quoted as identifiers, never pasted as SQL.
  EXPECT_THROW(SaveBlobToFile(SharedConnection(),
                              {"Fichier64` WHERE 1=1 --", "CLE_FICHIER", Value::Integer(1), "DATA"}, target),
               DatabaseError);
}

}  // namespace
}  // namespace maj::db
