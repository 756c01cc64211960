#include "db/blob_transfer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/database.h"
#include "db/database_error.h"
#include "db/result_set.h"
#include "db/update_table.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj::db {
namespace {

constexpr std::size_t kMiB = 1 << 20;

char PatternByte(std::uint64_t position) {
  return static_cast<char>((position * 2654435761u >> 13) ^ (position >> 20));
}

// Writes `size` bytes of a position-dependent pattern, one MiB at a time.
void WritePatternFile(const std::string& path, std::uint64_t size) {
  std::ofstream out(path, std::ios::binary);
  std::vector<char> piece(kMiB);
  for (std::uint64_t written = 0; written < size;) {
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(kMiB, size - written));
    for (std::size_t i = 0; i < count; ++i) piece[i] = PatternByte(written + i);
    out.write(piece.data(), static_cast<std::streamsize>(count));
    written += count;
  }
}

// True when the file holds exactly `size` bytes of the pattern; read one MiB at a time.
bool HoldsPattern(const std::string& path, std::uint64_t size) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> piece(kMiB);
  std::uint64_t position = 0;
  while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i, ++position) {
      if (position >= size || piece[static_cast<std::size_t>(i)] != PatternByte(position)) return false;
    }
  }
  return position == size;
}

// A line of /proc/self/status, in kB.
long StatusKilobytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

// Starts measuring the peak memory of the process from now: resets the peak to the current use when the
// kernel allows it (clear_refs 5), and returns the baseline to subtract.
long StartPeakMeasure() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return clear ? StatusKilobytes("VmRSS") : StatusKilobytes("VmHWM");
}

class BlobTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    database_.ConnectShared();
    EnsureUpdateTable();
  }

  // Inserts a row whose DATA is the file, the way publishing does; returns its key.
  std::int64_t InsertFile(const std::string& path, const std::string& name) {
    ResultSet rows;
    rows.Open("SELECT * FROM Fichier64 WHERE 1=0", SharedConnection(), kCursorKeyset, kLockOptimistic);
    rows.AddNew();
    rows.SetField("Version", Value::Text("001.000.000"));
    rows.SetField("Nom", Value::Text(name));
    rows.SetFieldFromFile("Data", path);
    rows.Update();
    rows.Close();
    ResultSet key = SharedConnection().Execute("SELECT CLE_FICHIER FROM Fichier64 WHERE NOM = ?", {Value::Text(name)});
    return key.Field(0).AsInteger();
  }

  testing::TestDatabase database_;
  testing::TempFolder folder_;
};

TEST_F(BlobTransferTest, MovesA64MegabyteBlobWithoutHoldingIt) {
  constexpr std::uint64_t kSize = 64 * kMiB;
  const std::string source = (folder_.path() / "big.bin").string();
  const std::string target = (folder_.path() / "big.out").string();
  WritePatternFile(source, kSize);

  const long baseline = StartPeakMeasure();
  const std::int64_t key = InsertFile(source, "big.bin");
  EXPECT_EQ(SaveBlobToFile(SharedConnection(), {"Fichier64", "CLE_FICHIER", Value::Integer(key), "DATA"}, target),
            kSize);
  const long peakGrowthKb = StatusKilobytes("VmHWM") - baseline;
  std::cout << "Peak memory growth while moving 64 MiB: " << peakGrowthKb << " kB\n";

  EXPECT_EQ(database_.QueryValue("SELECT LENGTH(DATA) FROM Fichier64"), std::to_string(kSize));
  EXPECT_TRUE(HoldsPattern(target, kSize));
  // Pieces of 4 MiB are held at most twice (the driver's and this process's copies); the whole value never.
  EXPECT_LT(peakGrowthKb, 16 * 1024) << "peak memory grew by " << peakGrowthKb << " kB";
}

TEST_F(BlobTransferTest, ReadsTheLastPartialPieceAndEmptyValues) {
  const std::uint64_t size = 9 * kMiB + 7;  // three pieces, the last one short
  const std::string source = (folder_.path() / "odd.bin").string();
  WritePatternFile(source, size);
  const std::int64_t key = InsertFile(source, "odd.bin");
  const std::string target = folder_.WriteFile("odd.out", "previous content");
  EXPECT_EQ(SaveBlobToFile(SharedConnection(), {"Fichier64", "CLE_FICHIER", Value::Integer(key), "DATA"}, target),
            size);
  EXPECT_TRUE(HoldsPattern(target, size));

  // The same value through a result set: the driver holds the row, the file is written in pieces.
  ResultSet row = SharedConnection().Execute("SELECT data FROM Fichier64 WHERE CLE_FICHIER = ?", {Value::Integer(key)});
  const std::string viaRow = (folder_.path() / "odd.row").string();
  EXPECT_EQ(row.SaveFieldToFile("Data", viaRow), size);
  EXPECT_TRUE(HoldsPattern(viaRow, size));

  const std::int64_t emptyKey = InsertFile(folder_.WriteFile("empty.bin", ""), "empty.bin");
  const std::string emptyTarget = (folder_.path() / "empty.out").string();
  EXPECT_EQ(SaveBlobToFile(SharedConnection(), {"Fichier64", "CLE_FICHIER", Value::Integer(emptyKey), "DATA"},
                           emptyTarget),
            0u);
  EXPECT_TRUE(std::filesystem::exists(emptyTarget));
  EXPECT_EQ(std::filesystem::file_size(emptyTarget), 0u);
}

TEST_F(BlobTransferTest, MissingRowOrNullValueLeavesNoFile) {
  const std::string target = (folder_.path() / "none.out").string();
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

TEST(BlobPieceSizeTest, KeepsFewPiecesWithinBounds) {
  EXPECT_EQ(BlobPieceSize(0), 4u * kMiB);
  EXPECT_EQ(BlobPieceSize(64 * kMiB), 4u * kMiB);
  EXPECT_EQ(BlobPieceSize(320 * kMiB), 20u * kMiB);
  EXPECT_EQ(BlobPieceSize(4096ull * kMiB), 64u * kMiB);
}

}  // namespace
}  // namespace maj::db
