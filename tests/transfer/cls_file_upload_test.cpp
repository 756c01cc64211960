// Publishing files into Fichier64: new versions as archives or volumes, re-published versions, failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "platform/file_operations.h"
#include "tests/transfer/fichier64_test_support.h"
#include "transfer/cls_file.h"

namespace maj::transfer {
namespace {

using maj::testing::FailureOf;
using maj::testing::ReadFileText;
using maj::testing::ListTree;
using testing::RandomBytes;
using testing::ReadRows;
using testing::RecordingFileListener;
using testing::StoredRow;
using Flags = std::array<std::int64_t, 9>;

// Incompressible content whose archive takes three volumes of 819200 bytes (the last one partly filled).
constexpr std::size_t kThreeVolumeSize = 2400000;

// WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME, Vista, Win7, Win8 as MakeRecord sets them on insertion.
constexpr Flags kInsertedFlags = {0, 0, 0, -1, 0, 0, 0, -1, 0};

class UploadTest : public testing::Fichier64Test {};

TEST_F(UploadTest, RepublishingAVersionChangesOnlyFlagsAndTypeOfEveryVolumeRow) {
  cls_File record = MakeRecord("report.ocx", RandomBytes(kThreeVolumeSize, 8), "013.001.010", 2);
  RecordingFileListener listener;
  record.SetListener(&listener);
  record.Upload();
  // Stored as volume rows in ascending order, the source unchanged and no archive file left beside it.
  const std::vector<StoredRow> before = ReadRows();
  ASSERT_EQ(before.size(), 3u);
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i].archive, "report.ocx.zip.00" + std::to_string(i + 1));
    EXPECT_EQ(before[i].flags, kInsertedFlags);
    EXPECT_EQ(before[i].dataLength == 819200, i < 2) << i;
    if (i > 0) {
      EXPECT_GT(before[i].key, before[i - 1].key);
    }
  }
  EXPECT_EQ(ListTree(folder_.str()), std::vector<std::string>{"report.ocx"});
  EXPECT_EQ(listener.events, (std::vector<std::string>{"compress:report.ocx", "upload:report.ocx"}));
  listener.events.clear();
  // The file on disk changes too: a re-published version must not store it.
  folder_.WriteFile("report.ocx", "autre contenu");
  record.SetWXP(false);
  record.SetW7(false);
  record.SetW9x(true);
  record.Setw8(true);
  record.SetTypeFichier(66);
  record.Upload();

  const std::vector<StoredRow> after = ReadRows();
  ASSERT_EQ(after.size(), 3u);
  for (std::size_t i = 0; i < after.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(after[i].key, before[i].key);
    EXPECT_EQ(after[i].archive, before[i].archive);
    EXPECT_EQ(after[i].dataLength, before[i].dataLength);
    EXPECT_EQ(after[i].type, 66);
    EXPECT_EQ(after[i].flags, (Flags{1, 0, 0, 0, 0, 0, 0, 0, 1}));
  }
  EXPECT_EQ(listener.events, std::vector<std::string>{"upload:report.ocx"});
  EXPECT_EQ(ListTree(folder_.str()), std::vector<std::string>{"report.ocx"});
}

TEST_F(UploadTest, NewVersionLeavesTheRowsOfOlderVersionsAndAWindowsStylePathFindsItsSource) {
  MakeRecord("notes.txt", "version 1", "001.000.000").Upload();
  const StoredRow old = ReadRows().at(0);
  cls_File second = MakeRecord("notes.txt", "version 2 plus longue", "001.000.001", 2);
  second.SetWXP(false);
  // The path given the Windows way, in other letters.
  std::string windowsPath = (folder_.path() / "NOTES.TXT").string();
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
  second.SetPath(windowsPath);
  second.Upload();

  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].key, old.key);
  EXPECT_EQ(rows[0].version, "001.000.000");
  EXPECT_EQ(rows[0].dataLength, old.dataLength);
  EXPECT_EQ(rows[1].version, "001.000.001");
  EXPECT_EQ(rows[1].type, 2);
  EXPECT_GT(rows[1].dataLength, old.dataLength);
  EXPECT_EQ(ListTree(folder_.str()), std::vector<std::string>{"notes.txt"});
}

TEST_F(UploadTest, NameWithQuotesAndBackslashIsStoredAndFoundAgainButNeverFetchedUnderAFolder) {
  const std::string nom = "l'aide\\d'O'Brien.chm";
  cls_File record = MakeRecord("aide.chm", "aide en ligne", "002.000.000");
  record.SetNom(nom);
  record.Upload();
  // Found again by the existence test: the second publication updates instead of inserting.
  record.SetTypeFichier(2);
  record.Upload();

  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].nom, nom);
  EXPECT_EQ(rows[0].archive, nom + ".zip");
  EXPECT_EQ(rows[0].type, 2);

  // On Windows the backslash would lead into a folder: the archive name is refused.
  const std::string destination = Destination();
  const std::string refused = FailureOf([&] { cls_File().Download(destination, nom, "002.000.000", "`win7`"); });
  EXPECT_NE(refused.find("« " + nom + ".zip » refusé"), std::string::npos) << refused;
  EXPECT_TRUE(ListTree(destination).empty());
}

// Deletes like the real provider but refuses the second volume; sees no archive at all when `blind`, as when
// the compression left nothing behind.
class FaultyFiles : public platform::FileOperations {
 public:
  explicit FaultyFiles(bool blind) : blind_(blind) {}
  bool FileExists(const std::string& path) const override {
    return !(blind_ && path.find(".zip") != std::string::npos) && real_->FileExists(path);
  }
  bool FolderExists(const std::string& path) const override { return real_->FolderExists(path); }
  void DeleteFile(const std::string& path) override {
    if (path.ends_with(".zip.002")) throw std::runtime_error("suppression refusée : " + path);
    real_->DeleteFile(path);
  }
  bool ReplaceFile(const std::string& from, const std::string& to) override { return real_->ReplaceFile(from, to); }
  void MoveFileAtNextStart(const std::string& from, const std::string& to) override {
    real_->MoveFileAtNextStart(from, to);
  }

 private:
  bool blind_;
  std::unique_ptr<platform::FileOperations> real_ = platform::MakeLinuxFileOperations();
};

TEST_F(UploadTest, FailedDeletionOfAStoredVolumeStopsWithEarlierRowsKeptAndLaterFilesLeft) {
  cls_File record = MakeRecord("report.ocx", RandomBytes(kThreeVolumeSize, 9), "013.001.010");
  FaultyFiles files(/*blind=*/false);
  platform::ScopedFileOperationsOverride override(files);

  const std::string failure = FailureOf([&] { record.Upload(); });
  EXPECT_NE(failure.find("report.ocx"), std::string::npos) << failure;
  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].archive, "report.ocx.zip.001");
  EXPECT_EQ(rows[1].archive, "report.ocx.zip.002");
  EXPECT_EQ(ListTree(folder_.str()),
            (std::vector<std::string>{"report.ocx", "report.ocx.zip.002", "report.ocx.zip.003"}));
}

TEST_F(UploadTest, MissingSourceOrCompressionLeavingNoArchiveStoresNothingAndNamesTheFile) {
  std::string failure = FailureOf([&] { MakeRecord("absent.dll", "", "001.000.000").Upload(); });
  EXPECT_NE(failure.find("absent.dll"), std::string::npos) << failure;
  EXPECT_TRUE(ListTree(folder_.str()).empty());

  cls_File record = MakeRecord("notes.txt", "contenu", "001.000.000");
  FaultyFiles files(/*blind=*/true);
  platform::ScopedFileOperationsOverride override(files);
  failure = FailureOf([&] { record.Upload(); });
  EXPECT_NE(failure.find("notes.txt"), std::string::npos) << failure;
  EXPECT_TRUE(ReadRows().empty());
}

}  // namespace
}  // namespace maj::transfer
