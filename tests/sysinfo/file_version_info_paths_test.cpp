#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "sysinfo/file_version_info.h"
#include "tests/support/pe_fixtures.h"
#include "tests/support/temp_folder.h"

namespace maj::sysinfo {
namespace {

namespace fs = std::filesystem;
using testing::PeFixture;

// Runs the test body in another current folder, restored afterwards.
class CurrentFolderGuard {
 public:
  explicit CurrentFolderGuard(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
  ~CurrentFolderGuard() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

TEST(FileVersionInfoPathTest, RelativePathIsResolvedAgainstTheCurrentFolder) {
  testing::TempFolder temp;
  fs::create_directories(temp.path() / "sub");
  fs::copy_file(PeFixture("full.dll"), temp.path() / "Report.dll");
  const CurrentFolderGuard guard(temp.path() / "sub");
  CFileVersionInfo info;
  info.SetFullPathName("../Report.dll");
  EXPECT_EQ(info.FullPathName(), (fs::current_path().parent_path() / "Report.dll").string());
  EXPECT_TRUE(info.Available());
  EXPECT_EQ(info.VerFile(), "13.01.0010");
}

TEST(FileVersionInfoPathTest, FileNameMatchesIgnoringCase) {
  testing::TempFolder temp;
  fs::create_directories(temp.path() / "Bin");
  fs::copy_file(PeFixture("full.dll"), temp.path() / "Bin" / "Report.OCX");
  CFileVersionInfo info;
  info.SetFullPathName(temp.str() + "/bin/report.ocx");
  EXPECT_EQ(info.FullPathName(), temp.str() + "/bin/report.ocx");
  EXPECT_TRUE(info.Available());
  EXPECT_EQ(info.FileVersion(), "13, 1, 0, 10");
}

TEST(FileVersionInfoPathTest, EmptyPathChangesNothing) {
  CFileVersionInfo info;
  info.SetFullPathName(PeFixture("full.dll"));
  info.SetFullPathName("");
  EXPECT_EQ(info.FullPathName(), PeFixture("full.dll"));
  EXPECT_TRUE(info.Available());
  EXPECT_EQ(info.VerFile(), "13.01.0010");
}

TEST(FileVersionInfoPathTest, PathsLongerThanWindowsLimitAreRead) {
  testing::TempFolder temp;
  fs::path folder = temp.path();
  for (int i = 0; i < 8; ++i) folder /= std::string(40, static_cast<char>('a' + i));
  fs::create_directories(folder);
  const fs::path file = folder / "Report.dll";
  fs::copy_file(PeFixture("full.dll"), file);
  ASSERT_GT(file.string().size(), 300u);
  CFileVersionInfo info;
  info.SetFullPathName(file.string());
  EXPECT_EQ(info.FullPathName(), file.string());
  EXPECT_TRUE(info.Available());
  EXPECT_EQ(info.VerFile(), "13.01.0010");
}

TEST(FileVersionInfoPathTest, LargeFileIsReadWhereItsResourceLies) {
  testing::TempFolder temp;
  const fs::path file = temp.path() / "large.dll";
  fs::copy_file(PeFixture("full.dll"), file);
  // 768 MB of trailing zeros (a sparse file): only the headers and the resource section are looked at.
  fs::resize_file(file, std::uintmax_t{768} << 20);
  CFileVersionInfo info;
  info.SetFullPathName(file.string());
  EXPECT_TRUE(info.Available());
  EXPECT_EQ(info.FileVersion(), "13, 1, 0, 10");
}

}  // namespace
}  // namespace maj::sysinfo
