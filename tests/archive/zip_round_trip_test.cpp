// Writing and extracting archives and volume sets, with ours and with 7-Zip.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/zip_component.h"
#include "tests/archive/zip_test_support.h"
#include "tests/support/temp_folder.h"

namespace maj::archive {
namespace {

namespace fs = std::filesystem;
using maj::testing::ReadFileText;
using maj::testing::TempFolder;
using namespace testing;  // the zip test helpers

TEST(ZipRoundTripTest, LargeFileIsCutIntoExactVolumesAndExtractedFromTheFirst) {
  TempFolder temp;
  const std::string content = RandomBytes(kLargeSize, 1);
  const std::string source = temp.WriteFile("src/report.ocx", content);
  const std::string archive = (temp.path() / "src/report.ocx.zip").string();

  WriteZip(source, archive);

  EXPECT_EQ(ListTree(temp.path() / "src"),
            (std::vector<std::string>{"report.ocx", "report.ocx.zip.001", "report.ocx.zip.002",
                                      "report.ocx.zip.003", "report.ocx.zip.004"}));
  for (const char* full : {".001", ".002", ".003"}) {
    EXPECT_EQ(fs::file_size(archive + full), 819200u) << full;
  }
  const auto lastSize = fs::file_size(archive + ".004");
  EXPECT_GT(lastSize, 0u);
  EXPECT_LT(lastSize, 819200u);

  ExtractZip(archive + ".001", (temp.path() / "out").string());
  EXPECT_EQ(ListTree(temp.path() / "out"), std::vector<std::string>{"report.ocx"});
  EXPECT_EQ(ReadFileText(temp.path() / "out/report.ocx"), content);
}

TEST(ZipRoundTripTest, SmallFileIsWrittenWholeAndReplacesTheExtractedFile) {
  TempFolder temp;
  const std::string source = temp.WriteFile("src/notes.txt", "Mise à jour\n");
  const std::string archive = (temp.path() / "src/notes.txt.zip").string();
  temp.WriteFile("out/notes.txt", "ancien contenu plus long");

  WriteZip(source, archive);

  EXPECT_EQ(ListTree(temp.path() / "src"), (std::vector<std::string>{"notes.txt", "notes.txt.zip"}));
  ExtractZip(archive, (temp.path() / "out").string());
  EXPECT_EQ(ListTree(temp.path() / "out"), std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(ReadFileText(temp.path() / "out/notes.txt"), "Mise à jour\n");
  EXPECT_EQ(ReadFileText(source), "Mise à jour\n");
}

TEST(ZipRoundTripTest, RewritingLeavesOnlyTheNewArchiveFiles) {
  TempFolder temp;
  const std::string archive = (temp.path() / "a.bin.zip").string();
  const std::string large = temp.WriteFile("a.bin", RandomBytes(kLargeSize, 2));
  WriteZip(large, archive);
  ASSERT_TRUE(fs::exists(archive + ".004"));

  // A small archive of the same name: the stale volumes must go, or they would be taken for the new archive.
  const std::string small = temp.WriteFile("a.bin", "small");
  WriteZip(small, archive);
  EXPECT_EQ(ListTree(temp.path()), (std::vector<std::string>{"a.bin", "a.bin.zip"}));

  // And back: the stale whole archive must go, since it is looked for before the volumes.
  temp.WriteFile("a.bin", RandomBytes(kLargeSize, 3));
  WriteZip(large, archive);
  EXPECT_FALSE(fs::exists(archive));
  EXPECT_TRUE(fs::exists(archive + ".001"));
  ExtractZip(archive + ".001", (temp.path() / "out").string());
  EXPECT_EQ(ReadFileText(temp.path() / "out/a.bin"), RandomBytes(kLargeSize, 3));
}

TEST(ZipRoundTripTest, SeveralFilesWithFoldersAndOpeningByTheArchiveName) {
  TempFolder temp;
  const std::string one = temp.WriteFile("one.dll", RandomBytes(1000, 4));
  const std::string two = temp.WriteFile("two.txt", "deux");
  ZipComponent zip;
  zip.AddFile(one, "", "");
  zip.AddFile(two, "docs\\fr", "deux.txt");
  zip.SetVolumeSize(600);  // several tiny volumes
  const std::string archive = (temp.path() / "pack.zip").string();
  zip.WriteArchive(archive);
  ASSERT_TRUE(fs::exists(archive + ".003"));

  ZipComponent opened;
  opened.OpenArchive(archive);
  EXPECT_EQ(opened.EntryNames(), (std::vector<std::string>{"one.dll", "docs/fr/deux.txt"}));

  // With only the archive name, its volumes are found.
  ExtractZip(archive, (temp.path() / "out").string());
  EXPECT_EQ(ListTree(temp.path() / "out"),
            (std::vector<std::string>{"docs", "docs/fr", "docs/fr/deux.txt", "one.dll"}));
  EXPECT_EQ(ReadFileText(temp.path() / "out/docs/fr/deux.txt"), "deux");
  EXPECT_EQ(ReadFileText(temp.path() / "out/one.dll"), RandomBytes(1000, 4));
}

TEST(ZipRoundTripTest, BackslashesInEntryNamesBecomeSubfolders) {
  TempFolder temp;
  const std::string archive = (temp.path() / "win.zip").string();
  testing::WriteRawZip(archive, {{"bin\\fr\\lisezmoi.txt", "texte"}, {"racine.txt", "r"}});

  ExtractZip(archive, (temp.path() / "out").string());

  EXPECT_EQ(ListTree(temp.path() / "out"),
            (std::vector<std::string>{"bin", "bin/fr", "bin/fr/lisezmoi.txt", "racine.txt"}));
  EXPECT_EQ(ReadFileText(temp.path() / "out/bin/fr/lisezmoi.txt"), "texte");
}

class SevenZipInteropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunQuiet("command -v 7zz") != 0) GTEST_FAIL() << "7zz is missing: run scripts/setup";
  }
  // Runs 7zz with `arguments` in the folder src/; returns its exit status.
  int SevenZip(const std::string& arguments) {
    return RunQuiet("cd " + ShellQuote((temp_.path() / "src").string()) + " && 7zz " + arguments);
  }
  TempFolder temp_;
};

TEST_F(SevenZipInteropTest, SevenZipExtractsOurVolumesAndWholeArchives) {
  const std::string content = RandomBytes(kLargeSize, 5);
  const std::string large = temp_.WriteFile("src/big.dat", content);
  const std::string small = temp_.WriteFile("src/small.txt", "petit");
  WriteZip(large, (temp_.path() / "big.dat.zip").string());
  WriteZip(small, (temp_.path() / "small.txt.zip").string());

  const std::string out = (temp_.path() / "out").string();
  ASSERT_EQ(SevenZip("x -y -o" + ShellQuote(out) + " " + ShellQuote(temp_.str() + "/big.dat.zip.001")), 0);
  ASSERT_EQ(SevenZip("x -y -o" + ShellQuote(out) + " " + ShellQuote(temp_.str() + "/small.txt.zip")), 0);

  EXPECT_EQ(ListTree(out), (std::vector<std::string>{"big.dat", "small.txt"}));
  EXPECT_EQ(ReadFileText(out + "/big.dat"), content);
  EXPECT_EQ(ReadFileText(out + "/small.txt"), "petit");
}

TEST_F(SevenZipInteropTest, WeExtractSevenZipVolumesAndASetOfOneVolume) {
  const std::string content = RandomBytes(kLargeSize, 6);
  temp_.WriteFile("src/big.dat", content);
  temp_.WriteFile("src/sub/inner.txt", "dedans");
  temp_.WriteFile("src/seul.txt", "un seul volume");
  const std::string set = (temp_.path() / "set.zip").string();
  const std::string single = (temp_.path() / "seul.txt.zip").string();
  ASSERT_EQ(SevenZip("a -tzip -v819200b " + ShellQuote(set) + " big.dat sub"), 0);
  ASSERT_EQ(SevenZip("a -tzip -v819200b " + ShellQuote(single) + " seul.txt"), 0);
  ASSERT_TRUE(fs::exists(set + ".004"));
  ASSERT_FALSE(fs::exists(set));
  ASSERT_FALSE(fs::exists(single + ".002"));

  ExtractZip(set + ".001", (temp_.path() / "out").string());
  ExtractZip(single + ".001", (temp_.path() / "out").string());

  EXPECT_EQ(ListTree(temp_.path() / "out"),
            (std::vector<std::string>{"big.dat", "seul.txt", "sub", "sub/inner.txt"}));
  EXPECT_EQ(ReadFileText(temp_.path() / "out/big.dat"), content);
  EXPECT_EQ(ReadFileText(temp_.path() / "out/sub/inner.txt"), "dedans");
  EXPECT_EQ(ReadFileText(temp_.path() / "out/seul.txt"), "un seul volume");
}

}  // namespace
}  // namespace maj::archive
