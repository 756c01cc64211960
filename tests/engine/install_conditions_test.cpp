// Install conditions of conditional packages and the main executable's version numbers. The working folder
// (cleared, MAJ1 beside a folder a next start still needs) is checked by the whole runs of update_run_test.
#include "engine/install_conditions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/main_version_number.h"
#include "tests/engine/install_test_support.h"

namespace maj::engine {
namespace {

namespace fs = std::filesystem;
using testing::InstallMachine;

TEST(FileConditionTest, ExpandsWindirInAnyCaseIgnoresNameCaseAndMatchesWildcards) {
  InstallMachine machine;
  const char* windir = std::getenv("WINDIR");
  ASSERT_NE(windir, nullptr);
  machine.Write(std::string(windir) + "/Fonts/Arial.TTF", "font");
  EXPECT_TRUE(IsFileConditionMet("%windir%\\Fonts\\arial.ttf"));
  EXPECT_TRUE(IsFileConditionMet("%WinDir%/fonts/arial.ttf"));
  EXPECT_FALSE(IsFileConditionMet("%windir%\\Fonts\\verdana.ttf"));
  EXPECT_FALSE(IsFileConditionMet("%windir%\\Fonts"));  // a folder does not count
  EXPECT_FALSE(IsFileConditionMet(""));

  // Wildcards match plain files only, and only in the last part.
  machine.Write(machine.app() + "/bin/crystal/CRPE32.DLL", "x");
  fs::create_directories(machine.app() + "/bin/crystal/reports.d");
  EXPECT_TRUE(IsFileConditionMet(machine.app() + "/bin/crystal/crpe*.dll"));
  EXPECT_TRUE(IsFileConditionMet(machine.app() + "/bin/crystal/CRPE3?.DLL"));
  EXPECT_TRUE(IsFileConditionMet(machine.app() + "/bin/crystal/*.*"));
  EXPECT_FALSE(IsFileConditionMet(machine.app() + "/bin/crystal/crpe?.dll"));
  EXPECT_FALSE(IsFileConditionMet(machine.app() + "/bin/crystal/reports*"));  // only a folder matches
  EXPECT_FALSE(IsFileConditionMet(machine.app() + "/bin/*/crpe32.dll"));      // no wildcards in folders
}

TEST(RegistryConditionTest, ReadsATextValueUnderLocalMachine) {
  InstallMachine machine;
  platform::RegistryFile registry = machine.Registry();
  registry.WriteString(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Vendor\\App", "Version", "1.0");
  registry.WriteString(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Vendor\\App", "Empty", "");
  registry.WriteMultiString(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Vendor\\App", "List", {"a"});
  {
    std::ofstream out(machine.registryPath(), std::ios::app);
    out << "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Number]\n\"Count\"=dword:00000002\n";
  }
  EXPECT_TRUE(IsRegistryConditionMet("HKLM\\SOFTWARE\\Vendor\\App\\Version"));
  EXPECT_TRUE(IsRegistryConditionMet("HKEY_LOCAL_MACHINE\\software\\vendor\\app\\version"));
  EXPECT_TRUE(IsRegistryConditionMet("SOFTWARE\\Vendor\\App\\Version"));
  EXPECT_TRUE(IsRegistryConditionMet("HKLM\\SOFTWARE\\Vendor\\App\\Empty"));  // empty text still exists
  EXPECT_FALSE(IsRegistryConditionMet("HKLM\\SOFTWARE\\Vendor\\App\\Missing"));
  EXPECT_FALSE(IsRegistryConditionMet("HKLM\\SOFTWARE\\Vendor\\App\\List"));      // not a text
  EXPECT_FALSE(IsRegistryConditionMet("HKLM\\SOFTWARE\\Vendor\\Number\\Count"));  // a number counts as absent
  EXPECT_FALSE(IsRegistryConditionMet("Version"));                                // no "\": names no value
}

TEST(MainVersionNumberTest, LastTwoCharactersOfThreeParts) {
  const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
      {"13.01.0009", 130109}, {"013.001.010", 130110}, {"2.5.1", 251},       {"13.1.10", 13110},
      {"13.01", 130100},      {"13.01.0010.5", 130110},
      {"beta", std::nullopt}, {"", std::nullopt}};
  for (const auto& [version, expected] : cases) EXPECT_EQ(MainVersionNumber(version), expected) << version;
}

}  // namespace
}  // namespace maj::engine
