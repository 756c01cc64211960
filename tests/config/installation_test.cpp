#include "config/installation.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

#include "config/profile_reader.h"
#include "platform/paths.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::config {
namespace {

using maj::testing::TempFolder;

// An application folder, a home, a Windows folder and a local application data folder in a temp folder.
class InstallationTest : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }
  void TearDown() override { platform::SetApplicationFolderForTesting(std::nullopt); }

  // Starts again in a new temp folder.
  void Fresh() {
    temp_ = std::make_unique<TempFolder>();
    for (const char* folder : {"app", "home", "windows", "data"}) std::filesystem::create_directories(Path(folder));
    platform::SetApplicationFolderForTesting(Path("app"));
    env_.Set("HOME", Path("home"))
        .Set("Windir", std::nullopt)
        .Set("WINDIR", Path("windows"))
        .Set("WINEPREFIX", Path("wine"))
        .Set("XDG_DATA_HOME", Path("data"));
  }

  std::string Path(const std::string& relative) const { return (temp_->path() / relative).string(); }

  std::unique_ptr<TempFolder> temp_;
  maj::testing::ScopedEnvironment env_;
};

// The bin folder is made by the first install of a whole run (command_line_test), left alone by the next.
TEST_F(InstallationTest, BinFolderOfAMissingApplicationFolderIsAFailure) {
  platform::SetApplicationFolderForTesting(Path("missing/app"));
  EXPECT_THROW(GetBinFolder(), std::runtime_error);
}

TEST_F(InstallationTest, LocalApplicationDataFolder) {
  EXPECT_EQ(GetSpecialFolderPath(28), Path("data"));
  env_.Set("XDG_DATA_HOME", "relative/data");
  EXPECT_EQ(GetSpecialFolderPath(28), Path("home") + "/.local/share");
  env_.Set("XDG_DATA_HOME", std::nullopt).Set("HOME", "");
  EXPECT_EQ(GetSpecialFolderPath(28), "");
}

TEST_F(InstallationTest, ChoosesCopiesAndNeverOverwritesTheSettingsFile) {
  struct Case {
    const char* what;
    std::optional<std::string> home;  // nullopt: the temp folder's home
    std::vector<std::pair<std::string, std::string>> files;
    std::string settingsPath;  // "{}" stands for the temp folder
    std::string dsn;           // what the profile reader then reads
    const char* windir = nullptr;  // nullptr: the temp folder's Windows folder
  };
  const auto settings = [](const std::string& dsn) { return "[DSN]\ndsnBill=" + dsn + "\n"; };
  const Case cases[] = {
      {"marker in bin only", std::nullopt,
       {{"app/bin/velandre.ini", ""}, {"data/Orvane/Orv_Spec.ini", settings("local")}},
       "{}/app/Orv_Spec.ini", "local"},
      {"marker beside the executable, any case; no local copy", std::nullopt,
       {{"app/Velandre.INI", ""}, {"home/Orv_Spec.ini", settings("home")}, {"windows/Orv_Spec.ini", settings("win")}},
       "{}/app/Orv_Spec.ini", "win"},
      {"no marker: home, found ignoring case", std::nullopt,
       {{"home/orv_spec.INI", settings("existing")}, {"data/Orvane/Orv_Spec.ini", settings("local")}},
       "{}/home/Orv_Spec.ini", "existing"},
      {"an existing file is never overwritten", std::nullopt,
       {{"home/Orv_Spec.ini", settings("old")}, {"data/Orvane/Orv_Spec.ini", settings("newer")}},
       "{}/home/Orv_Spec.ini", "old"},
      {"home empty: the bare name, copied into the Windows folder", "",
       {{"data/Orvane/Orv_Spec.ini", settings("local")}}, "Orv_Spec.ini", "local"},
      {"relative home: below the Windows folder", "users/régie",
       {{"windows/users/régie/.keep", ""}, {"windows/Orv_Spec.ini", settings("win")}},
       "users/régie/Orv_Spec.ini", "win"},
      {"a Windows folder in Windows form goes through the Wine prefix", "",
       {{"wine/dosdevices/c:/windows/Orv_Spec.ini", settings("wine")}}, "Orv_Spec.ini", "wine", "C:\\Windows"},
      {"a failed copy falls back to the bare name", "{}/home/missing folder",
       {{"data/Orvane/Orv_Spec.ini", settings("local")}}, "Orv_Spec.ini", ""},
      {"nothing to copy is no failure", std::nullopt, {}, "{}/home/Orv_Spec.ini", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fresh();
    const auto expand = [&](std::string text) {
      if (text.starts_with("{}")) text.replace(0, 2, temp_->str());
      return text;
    };
    for (const auto& [path, content] : c.files) temp_->WriteFile(path, content);
    if (c.home) env_.Set("HOME", expand(*c.home));
    if (c.windir) env_.Set("WINDIR", c.windir);
    LocateSettingsFile();
    EXPECT_EQ(SettingsFilePath(), expand(c.settingsPath));
    EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "", 255, SettingsFilePath()), c.dsn);
    EXPECT_FALSE(std::filesystem::exists(Path("home/missing folder")));
  }
}

}  // namespace
}  // namespace maj::config
