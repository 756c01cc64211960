// Writing stored archives and volumes of one version into a folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/transfer/fichier64_test_support.h"
#include "transfer/cls_file.h"

namespace maj::transfer {
namespace {

using maj::testing::FailureOf;
using maj::testing::ReadFileText;
using maj::testing::ListTree;
using testing::InsertRow;

class DownloadTest : public testing::Fichier64Test {};

// A version not for this Windows or not stored is skipped by the whole runs of tests/engine.
TEST_F(DownloadTest, AnUnknownOSKeyIsRefusedBeforeAnyQuery) {
  MakeRecord("report.ocx", "contenu", "013.001.010").Upload();
  cls_File fetcher;
  const std::string destination = Destination();
  for (const std::string key : {"", "winXP", "`winXP` <> 0 OR 1=1 OR `winXP`", "`condition`"}) {
    const std::string failure = FailureOf([&] { fetcher.Download(destination, "report.ocx", "013.001.010", key); });
    EXPECT_NE(failure.find("report.ocx"), std::string::npos) << key << ": " << failure;
  }
  EXPECT_TRUE(ListTree(destination).empty());
}

TEST_F(DownloadTest, RowsAreSavedUnderTheirArchiveElseTheNameWithZipTheLaterWinning) {
  InsertRow("a.dll", "001.000.000", std::nullopt, "premier");
  InsertRow("a.dll", "001.000.000", "a.dll.zip", "second");
  InsertRow("a.dll", "001.000.000", "a.dll.zip.001", "volume");
  const std::string destination = Destination();
  folder_.WriteFile("MAJ/a.dll.zip", "ancien fichier plus long que le nouveau");
  // The folder may be given the Windows way, the OS key in any letter case.
  std::string windowsDestination = destination;
  std::replace(windowsDestination.begin(), windowsDestination.end(), '/', '\\');

  cls_File().Download(windowsDestination, "a.dll", "001.000.000", "`WINXP`");

  EXPECT_EQ(ListTree(destination), (std::vector<std::string>{"a.dll.zip", "a.dll.zip.001"}));
  EXPECT_EQ(ReadFileText(destination + "a.dll.zip"), "second");
}

TEST_F(DownloadTest, StoredArchiveNameLeavingTheFolderOrAnUnwritableFolderFailsNamingTheFile) {
  InsertRow("a.dll", "001.000.000", "a.dll.zip", "premier");
  InsertRow("a.dll", "001.000.000", "../evade.zip", "hors du dossier");
  const std::string destination = Destination();

  const std::string failure = FailureOf([&] { cls_File().Download(destination, "a.dll", "001.000.000", "`winXP`"); });
  EXPECT_NE(failure.find("../evade.zip"), std::string::npos) << failure;
  // Files written before the failure stay; nothing lands outside the folder.
  EXPECT_EQ(ListTree(destination), std::vector<std::string>{"a.dll.zip"});
  EXPECT_FALSE(std::filesystem::exists(folder_.path() / "evade.zip"));
  // Windows separators and drives are refused the same way, never written under a literal name.
  for (const std::string archive : {"..\\x.zip", "C:\\evil.zip", "C:evil.zip"}) {
    const std::string version = std::to_string(archive.size());  // one version per row
    InsertRow("b.dll", version, archive, "ailleurs");
    const std::string refused = FailureOf([&] { cls_File().Download(destination, "b.dll", version, "`winXP`"); });
    EXPECT_NE(refused.find("« " + archive + " » refusé"), std::string::npos) << refused;
  }
  EXPECT_EQ(ListTree(destination), std::vector<std::string>{"a.dll.zip"});

  const std::string unwritable =
      FailureOf([&] { cls_File().Download(folder_.str() + "/absent/", "a.dll", "001.000.000", "`winXP`"); });
  EXPECT_NE(unwritable.find("a.dll"), std::string::npos) << unwritable;
}

// A large value written without being held in memory is checked through a whole run (tests/engine).
}  // namespace
}  // namespace maj::transfer
