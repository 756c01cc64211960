#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/environment.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::platform {
namespace {

using maj::testing::ScopedEnvironment;
using maj::testing::TempFolder;

TEST(EnvironmentTest, FindsExactNameFirstThenIgnoringCase) {
  ScopedEnvironment env;
  env.Set("MAJ_TEST_Windir", "/exact").Set("MAJ_TEST_WINDIR", "/upper").Set("MAJ_TEST_ONLY_UPPER", "/only");
  EXPECT_EQ(GetEnvironmentVariable("MAJ_TEST_Windir"), "/exact");
  EXPECT_EQ(GetEnvironmentVariable("MAJ_TEST_WINDIR"), "/upper");
  EXPECT_EQ(GetEnvironmentVariable("maj_test_only_upper"), "/only");
  EXPECT_EQ(GetEnvironmentVariable("MAJ_TEST_ABSENT"), std::nullopt);
  EXPECT_EQ(GetEnvironmentText("MAJ_TEST_ABSENT"), "");
  env.Set("MAJ_TEST_EMPTY", "");
  EXPECT_EQ(GetEnvironmentVariable("maj_test_empty"), "");
}

TEST(PathsTest, ConvertsWindowsPathsThroughTheWinePrefix) {
  ScopedEnvironment env;
  env.Set("WINEPREFIX", "/opt/wine").Set("HOME", "/home/régie");
  EXPECT_EQ(ToLocalPath("C:\\Program Files\\Proscenia\\Orv_Spec.exe"),
            "/opt/wine/dosdevices/c:/Program Files/Proscenia/Orv_Spec.exe");
  EXPECT_EQ(ToLocalPath("D:"), "/opt/wine/dosdevices/d:");
  EXPECT_EQ(ToLocalPath("bin\\report.ocx"), "bin/report.ocx");
  EXPECT_EQ(ToLocalPath("/usr/share/maj/a.txt"), "/usr/share/maj/a.txt");
  env.Set("WINEPREFIX", std::nullopt);
  EXPECT_EQ(ToLocalPath("c:\\windows"), "/home/régie/.wine/dosdevices/c:/windows");
}

TEST(PathsTest, ResolvesEachComponentIgnoringCase) {
  TempFolder temp;
  temp.WriteFile("Proscenia/Bin/Report.OCX", "x");
  temp.WriteFile("Proscenia/bin.txt", "x");
  const std::string root = temp.str();
  EXPECT_EQ(ResolvePathCase(root + "/proscenia/BIN/report.ocx"), root + "/Proscenia/Bin/Report.OCX");
  // A missing component and everything after it stay as written.
  EXPECT_EQ(ResolvePathCase(root + "/PROSCENIA/bin/New/Sub.dll"), root + "/Proscenia/Bin/New/Sub.dll");
  EXPECT_EQ(ResolvePathCase(root + "/proscenia/"), root + "/Proscenia/");
  // The exact name wins over a name that differs only in case.
  temp.WriteFile("Proscenia/Bin/report.ocx", "y");
  EXPECT_EQ(ResolvePathCase(root + "/proscenia/bin/report.ocx"), root + "/Proscenia/Bin/report.ocx");
  EXPECT_EQ(ResolvePathCase(root + "/Proscenia/Bin/REPORT.ocx"), root + "/Proscenia/Bin/Report.OCX");

  // Accented letters too, through a drive path; a name that is not UTF-8 (Latin-1) is compared byte-wise.
  ScopedEnvironment env;
  env.Set("WINEPREFIX", root);
  temp.WriteFile("dosdevices/c:/Proscenia/bin/été.txt", "x");
  temp.WriteFile("dosdevices/c:/Proscenia/bin/\xC9T\xC9.TXT", "x");
  const std::string bin = root + "/dosdevices/c:/Proscenia/bin/";
  EXPECT_EQ(ResolvePathCase(ToLocalPath("C:\\PROSCENIA\\BIN\\ÉTÉ.TXT")), bin + "été.txt");
  EXPECT_EQ(ResolvePathCase(ToLocalPath("C:\\PROSCENIA\\BIN\\\xC9t\xC9.txt")), bin + "\xC9T\xC9.TXT");
  EXPECT_EQ(ResolvePathCase(bin + "\xE9t\xE9.txt"), bin + "\xE9t\xE9.txt");
}

TEST(PathsTest, TellsFullPathsAndJoinsAndSplitsLocalPaths) {
  for (const char* full : {"/home/x", "C:\\Windows", "c:relative"}) EXPECT_TRUE(IsFullPath(full)) << full;
  for (const char* notFull : {"Orv_Spec.ini", "home/x/Orv_Spec.ini", ""}) EXPECT_FALSE(IsFullPath(notFull)) << notFull;
  EXPECT_EQ(JoinPath("/app", "bin"), "/app/bin");
  EXPECT_EQ(JoinPath("/app/", "/bin"), "/app/bin");
  EXPECT_EQ(JoinPath("", "Orv_Spec.ini"), "Orv_Spec.ini");
  EXPECT_EQ((std::vector<std::string>{ParentFolder("a/b/c.txt"), ParentFolder("/c.txt"), ParentFolder("c.txt")}),
            (std::vector<std::string>{"a/b", "/", ""}));
  EXPECT_EQ(FileName("a/b/c.txt"), "c.txt");
  EXPECT_EQ(FileName("c.txt"), "c.txt");
}

TEST(PathsTest, ApplicationFolderIsTheExecutablesFolderUnlessOverridden) {
  TempFolder temp;
  const std::string real = ApplicationFolder();
  ASSERT_FALSE(real.empty());
  EXPECT_NE(real.back(), '/');
  EXPECT_TRUE(std::filesystem::is_regular_file(real + "/platform_tests"));
  SetApplicationFolderForTesting(temp.str());
  EXPECT_EQ(ApplicationFolder(), temp.str());
  SetApplicationFolderForTesting(std::nullopt);
  EXPECT_EQ(ApplicationFolder(), real);
}

}  // namespace
}  // namespace maj::platform
