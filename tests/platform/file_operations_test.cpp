#include "platform/file_operations.h"

#include <sys/stat.h>

#include <filesystem>
#include <gtest/gtest.h>

#include "platform/registry_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::platform {
namespace {

using maj::testing::ReadFileText;
using maj::testing::TempFolder;

TEST(FileOperationsTest, TellsFilesFromFoldersAndDeletesReadOnlyFilesIgnoringCase) {
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
  try {
    files.DeleteFile(temp.str() + "/bin/missing.ocx");
    ADD_FAILURE() << "deleting a missing file must throw";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("missing.ocx"), std::string::npos);
  }
}

TEST(FileOperationsTest, MovesOnlyOntoAFreeName) {
  TempFolder temp;
  const std::string source = temp.WriteFile("MAJ/report.ocx", "new");
  const std::string existing = temp.WriteFile("Bin/Report.OCX", "old");
  FileOperations& files = CurrentFileOperations();

  // The target exists under another letter case: nothing moves.
  EXPECT_FALSE(files.MoveFile(source, temp.str() + "/bin/report.ocx"));
  EXPECT_EQ(ReadFileText(source), "new");
  EXPECT_EQ(ReadFileText(existing), "old");

  EXPECT_TRUE(files.MoveFile(temp.str() + "/maj/REPORT.ocx", temp.str() + "/bin/other.ocx"));
  EXPECT_FALSE(std::filesystem::exists(source));
  EXPECT_EQ(ReadFileText(temp.path() / "Bin/other.ocx"), "new");
  EXPECT_FALSE(files.MoveFile(source, temp.str() + "/bin/third.ocx"));
}

TEST(FileOperationsTest, MovesAcrossFileSystemsByCopying) {
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
  // The file keeps its permissions, whatever the process's file creation mask.
  ASSERT_EQ(chmod(source.c_str(), 0666), 0);
  const std::string target = other + "/big.bin";
  const mode_t mask = umask(022);
  const bool moved = CurrentFileOperations().MoveFile(source, target);
  umask(mask);
  const std::string content = ReadFileText(target);
  struct stat info {};
  stat(target.c_str(), &info);
  std::filesystem::remove_all(other);
  EXPECT_TRUE(moved);
  EXPECT_FALSE(std::filesystem::exists(source));
  EXPECT_EQ(content, std::string(300000, 'z'));
  EXPECT_EQ(info.st_mode & 07777, 0666u);
}

TEST(FileOperationsTest, DelayedMovesAppendPairsToPendingFileRenameOperations) {
  TempFolder temp;
  const std::string registryPath =
      temp.WriteFile("registry.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kept]\n\"a\"=\"b\"\n");
  maj::testing::ScopedEnvironment env;
  env.Set("MAJ_REGISTRY", registryPath);
  temp.WriteFile("Bin/Report.ocx", "old");
  FileOperations& files = CurrentFileOperations();
  files.MoveFileAtNextStart(temp.str() + "/MAJ/report.ocx", temp.str() + "/bin/report.ocx");
  files.MoveFileAtNextStart(temp.str() + "/bin/old.dll", "");

  const auto value = RegistryFile(registryPath)
                         .ReadValue(RegistryRoot::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                                    "PendingFileRenameOperations");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->strings, (std::vector<std::string>{temp.str() + "/MAJ/report.ocx", temp.str() + "/Bin/Report.ocx",
                                                      temp.str() + "/Bin/old.dll", ""}));
  EXPECT_EQ(RegistryFile(registryPath).ReadValue(RegistryRoot::LocalMachine, "SOFTWARE\\Kept", "a")->text, "b");
}

class RefusingMoves : public FileOperations {
 public:
  RefusingMoves() : real_(MakeLinuxFileOperations()) {}
  bool FileExists(const std::string& path) const override { return real_->FileExists(path); }
  bool FolderExists(const std::string& path) const override { return real_->FolderExists(path); }
  void DeleteFile(const std::string& path) override { real_->DeleteFile(path); }
  bool MoveFile(const std::string&, const std::string&) override { return false; }
  void MoveFileAtNextStart(const std::string& from, const std::string& to) override {
    real_->MoveFileAtNextStart(from, to);
  }

 private:
  std::unique_ptr<FileOperations> real_;
};

TEST(FileOperationsTest, AnOverrideReplacesTheProviderForItsLifetime) {
  TempFolder temp;
  const std::string source = temp.WriteFile("a.txt", "a");
  FileOperations& real = CurrentFileOperations();
  {
    RefusingMoves refusing;
    ScopedFileOperationsOverride override(refusing);
    EXPECT_EQ(&CurrentFileOperations(), &refusing);
    EXPECT_FALSE(CurrentFileOperations().MoveFile(source, temp.str() + "/b.txt"));
    EXPECT_TRUE(CurrentFileOperations().FileExists(source));
  }
  EXPECT_EQ(&CurrentFileOperations(), &real);
  EXPECT_TRUE(CurrentFileOperations().MoveFile(source, temp.str() + "/b.txt"));
}

}  // namespace
}  // namespace maj::platform
