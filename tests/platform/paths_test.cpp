// Environment variables, local paths of Windows names, and the letter-case-blind text functions they use.
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/environment.h"
#include "platform/text.h"
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
  EXPECT_EQ(JoinPath("/app/", "/bin"), "/app/bin");
  EXPECT_EQ(ParentFolder("/c.txt"), "/");
}

TEST(PathsTest, ApplicationFolderIsTheGivenOneElseTheNamedOneElseTheProgramsOwn) {
  TempFolder temp;
  temp.WriteFile("dosdevices/c:/Proscenia/velandre.ini", "");
  const std::string installed = temp.str() + "/dosdevices/c:/Proscenia";
  ScopedEnvironment env;
  env.Set("WINEPREFIX", temp.str()).Set(kInstallationFolderVariable, std::nullopt);
  EXPECT_EQ(ApplicationFolder(), ExecutableFolder());
  EXPECT_TRUE(ExecutableFolder().ends_with("/platform")) << ExecutableFolder();

  env.Set(kInstallationFolderVariable, "C:\\PROSCENIA\\");
  EXPECT_EQ(ApplicationFolder(), installed);
  env.Set(kInstallationFolderVariable, "");
  EXPECT_EQ(ApplicationFolder(), ExecutableFolder());

  env.Set(kInstallationFolderVariable, "/elsewhere");
  SetApplicationFolder(temp.str() + "/dosdevices/C:/proscenia/../Proscenia/");
  EXPECT_EQ(ApplicationFolder(), installed);
  SetApplicationFolderForTesting(std::nullopt);
  EXPECT_EQ(ApplicationFolder(), "/elsewhere");
}

TEST(TextTest, ComparesLowersAndReplacesIgnoringLetterCase) {
  EXPECT_FALSE(EqualsIgnoreCase("orv_spec.exe", "orv_spec.ex"));
  EXPECT_TRUE(StartsWithIgnoreCase("%maj%\\setup.exe", "%MAJ%"));
  EXPECT_FALSE(EndsWithIgnoreCase("x", ".ocx"));
  // Every letter, accented ones included.
  EXPECT_EQ(ToLowerCase("ÉTÉ 2026.TXT"), "été 2026.txt");
  EXPECT_TRUE(EqualsIgnoreCase("Nouveautés.PDF", "NOUVEAUTÉS.pdf"));
  EXPECT_FALSE(EqualsIgnoreCase("été.txt", "ete.txt"));
  EXPECT_TRUE(EndsWithIgnoreCase("Œuvres\\ÉTÉ", "\\été"));
  EXPECT_EQ(ReplaceAllIgnoreCase("Été\\ÉTÉ\\ete", "été", "x"), "x\\x\\ete");
  // A letter whose two cases take different numbers of bytes: the Kelvin sign and "k".
  EXPECT_EQ(ReplaceAllIgnoreCase("a\u212Ab", "k", "-"), "a-b");
  // Bytes that are not UTF-8 (Latin-1 "ÉTÉ", a sequence cut short) stand for themselves.
  EXPECT_EQ(ToLowerCase("\xC9T\xC9.TXT"), "\xC9t\xC9.txt");
  EXPECT_EQ(ToLowerCase("ÉT\xC3"), "ét\xC3");
  EXPECT_TRUE(EqualsIgnoreCase("\xC9t\xC9", "\xC9T\xC9"));
  EXPECT_FALSE(EqualsIgnoreCase("\xC9t\xC9", "\xE9t\xE9"));
  EXPECT_FALSE(StartsWithIgnoreCase("\xC3", "Ã"));
}

TEST(TextTest, MatchesPatternsWithEitherPairOfWildcards) {
  struct Case {
    const char* text;
    const char* pattern;  // written with '*' and '?'; the same case runs again with '%' and '_'
    bool matches;
  };
  const Case cases[] = {
      {"Orv_Spec.EXE", "orv_spec.exe", true}, {"orv_spec.exe", "orv_spec.ex", false},
      {"orv_spec.ex", "orv_spec.exe", false}, {"", "*", true},
      {"", "?", false},                        {"abc", "*d", false},
      {"ABC", "a?c", true},                    {"abcd", "a?c", false},
      {"ac", "a?c", false},                    {"a.b.c", "*.c", true},
      {"aXbXc", "a*b*c", true},                {"aXbXb", "a*b*c", false},
      // The last run must give back characters several times before the tail fits.
      {"mississippi", "m*iss*ppi", true},      {"mississippi", "m*iss*ippix", false},
      {"abab", "*ab", true},                   {"xyz", "x**?", true},
      // One wildcard character stands for one letter, whatever its size; stray bytes count one each.
      {"Éditions.DLL", "é*.dll", true},        {"ÉTÉ.txt", "?t?.TXT", true},
      {"été.txt", "e*", false},                {"\xC9T\xC9", "?t?", true},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(MatchesPatternIgnoreCase(test.text, test.pattern, '*', '?'), test.matches)
        << test.text << " ~ " << test.pattern;
    std::string like = test.pattern;
    std::replace(like.begin(), like.end(), '*', '%');
    std::replace(like.begin(), like.end(), '?', '_');
    EXPECT_EQ(MatchesPatternIgnoreCase(test.text, like, '%', '_'), test.matches) << test.text << " ~ " << like;
  }
  // Each pair's characters are plain characters for the other.
  EXPECT_FALSE(MatchesPatternIgnoreCase("abc", "%", '*', '?'));
  EXPECT_TRUE(MatchesPatternIgnoreCase("50%", "50%", '*', '?'));
  EXPECT_FALSE(MatchesPatternIgnoreCase("orv_spec", "orv?spec", '%', '_'));
  EXPECT_TRUE(MatchesPatternIgnoreCase("orvXspec", "orv_spec", '%', '_'));
}

}  // namespace
}  // namespace maj::platform
