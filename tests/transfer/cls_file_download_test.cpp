// Writing stored archives and volumes of one version into a folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "archive/zip_component.h"
#include "tests/transfer/fichier64_test_support.h"
#include "transfer/cls_file.h"

namespace maj::transfer {
namespace {

namespace fs = std::filesystem;
using maj::testing::ReadFileText;
using testing::FileNames;
using testing::InsertRow;
using testing::RandomBytes;
using testing::RecordingFileListener;

class DownloadTest : public testing::Fichier64Test {
 protected:
  // The destination folder as the engine passes it: ending with a separator.
  std::string Destination() {
    fs::create_directories(folder_.path() / "MAJ");
    return (folder_.path() / "MAJ").string() + "/";
  }
};

TEST_F(DownloadTest, VolumesOfAVersionForThisWindowsAreWrittenAndExtractToTheOriginal) {
  const std::string content = RandomBytes(2400000, 11);
  cls_File published = MakeRecord("report.ocx", content, "013.001.010", 2);
  published.Upload();

  cls_File fetcher;
  RecordingFileListener listener;
  fetcher.SetListener(&listener);
  const std::string destination = Destination();
  fetcher.Download(destination, "report.ocx", "013.001.010", "`winXP`");

  EXPECT_EQ(listener.events, std::vector<std::string>{"download:report.ocx"});
  ASSERT_EQ(FileNames(destination),
            (std::vector<std::string>{"report.ocx.zip.001", "report.ocx.zip.002", "report.ocx.zip.003"}));
  archive::ZipComponent zip;
  zip.OpenArchive(destination + "report.ocx.zip.001");
  zip.ExtractArchive((folder_.path() / "out").string());
  EXPECT_EQ(ReadFileText(folder_.path() / "out/report.ocx"), content);
}

TEST_F(DownloadTest, VersionNotForThisWindowsOrNotStoredWritesNothing) {
  MakeRecord("report.ocx", "contenu", "013.001.010").Upload();  // XP and 7 only

  cls_File fetcher;
  const std::string destination = Destination();
  fetcher.Download(destination, "report.ocx", "013.001.010", "`win2000`");
  fetcher.Download(destination, "report.ocx", "013.001.011", "`winXP`");
  fetcher.Download(destination, "autre.ocx", "013.001.010", "`winXP`");

  EXPECT_TRUE(FileNames(destination).empty());
}

TEST_F(DownloadTest, NullArchiveIsSavedUnderTheNameWithZipAndReplacesAnExistingFile) {
  InsertRow("Report.OCX", "001.000.000", std::nullopt, "archive sans nom");
  const std::string destination = Destination();
  folder_.WriteFile("MAJ/Report.OCX.zip", "ancien fichier plus long que le nouveau");

  cls_File fetcher;
  fetcher.Download(destination, "Report.OCX", "001.000.000", "`winXP`");

  EXPECT_EQ(FileNames(destination), std::vector<std::string>{"Report.OCX.zip"});
  EXPECT_EQ(ReadFileText(destination + "Report.OCX.zip"), "archive sans nom");
}

TEST_F(DownloadTest, LaterRowWithTheSameArchiveWins) {
  InsertRow("a.dll", "001.000.000", "a.dll.zip", "premier");
  InsertRow("a.dll", "001.000.000", "a.dll.zip", "second");

  cls_File fetcher;
  const std::string destination = Destination();
  fetcher.Download(destination, "a.dll", "001.000.000", "`winXP`");

  EXPECT_EQ(ReadFileText(destination + "a.dll.zip"), "second");
}

TEST_F(DownloadTest, NameWithQuoteAndBackslashRoundTrips) {
  const std::string nom = "l'aide\\x'.chm";
  cls_File published = MakeRecord("aide.chm", "aide en ligne", "002.000.000");
  published.SetNom(nom);
  published.Upload();

  cls_File fetcher;
  const std::string destination = Destination();
  fetcher.Download(destination, nom, "002.000.000", "`win7`");

  ASSERT_EQ(FileNames(destination), std::vector<std::string>{nom + ".zip"});
  archive::ZipComponent zip;
  zip.OpenArchive(destination + nom + ".zip");
  zip.ExtractArchive((folder_.path() / "out").string());
  EXPECT_EQ(ReadFileText(folder_.path() / "out/aide.chm"), "aide en ligne");
}

TEST_F(DownloadTest, WindowsStyleFolderAndAnyLetterCaseOfTheKeyAreAccepted) {
  InsertRow("a.dll", "001.000.000", "a.dll.zip", "contenu");
  std::string destination = Destination();
  std::string windowsDestination = destination;
  std::replace(windowsDestination.begin(), windowsDestination.end(), '/', '\\');

  cls_File fetcher;
  fetcher.Download(windowsDestination, "a.dll", "001.000.000", "`WINXP`");

  EXPECT_EQ(ReadFileText(destination + "a.dll.zip"), "contenu");
}

TEST_F(DownloadTest, UnknownOSKeyIsRefusedBeforeAnyQuery) {
  InsertRow("a.dll", "001.000.000", "a.dll.zip", "contenu");
  const std::string destination = Destination();
  for (const std::string key : {"", "winXP", "`winXP` <> 0 OR 1=1 OR `winXP`", "`condition`"}) {
    SCOPED_TRACE(key);
    cls_File fetcher;
    try {
      fetcher.Download(destination, "a.dll", "001.000.000", key);
      ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
      EXPECT_NE(std::string(error.what()).find("a.dll"), std::string::npos) << error.what();
    }
  }
  EXPECT_TRUE(FileNames(destination).empty());
}

TEST_F(DownloadTest, StoredArchiveNameLeavingTheFolderIsRefused) {
  InsertRow("a.dll", "001.000.000", "a.dll.zip", "premier");
  InsertRow("a.dll", "001.000.000", "../evade.zip", "hors du dossier");
  const std::string destination = Destination();

  cls_File fetcher;
  try {
    fetcher.Download(destination, "a.dll", "001.000.000", "`winXP`");
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("../evade.zip"), std::string::npos) << error.what();
  }
  // Files written before the failure stay; nothing lands outside the folder.
  EXPECT_EQ(FileNames(destination), std::vector<std::string>{"a.dll.zip"});
  EXPECT_FALSE(fs::exists(folder_.path() / "evade.zip"));
}

TEST_F(DownloadTest, LargeStoredValueIsWrittenWithoutBeingHeldInMemory) {
  constexpr std::size_t kSize = 48 << 20;
  const std::string source = (folder_.path() / "gros.bin").string();
  testing::WriteRandomFile(source, kSize, 21);
  testing::InsertRowFromFile("gros.bin", "001.000.000", "gros.bin.zip", source);
  const std::string destination = Destination();

  cls_File fetcher;
  const std::size_t growth = testing::PeakMemoryGrowthOf(
      [&] { fetcher.Download(destination, "gros.bin", "001.000.000", "`winXP`"); });

  EXPECT_LT(growth, kSize / 3);
  ASSERT_EQ(fs::file_size(destination + "gros.bin.zip"), kSize);
  std::ifstream written(destination + "gros.bin.zip", std::ios::binary), original(source, std::ios::binary);
  EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(written), {}, std::istreambuf_iterator<char>(original), {}));
}

TEST_F(DownloadTest, UnwritableFolderFailsNamingTheFile) {
  InsertRow("a.dll", "001.000.000", "a.dll.zip", "contenu");
  cls_File fetcher;
  try {
    fetcher.Download(folder_.str() + "/absent/", "a.dll", "001.000.000", "`winXP`");
    FAIL() << "no error";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("a.dll"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace maj::transfer
