// Publishing files into Fichier64: new versions as archives or volumes, re-published versions, failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "archive/zip_component.h"
#include "platform/file_operations.h"
#include "tests/transfer/fichier64_test_support.h"
#include "transfer/cls_file.h"

namespace maj::transfer {
namespace {

namespace fs = std::filesystem;
using testing::FileNames;
using testing::RandomBytes;
using testing::ReadRows;
using testing::RecordingFileListener;
using testing::StoredData;
using testing::StoredRow;

// Incompressible content whose archive takes three volumes of 819200 bytes (the last one partly filled).
constexpr std::size_t kThreeVolumeSize = 2400000;

// WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME, Vista, Win7, Win8 as MakeRecord sets them on insertion.
constexpr std::array<std::int64_t, 9> kInsertedFlags = {0, 0, 0, -1, 0, 0, 0, -1, 0};

class UploadTest : public testing::Fichier64Test {};

TEST_F(UploadTest, LargeFileIsStoredAsAscendingVolumeRowsAndLeavesOnlyTheSource) {
  const std::string content = RandomBytes(kThreeVolumeSize, 7);
  cls_File record = MakeRecord("report.ocx", content, "013.001.010", 2);
  RecordingFileListener listener;
  record.SetListener(&listener);

  record.Upload();

  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 3u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(rows[i].nom, "report.ocx");
    EXPECT_EQ(rows[i].version, "013.001.010");
    EXPECT_EQ(rows[i].archive, "report.ocx.zip.00" + std::to_string(i + 1));
    EXPECT_EQ(rows[i].type, 2);
    EXPECT_EQ(rows[i].flags, kInsertedFlags);
    if (i > 0) {
      EXPECT_GT(rows[i].key, rows[i - 1].key);
    }
  }
  EXPECT_EQ(rows[0].dataLength, 819200);
  EXPECT_EQ(rows[1].dataLength, 819200);
  EXPECT_GT(rows[2].dataLength, 0);
  EXPECT_LT(rows[2].dataLength, 819200);
  EXPECT_EQ(listener.events, (std::vector<std::string>{"compress:report.ocx", "upload:report.ocx"}));
  // No archive file is left beside the source, which is unchanged.
  EXPECT_EQ(FileNames(folder_.str()), std::vector<std::string>{"report.ocx"});
  EXPECT_EQ(maj::testing::ReadFileText(folder_.path() / "report.ocx"), content);

  // The stored volumes, joined again, extract to the original file.
  const fs::path volumes = folder_.path() / "volumes";
  fs::create_directory(volumes);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    folder_.WriteFile("volumes/" + *rows[i].archive, StoredData(rows[i].key));
  }
  archive::ZipComponent zip;
  zip.OpenArchive((volumes / "report.ocx.zip.001").string());
  zip.ExtractArchive((folder_.path() / "out").string());
  EXPECT_EQ(maj::testing::ReadFileText(folder_.path() / "out/report.ocx"), content);
}

TEST_F(UploadTest, SmallFileIsStoredAsOneArchiveRow) {
  cls_File record = MakeRecord("notes.txt", "quelques lignes\n", "001.000.000");

  record.Upload();

  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].archive, "notes.txt.zip");
  EXPECT_EQ(rows[0].flags, kInsertedFlags);
  EXPECT_EQ(FileNames(folder_.str()), std::vector<std::string>{"notes.txt"});
}

TEST_F(UploadTest, RepublishingAVersionChangesOnlyFlagsAndTypeOfEveryVolumeRow) {
  cls_File record = MakeRecord("report.ocx", RandomBytes(kThreeVolumeSize, 8), "013.001.010", 2);
  record.Upload();
  const std::vector<StoredRow> before = ReadRows();
  ASSERT_EQ(before.size(), 3u);
  // The file on disk changes too: a re-published version must not store it.
  folder_.WriteFile("report.ocx", "autre contenu");

  record.SetWXP(false);
  record.SetW7(false);
  record.SetW9x(true);
  record.Setw8(true);
  record.SetTypeFichier(66);
  RecordingFileListener listener;
  record.SetListener(&listener);
  record.Upload();

  const std::vector<StoredRow> after = ReadRows();
  ASSERT_EQ(after.size(), 3u);
  for (std::size_t i = 0; i < after.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(after[i].key, before[i].key);
    EXPECT_EQ(after[i].archive, before[i].archive);
    EXPECT_EQ(after[i].dataLength, before[i].dataLength);
    EXPECT_EQ(after[i].type, 66);
    EXPECT_EQ(after[i].flags, (std::array<std::int64_t, 9>{1, 0, 0, 0, 0, 0, 0, 0, 1}));
  }
  EXPECT_EQ(listener.events, std::vector<std::string>{"upload:report.ocx"});
  EXPECT_EQ(FileNames(folder_.str()), std::vector<std::string>{"report.ocx"});
}

TEST_F(UploadTest, NewVersionLeavesTheRowsOfOlderVersions) {
  cls_File first = MakeRecord("notes.txt", "version 1", "001.000.000");
  first.Upload();
  const std::vector<StoredRow> old = ReadRows();

  cls_File second = MakeRecord("notes.txt", "version 2", "001.000.001");
  second.SetWXP(false);
  second.SetTypeFichier(2);
  second.Upload();

  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].key, old[0].key);
  EXPECT_EQ(rows[0].version, "001.000.000");
  EXPECT_EQ(rows[0].flags, kInsertedFlags);
  EXPECT_EQ(rows[0].type, 0);
  EXPECT_EQ(StoredData(rows[0].key), StoredData(old[0].key));
  EXPECT_EQ(rows[1].version, "001.000.001");
  EXPECT_EQ(rows[1].type, 2);
}

TEST_F(UploadTest, NameWithQuoteAndBackslashIsStoredAndFoundAgain) {
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
}

TEST_F(UploadTest, MissingSourceStoresNothingAndNamesTheFile) {
  cls_File record = MakeRecord("absent.dll", "", "001.000.000");
  try {
    record.Upload();
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("absent.dll"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(ReadRows().empty());
  EXPECT_TRUE(FileNames(folder_.str()).empty());
}

// Deletes like the real provider but refuses the second volume.
class RefusingSecondVolume : public platform::FileOperations {
 public:
  bool FileExists(const std::string& path) const override { return real_->FileExists(path); }
  bool FolderExists(const std::string& path) const override { return real_->FolderExists(path); }
  void DeleteFile(const std::string& path) override {
    if (path.ends_with(".zip.002")) throw std::runtime_error("suppression refusée : " + path);
    real_->DeleteFile(path);
  }
  bool MoveFile(const std::string& from, const std::string& to) override { return real_->MoveFile(from, to); }
  void MoveFileAtNextStart(const std::string& from, const std::string& to) override {
    real_->MoveFileAtNextStart(from, to);
  }

 private:
  std::unique_ptr<platform::FileOperations> real_ = platform::MakeLinuxFileOperations();
};

TEST_F(UploadTest, FailedDeletionOfAStoredVolumeStopsWithEarlierRowsKeptAndLaterFilesLeft) {
  cls_File record = MakeRecord("report.ocx", RandomBytes(kThreeVolumeSize, 9), "013.001.010");
  RefusingSecondVolume files;
  platform::ScopedFileOperationsOverride override(files);

  try {
    record.Upload();
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("report.ocx"), std::string::npos) << error.what();
  }

  const std::vector<StoredRow> rows = ReadRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].archive, "report.ocx.zip.001");
  EXPECT_EQ(rows[1].archive, "report.ocx.zip.002");
  EXPECT_EQ(FileNames(folder_.str()),
            (std::vector<std::string>{"report.ocx", "report.ocx.zip.002", "report.ocx.zip.003"}));
}

// Sees no archive file at all, as when the compression left nothing behind.
class SeeingNoArchive : public RefusingSecondVolume {
 public:
  bool FileExists(const std::string& path) const override {
    return path.find(".zip") == std::string::npos && RefusingSecondVolume::FileExists(path);
  }
};

TEST_F(UploadTest, CompressionLeavingNoArchiveIsAFailureNotASilentSuccess) {
  cls_File record = MakeRecord("notes.txt", "contenu", "001.000.000");
  SeeingNoArchive files;
  platform::ScopedFileOperationsOverride override(files);

  try {
    record.Upload();
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("notes.txt"), std::string::npos) << error.what();
  }
  EXPECT_TRUE(ReadRows().empty());
}

TEST_F(UploadTest, WindowsStylePathInOtherLettersFindsTheSource) {
  cls_File record = MakeRecord("setup.exe", "MZ programme", "004.000.000");
  std::string windowsPath = (folder_.path() / "SETUP.EXE").string();
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
  record.SetPath(windowsPath);

  record.Upload();

  ASSERT_EQ(ReadRows().size(), 1u);
  EXPECT_EQ(FileNames(folder_.str()), std::vector<std::string>{"setup.exe"});
}

}  // namespace
}  // namespace maj::transfer
