// Conditional packages in whole runs: which conditions hold back the plain files, what is fetched, and the
// actions of the package's rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/engine/update_test_support.h"
#include "tests/support/pe_fixtures.h"

namespace maj::engine {
namespace {

namespace fs = std::filesystem;
using maj::testing::ReadFileText;
using testing::ConditionalRow;
using testing::UpdateRunTest;

std::vector<std::string> Sorted(std::vector<std::string> texts) {
  std::sort(texts.begin(), texts.end());
  return texts;
}

TEST_F(UpdateRunTest, UnmetFileConditionFetchesOnlyThePackageAsStored) {
  Publish("plain.dll", "plain", "001.000.000");
  Insert({.nom = "Crystal.dll",
          .data = std::string("PK\x03\x04 not unpacked", 19),
          .condition = "%WINDIR%\\Crystal\\crpe32.dll",
          .typeCondition = 1});
  Insert(
      {.nom = "crpe32.dll", .data = "engine", .condition = "%WINDIR%\\Crystal\\crpe32.dll", .typeCondition = 1});
  listener_.overwriteNames = true;
  Check();

  EXPECT_EQ(engine_->ConditionsList(), std::vector<std::string>{"%WINDIR%\\Crystal\\crpe32.dll"});
  EXPECT_TRUE(engine_->UpdateList().empty());
  EXPECT_EQ(listener_.events, (std::vector<std::string>{
                                  "CheckVersion:Vérification des versions",
                                  "Download:Récupération des fichiers",
                                  "DownloadFile:Crystal.dll",
                                  "DownloadFile:crpe32.dll",
                                  "ActionFile:Crystal.dll",
                                  "ActionFile:crpe32.dll",
                                  "EndDownload:Mise à jour terminée",
                                  "OldNew:0,999999",
                              }));
  EXPECT_EQ(ReadFileText(machine_.bin() + "/crystal.dll"), std::string("PK\x03\x04 not unpacked", 19));
  EXPECT_EQ(ReadFileText(machine_.bin() + "/crpe32.dll"), "engine");
  EXPECT_FALSE(fs::exists(machine_.bin() + "/plain.dll"));
}

TEST_F(UpdateRunTest, AccentedNamesAreInstalledLoweredAndMeetConditionsInAnyLetterCase) {
  // The package installs the very file that its condition names in another letter case.
  const std::string condition = machine_.bin() + "\\Été 2026.TXT";
  Insert({.nom = "ÉTÉ 2026.txt", .data = "été", .condition = condition, .typeCondition = 1});
  machine_.Registry().WriteString(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Éditeur\\App", "Édition", "2");
  Insert({.nom = "vendor.dll", .data = "x", .condition = "HKLM\\SOFTWARE\\ÉDITEUR\\APP\\ÉDITION", .typeCondition = 2});
  // Published for Windows 7 only: not a condition here.
  Insert({.nom = "seven.dll", .data = "x", .condition = "C:\\nowhere\\seven.dll", .typeCondition = 1, .xp = false});
  const std::string dll = ReadFileText(maj::testing::PeFixture("full.dll"));  // says 13, 1, 0, 10
  Publish("Éditions.DLL", dll, "013.001.000.010");

  Check();
  EXPECT_EQ(engine_->ConditionsList(), std::vector<std::string>{condition});
  EXPECT_EQ(Names(engine_->InstallList()), std::vector<std::string>{"été 2026.txt"});
  EXPECT_EQ(ReadFileText(machine_.bin() + "/été 2026.txt"), "été");
  EXPECT_FALSE(fs::exists(machine_.bin() + "/ÉTÉ 2026.txt"));

  // The condition now holds: the plain files are checked, and the archive's "Éditions.DLL" is installed.
  Check();
  EXPECT_TRUE(engine_->ConditionsList().empty());
  EXPECT_EQ(Names(engine_->InstallList()), std::vector<std::string>{"éditions.dll"});
  EXPECT_EQ(ReadFileText(machine_.bin() + "/éditions.dll"), dll);

  Check();
  EXPECT_TRUE(engine_->ConditionsList().empty());
  EXPECT_TRUE(engine_->UpdateList().empty());
  EXPECT_TRUE(engine_->InstallList().empty());
}

TEST_F(UpdateRunTest, TypeThreeIsAlwaysFetchedAndATextUnderTwoTypesTwice) {
  machine_.Write(machine_.bin() + "/twice.txt", "older copy");
  Insert({.nom = "always.txt", .data = "a", .condition = "anything", .typeCondition = 3});
  // The same text as a file path and as a registry value, neither present: appended twice.
  Insert({.nom = "twice.txt", .data = "t", .condition = "SOFTWARE\\Vendor\\Twice", .typeCondition = 1});
  Insert({.nom = "twice.txt", .data = "t", .condition = "SOFTWARE\\Vendor\\Twice", .typeCondition = 2});
  // Quotes and backslashes in a condition still find its own rows, and only those.
  const std::string quoted = "C:\\Program Files\\L'App\\\\share\\x.dll";
  const std::string doubled = "C:\\Program Files\\L''App\\share\\x.dll";
  Insert({.nom = "quoted.txt", .data = "q", .condition = quoted, .typeCondition = 1});
  Insert({.nom = "other.txt", .data = "o", .condition = doubled, .typeCondition = 3});
  Check();
  EXPECT_EQ(Sorted(engine_->ConditionsList()),
            Sorted({"SOFTWARE\\Vendor\\Twice", "SOFTWARE\\Vendor\\Twice", "anything", quoted, doubled}));
  // Each condition text takes all of its rows, whatever their type: twice.txt four times, one file.
  EXPECT_EQ(Sorted(Names(engine_->InstallList())),
            (std::vector<std::string>{"always.txt", "other.txt", "quoted.txt", "twice.txt", "twice.txt", "twice.txt",
                                      "twice.txt"}));
  EXPECT_EQ(ReadFileText(machine_.bin() + "/always.txt"), "a");
  // Installed once; the later entries find their shared copy moved and leave the installed file alone.
  EXPECT_EQ(ReadFileText(machine_.bin() + "/twice.txt"), "t");
  EXPECT_TRUE(machine_.PendingMoves().empty());
  EXPECT_EQ(listener_.events[listener_.events.size() - 2], "EndDownload:Mise à jour terminée");
}

TEST_F(UpdateRunTest, PackageActionsRunFromTheWorkingFolder) {
  // The script outlives several polls before it leaves its mark: the run must wait for it.
  const std::string script =
      "#!/bin/sh\nsleep 0.3; echo \"$(basename \"$0\") $* | $(pwd)\" >> '" + machine_.app() + "/calls.txt'\n";
  Insert({.nom = "setup.sh",
          .data = script,
          .condition = "%windir%\\setup.log",
          .typeCondition = 1,
          .action1 = 3,
          .actionData1 = "%MAJ%\\setup.sh /S /v",
          .action2 = 5});
  Check();
  EXPECT_EQ(machine_.Calls(), std::vector<std::string>{"setup.sh /S /v | " + machine_.app() + "/MAJ"});
  EXPECT_EQ(listener_.events[listener_.events.size() - 3], "NeedReboot");
  EXPECT_EQ(listener_.events[listener_.events.size() - 2],
            "EndDownload:Mise à jour terminéeVous devez redémarrer pour terminer la mise à jour");
  // Not moved (action1 is set), and nothing waits for the next start: the working folder goes.
  EXPECT_FALSE(fs::exists(machine_.bin() + "/setup.sh"));
  EXPECT_FALSE(fs::exists(machine_.app() + "/MAJ"));
}

TEST_F(UpdateRunTest, PublishedNameWithAFolderIsRefused) {
  Insert({.nom = "../escape.txt", .data = "x", .condition = "c", .typeCondition = 3});
  EXPECT_THROW(Check(), std::runtime_error);
  EXPECT_FALSE(fs::exists(machine_.app() + "/escape.txt"));
}

}  // namespace
}  // namespace maj::engine
