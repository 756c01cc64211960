#include "config/installation.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "config/profile_reader.h"
#include "platform/paths.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::config {
namespace {

using maj::testing::ReadFileText;
using maj::testing::ScopedEnvironment;
using maj::testing::TempFolder;

// An application folder, a home, a Windows folder and a local application data folder in a temp folder.
class InstallationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"app", "home", "windows", "data"}) std::filesystem::create_directories(temp_.path() / folder);
    platform::SetApplicationFolderForTesting(Path("app"));
    env_.Set("HOME", Path("home"))
        .Set("Windir", std::nullopt)
        .Set("WINDIR", Path("windows"))
        .Set("XDG_DATA_HOME", Path("data"));
  }
  void TearDown() override { platform::SetApplicationFolderForTesting(std::nullopt); }

  std::string Path(const std::string& relative) const { return (temp_.path() / relative).string(); }
  std::string Write(const std::string& relative, const std::string& content) {
    return temp_.WriteFile(relative, content);
  }

  TempFolder temp_;
  ScopedEnvironment env_;
};

TEST_F(InstallationTest, BinFolderIsCreatedOnceAndAnythingNamedBinCounts) {
  EXPECT_EQ(GetBinFolder(), Path("app/bin"));
  EXPECT_TRUE(std::filesystem::is_directory(Path("app/bin")));
  Write("app/bin/kept.dll", "x");
  EXPECT_EQ(GetBinFolder(), Path("app/bin"));
  EXPECT_EQ(ReadFileText(Path("app/bin/kept.dll")), "x");

  std::filesystem::remove_all(Path("app/bin"));
  Write("app/bin", "a plain file");
  EXPECT_EQ(GetBinFolder(), Path("app/bin"));
  EXPECT_TRUE(std::filesystem::is_regular_file(Path("app/bin")));

  platform::SetApplicationFolderForTesting(Path("missing/app"));
  EXPECT_THROW(GetBinFolder(), std::runtime_error);
}

TEST_F(InstallationTest, LocalApplicationDataFolder) {
  EXPECT_EQ(GetSpecialFolderPath(28), Path("data"));
  EXPECT_EQ(GetSpecialFolderPath(26), "");
  env_.Set("XDG_DATA_HOME", "relative/data");
  EXPECT_EQ(GetSpecialFolderPath(28), Path("home") + "/.local/share");
  env_.Set("XDG_DATA_HOME", std::nullopt).Set("HOME", "");
  EXPECT_EQ(GetSpecialFolderPath(28), "");
}

TEST_F(InstallationTest, MarkerInBinOnlySelectsTheApplicationFolder) {
  Write("app/bin/velandre.ini", "");
  Write("data/Orvane/Orv_Spec.ini", "[DSN]\ndsnBill=proscenia\n");
  LocateSettingsFile();
  EXPECT_EQ(SettingsFilePath(), Path("app") + "/Orv_Spec.ini");
  EXPECT_EQ(ReadFileText(Path("app/Orv_Spec.ini")), "[DSN]\ndsnBill=proscenia\n");
  EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "", 255, SettingsFilePath()), "proscenia");
}

TEST_F(InstallationTest, MarkerBesideTheExecutableIsFoundIgnoringCase) {
  Write("app/Velandre.INI", "");
  Write("home/Orv_Spec.ini", "home");
  Write("windows/Orv_Spec.ini", "windows");
  LocateSettingsFile();
  EXPECT_EQ(SettingsFilePath(), Path("app") + "/Orv_Spec.ini");
  // The local application data copy is absent: the Windows folder's one is copied.
  EXPECT_EQ(ReadFileText(Path("app/Orv_Spec.ini")), "windows");
}

TEST_F(InstallationTest, WithoutMarkerTheHomeFileIsChosen) {
  Write("home/orv_spec.INI", "existing");
  LocateSettingsFile();
  EXPECT_EQ(SettingsFilePath(), Path("home") + "/Orv_Spec.ini");
  EXPECT_FALSE(std::filesystem::exists(Path("home/Orv_Spec.ini")));
}

TEST_F(InstallationTest, AnExistingSettingsFileIsNeverOverwritten) {
  Write("home/Orv_Spec.ini", "old");
  Write("data/Orvane/Orv_Spec.ini", "newer");
  Write("windows/Orv_Spec.ini", "windows");
  LocateSettingsFile();
  EXPECT_EQ(SettingsFilePath(), Path("home") + "/Orv_Spec.ini");
  EXPECT_EQ(ReadFileText(Path("home/Orv_Spec.ini")), "old");
}

TEST_F(InstallationTest, WithoutMarkerAndHomeTheBareNameIsLookedForInTheWindowsFolder) {
  env_.Set("HOME", "");
  Write("data/Orvane/Orv_Spec.ini", "from local data");
  LocateSettingsFile();
  EXPECT_EQ(SettingsFilePath(), "Orv_Spec.ini");
  EXPECT_EQ(ReadFileText(Path("windows/Orv_Spec.ini")), "from local data");
}

TEST_F(InstallationTest, ARelativeHomeIsTestedBelowTheWindowsFolderButStoredAsWritten) {
  env_.Set("HOME", "users/régie");
  std::filesystem::create_directories(Path("windows/users/régie"));
  Write("windows/Orv_Spec.ini", "[DSN]\ndsnBill=from windows\n");
  LocateSettingsFile();
  EXPECT_EQ(SettingsFilePath(), "users/régie/Orv_Spec.ini");
  EXPECT_EQ(ReadFileText(Path("windows/users/régie/Orv_Spec.ini")), "[DSN]\ndsnBill=from windows\n");
  EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "", 255, SettingsFilePath()), "from windows");
}

TEST_F(InstallationTest, AWindowsFormWindowsFolderGoesThroughTheWinePrefix) {
  env_.Set("HOME", "").Set("WINEPREFIX", Path("wine")).Set("WINDIR", "C:\\Windows");
  Write("wine/dosdevices/c:/windows/Orv_Spec.ini", "[DSN]\ndsnBill=wine\n");
  LocateSettingsFile();
  EXPECT_EQ(SettingsFilePath(), "Orv_Spec.ini");
  EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "", 255, SettingsFilePath()), "wine");
}

TEST_F(InstallationTest, AFailedCopyFallsBackToTheBareName) {
  env_.Set("HOME", Path("home/missing folder"));
  Write("data/Orvane/Orv_Spec.ini", "x");
  LocateSettingsFile();
  EXPECT_EQ(SettingsFilePath(), "Orv_Spec.ini");
  EXPECT_FALSE(std::filesystem::exists(Path("home/missing folder")));

  // Nothing to copy is not a failure: the choice stays.
  env_.Set("HOME", Path("home"));
  std::filesystem::remove_all(Path("data/Orvane"));
  LocateSettingsFile();
  EXPECT_EQ(SettingsFilePath(), Path("home") + "/Orv_Spec.ini");
}

}  // namespace
}  // namespace maj::config
