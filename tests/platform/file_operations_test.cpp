#include "platform/file_operations.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "tests/support/failure_of.h"
#include "tests/support/temp_folder.h"

namespace maj::platform {
namespace {

using maj::testing::FailureOf;
using maj::testing::ReadFileText;
using maj::testing::TempFolder;

TEST(FileOperationsTest, TellsDeletesAndReplacesFilesIgnoringLetterCase) {
  TempFolder temp;
  const std::string path = temp.WriteFile("Bin/Report.OCX", "x");
  FileOperations& files = CurrentFileOperations();
  EXPECT_TRUE(files.FileExists(temp.str() + "/bin/report.ocx"));
  EXPECT_FALSE(files.FileExists(temp.str() + "/BIN"));
  EXPECT_TRUE(files.FolderExists(temp.str() + "/BIN"));
  EXPECT_FALSE(files.FolderExists(temp.str() + "/bin/report.ocx"));
  EXPECT_FALSE(files.FileExists(temp.str() + "/bin/other.ocx"));

  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  files.DeleteFile(temp.str() + "/BIN/REPORT.OCX");
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_NE(FailureOf([&] { files.DeleteFile(temp.str() + "/bin/missing.ocx"); }).find("missing.ocx"),
            std::string::npos);

  const std::string source = temp.WriteFile("MAJ/report.ocx", "new");
  temp.WriteFile("Bin/Report.OCX", "old");

  // The new copy takes the name given, in the existing folder; the old one is not left beside it.
  EXPECT_TRUE(files.ReplaceFile(temp.str() + "/maj/REPORT.ocx", temp.str() + "/bin/report.ocx"));
  EXPECT_FALSE(std::filesystem::exists(source));
  const std::string existing = temp.str() + "/Bin/report.ocx";
  EXPECT_EQ(ReadFileText(existing), "new");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "Bin/Report.OCX"));

  // A missing source or a folder in the way is a failure naming the target, nothing changed.
  EXPECT_NE(FailureOf([&] { files.ReplaceFile(source, existing); }).find("introuvable"), std::string::npos);
  temp.WriteFile("MAJ/bin", "file");
  EXPECT_NE(FailureOf([&] { files.ReplaceFile(temp.str() + "/MAJ/bin", temp.str() + "/Bin"); })
                .find("Un dossier porte ce nom"),
            std::string::npos);
  EXPECT_EQ(ReadFileText(existing), "new");
}

TEST(FileOperationsTest, ReplacesAcrossFileSystemsThroughACompleteCopy) {
  TempFolder temp;
  std::string other = "/dev/shm/maj-test-XXXXXX";
  if (mkdtemp(other.data()) == nullptr) GTEST_SKIP() << "no second file system at /dev/shm";
  struct stat a, b;
  stat(temp.str().c_str(), &a);
  stat(other.c_str(), &b);
  if (a.st_dev == b.st_dev) {
    std::filesystem::remove_all(other);
    GTEST_SKIP() << "/dev/shm is on the same file system";
  }
  const std::string source = temp.WriteFile("big.bin", std::string(300000, 'z'));
  // The copy is its owner's to read and write, whatever the source and the file creation mask say.
  ASSERT_EQ(chmod(source.c_str(), 0444), 0);
  const std::string target = other + "/big.bin";
  { std::ofstream(target) << "old"; }
  const mode_t mask = umask(022);
  const bool replaced = CurrentFileOperations().ReplaceFile(source, target);
  umask(mask);
  const std::string content = ReadFileText(target);
  struct stat info {};
  stat(target.c_str(), &info);
  const auto left = std::distance(std::filesystem::directory_iterator(other), std::filesystem::directory_iterator());
  std::filesystem::remove_all(other);
  EXPECT_TRUE(replaced);
  EXPECT_FALSE(std::filesystem::exists(source));
  EXPECT_EQ(content, std::string(300000, 'z'));
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  EXPECT_EQ(left, 1);  // no temporary file beside it
}

// Delayed moves are checked through a whole run that leaves a file in use to the next start (tests/engine).
}  // namespace
}  // namespace maj::platform
