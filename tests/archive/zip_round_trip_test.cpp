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

TEST(ZipRoundTripTest, RewritingLeavesOnlyTheNewArchiveFilesWholeOrInVolumes) {
  TempFolder temp;
  const std::string archive = (temp.path() / "a.bin.zip").string();
  const std::string large = temp.WriteFile("a.bin", RandomBytes(kLargeSize, 2));
  WriteZip(large, archive);
  ASSERT_TRUE(fs::exists(archive + ".004"));

  // A small archive of the same name is written whole: the stale volumes must go, or they would be taken for
  // the new archive. Its extraction replaces a longer file already there.
  const std::string small = temp.WriteFile("a.bin", "Mise à jour\n");
  WriteZip(small, archive);
  EXPECT_EQ(ListTree(temp.path()), (std::vector<std::string>{"a.bin", "a.bin.zip"}));
  temp.WriteFile("out/a.bin", "ancien contenu plus long");
  ExtractZip(archive, (temp.path() / "out").string());
  EXPECT_EQ(ListTree(temp.path() / "out"), std::vector<std::string>{"a.bin"});
  EXPECT_EQ(ReadFileText(temp.path() / "out/a.bin"), "Mise à jour\n");
  EXPECT_EQ(ReadFileText(small), "Mise à jour\n");

  // And back: the stale whole archive must go, since it is looked for before the volumes. The large file is
  // cut into exact volumes and extracted from the first.
  temp.WriteFile("a.bin", RandomBytes(kLargeSize, 3));
  WriteZip(large, archive);
  EXPECT_EQ(ListTree(temp.path()), (std::vector<std::string>{"a.bin", "a.bin.zip.001", "a.bin.zip.002",
                                                              "a.bin.zip.003", "a.bin.zip.004", "out", "out/a.bin"}));
  for (const char* full : {".001", ".002", ".003"}) EXPECT_EQ(fs::file_size(archive + full), 819200u) << full;
  EXPECT_GT(fs::file_size(archive + ".004"), 0u);
  EXPECT_LT(fs::file_size(archive + ".004"), 819200u);
  ExtractZip(archive + ".001", (temp.path() / "out").string());
  EXPECT_EQ(ListTree(temp.path() / "out"), std::vector<std::string>{"a.bin"});
  EXPECT_EQ(ReadFileText(temp.path() / "out/a.bin"), RandomBytes(kLargeSize, 3));
}

// Windows names lead into folders (zip_bad_input_test); archives made elsewhere hold folders (7-Zip's below).
TEST(SevenZipInteropTest, SevenZipReadsOurArchivesAndWeReadItsVolumeSets) {
  ASSERT_EQ(RunQuiet("command -v 7zz"), 0) << "7zz is missing: run scripts/setup";
  TempFolder temp;
  // Runs 7zz with `arguments` in the folder src/; returns its exit status.
  const auto sevenZip = [&](const std::string& arguments) {
    return RunQuiet("cd " + ShellQuote((temp.path() / "src").string()) + " && 7zz " + arguments);
  };
  const std::string content = RandomBytes(kLargeSize, 5);
  WriteZip(temp.WriteFile("src/big.dat", content), (temp.path() / "big.dat.zip").string());
  WriteZip(temp.WriteFile("src/small.txt", "petit"), (temp.path() / "small.txt.zip").string());
  const std::string theirs = (temp.path() / "theirs").string();
  ASSERT_EQ(sevenZip("x -y -o" + ShellQuote(theirs) + " " + ShellQuote(temp.str() + "/big.dat.zip.001")), 0);
  ASSERT_EQ(sevenZip("x -y -o" + ShellQuote(theirs) + " " + ShellQuote(temp.str() + "/small.txt.zip")), 0);
  EXPECT_EQ(ListTree(theirs), (std::vector<std::string>{"big.dat", "small.txt"}));
  EXPECT_EQ(ReadFileText(theirs + "/big.dat"), content);
  EXPECT_EQ(ReadFileText(theirs + "/small.txt"), "petit");

  temp.WriteFile("src/sub/inner.txt", "dedans");
  temp.WriteFile("src/seul.txt", "un seul volume");
  const std::string set = (temp.path() / "set.zip").string();
  const std::string single = (temp.path() / "seul.txt.zip").string();
  ASSERT_EQ(sevenZip("a -tzip -v819200b " + ShellQuote(set) + " big.dat sub"), 0);
  ASSERT_EQ(sevenZip("a -tzip -v819200b " + ShellQuote(single) + " seul.txt"), 0);
  ASSERT_TRUE(fs::exists(set + ".004"));
  ASSERT_FALSE(fs::exists(set));
  ASSERT_FALSE(fs::exists(single + ".002"));
  ExtractZip(set + ".001", (temp.path() / "out").string());
  ExtractZip(single + ".001", (temp.path() / "out").string());
  EXPECT_EQ(ListTree(temp.path() / "out"),
            (std::vector<std::string>{"big.dat", "seul.txt", "sub", "sub/inner.txt"}));
  EXPECT_EQ(ReadFileText(temp.path() / "out/big.dat"), content);
  EXPECT_EQ(ReadFileText(temp.path() / "out/sub/inner.txt"), "dedans");
  EXPECT_EQ(ReadFileText(temp.path() / "out/seul.txt"), "un seul volume");
}

}  // namespace
}  // namespace maj::archive
