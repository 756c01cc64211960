// Whole update runs against rows published through cls_File: files in place, working folder, restart, main
// executable versions. The plain run (fetch, install, register, statuses in order) is command_line_test's.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/working_folder.h"
#include "sysinfo/os_identification.h"
#include "tests/engine/update_test_support.h"
#include "tests/support/pe_fixtures.h"
#include "tests/transfer/fichier64_test_support.h"
#include "transfer/cls_file.h"

namespace maj::engine {
namespace {

namespace fs = std::filesystem;
using maj::testing::ReadFileText;
using testing::UpdateRunTest;

TEST_F(UpdateRunTest, AVersionBeingPublishedIsSkippedUntilItsLastVolumeIsStored) {
  const std::string big = transfer::testing::RandomBytes(2 * 819200 + 1000, 7);
  machine_.Write(machine_.app() + "/orv_spec.exe", "old copy");
  Publish("Orv_Spec.exe", big, "013.001.010");
  Publish("other.dll", "other", "001.000.000");
  // The publisher has stored the first of the three volume rows; the other two are still to come.
  database_.Execute("CREATE TABLE still_to_come LIKE Fichier64");
  database_.Execute("INSERT INTO still_to_come SELECT * FROM Fichier64 WHERE archive LIKE 'Orv_Spec.exe.zip.00_' "
                    "AND archive <> 'Orv_Spec.exe.zip.001'");
  database_.Execute("DELETE FROM Fichier64 WHERE cle_fichier IN (SELECT cle_fichier FROM still_to_come)");
  ASSERT_EQ(database_.QueryValue("SELECT COUNT(*) FROM still_to_come"), "2");

  Check();
  EXPECT_NE(std::find(listener_.events.begin(), listener_.events.end(),
                      "Download:orv_spec.exe : version 013.001.010 incomplète dans la base (publication en "
                      "cours), fichier ignoré"),
            listener_.events.end());
  EXPECT_EQ(Names(engine_->InstallList()), std::vector<std::string>{"other.dll"});
  EXPECT_EQ(ReadFileText(machine_.app() + "/orv_spec.exe"), "old copy");
  EXPECT_EQ(ReadFileText(machine_.bin() + "/other.dll"), "other");
  EXPECT_EQ(listener_.events[listener_.events.size() - 2], "EndDownload:Mise à jour terminée");

  database_.Execute("INSERT INTO Fichier64 SELECT * FROM still_to_come");
  Check();
  EXPECT_EQ(ReadFileText(machine_.app() + "/orv_spec.exe"), big);
  EXPECT_FALSE(fs::exists(machine_.app() + "/MAJ"));
  EXPECT_EQ(listener_.events.back(), "OldNew:0,130110");  // one published version: lOld stays 0
}

TEST_F(UpdateRunTest, FileInUseIsLeftForTheNextStartAndMajPendingFinishesIt) {
  machine_.InstallRegsvr32();
  const std::string installed = machine_.Write(machine_.bin() + "/report.ocx", "old copy");
  Publish("report.ocx", "new copy", "001.000.000", 2);
  Publish("other.dll", "other", "001.000.000");
  {
    testing::FileInUse inUse("report.ocx");
    platform::ScopedFileOperationsOverride override(inUse);
    Check();
  }
  EXPECT_EQ(listener_.events,
            (std::vector<std::string>{
                "CheckVersion:Vérification des versions",
                "Download:Récupération des fichiers",
                "DownloadFile:report.ocx",
                "DownloadFile:other.dll",
                "ActionFile:report.ocx",
                "ActionFile:other.dll",
                "NeedReboot",
                "EndDownload:Mise à jour terminéeVous devez redémarrer pour terminer la mise à jour",
                "OldNew:0,999999",
            }));
  EXPECT_EQ(ReadFileText(installed), "old copy");
  EXPECT_EQ(ReadFileText(machine_.bin() + "/other.dll"), "other");
  // The source of the replacement survives the run's cleanup.
  const std::string source = machine_.app() + "/MAJ/report.ocx";
  EXPECT_EQ(ReadFileText(source), "new copy");
  EXPECT_EQ(machine_.PendingMoves(), (std::vector<std::string>{source, installed}));
  EXPECT_EQ(machine_.RunOnce("register report.ocx"),
            "\"" + machine_.systemFolder() + "\\regsvr32.exe\" /s \"" + installed + "\"");
  EXPECT_TRUE(machine_.Calls().empty());

  // Another update before the restart works beside the folder that the next start still needs.
  Check();
  EXPECT_EQ(WorkingFolder(), machine_.app() + "/MAJ1");
  EXPECT_EQ(ReadFileText(source), "new copy");

  ASSERT_EQ(testing::RunMajPending(machine_), 0);
  EXPECT_EQ(ReadFileText(installed), "new copy");
  EXPECT_FALSE(fs::exists(source));
  EXPECT_TRUE(machine_.PendingMoves().empty());
  EXPECT_EQ(machine_.RunOnce("register report.ocx"), "<absent>");
  // Registered in place by the second update, then once more at the start.
  EXPECT_EQ(machine_.Calls().size(), 2u);

  // Nothing is pending any more: the next run works in MAJ again and removes it.
  Check();
  EXPECT_EQ(WorkingFolder(), machine_.app() + "/MAJ");
  EXPECT_FALSE(fs::exists(machine_.app() + "/MAJ"));
}

TEST_F(UpdateRunTest, AVersionNotForThisWindowsOrMissingFromItsArchiveIsSkippedWithANotice) {
  Publish("tools.dll", "tools 1 for XP", "001.000.000");
  Publish("tools.dll", "tools 2 for 7", "002.000.000", 0, false);
  Publish("l'aide.chm", "other", "001.000.000");
  // The archive is made from the file given, under that file's own name.
  const auto publishFrom = [&](const std::string& relativePath, const std::string& content, const std::string& nom) {
    transfer::cls_File record;
    record.SetPath(publishing_.WriteFile(relativePath, content));
    record.SetNom(nom);
    record.SetCurrentVersion("001.000.000");
    record.SetWXP(true);
    record.Upload();
  };
  publishFrom("wrong/autre.dll", "not tools", "outils.dll");
  // An entry differing only in letter case is the file itself.
  publishFrom("case/Aide.CHM", "help", "aide.chm");
  Check();
  EXPECT_EQ(Names(engine_->UpdateList()), (std::vector<std::string>{"tools.dll", "l'aide.chm", "outils.dll",
                                                                     "aide.chm"}));
  EXPECT_EQ(Names(engine_->InstallList()), (std::vector<std::string>{"l'aide.chm", "aide.chm"}));
  for (const std::string notice : {"tools.dll : version 002.000.000 non publiée pour cette version de Windows",
                                   "outils.dll : version 001.000.000 absente de son archive publiée"}) {
    EXPECT_NE(std::find(listener_.events.begin(), listener_.events.end(), "Download:" + notice + ", fichier ignoré"),
              listener_.events.end())
        << notice;
  }
  for (const char* absent : {"tools.dll", "outils.dll", "autre.dll"}) {
    EXPECT_FALSE(fs::exists(machine_.bin() + "/" + absent)) << absent;
  }
  EXPECT_EQ(ReadFileText(machine_.bin() + "/l'aide.chm"), "other");
  EXPECT_EQ(ReadFileText(machine_.bin() + "/aide.chm"), "help");
  EXPECT_EQ(listener_.events[listener_.events.size() - 2], "EndDownload:Mise à jour terminée");
}

TEST_F(UpdateRunTest, ForcedCheckTakesEveryFileAndASecondCheckStartsAfresh) {
  fs::copy_file(maj::testing::PeFixture("full.dll"), machine_.app() + "/Orv_Spec.exe");
  Publish("Orv_Spec.exe", "older main", "013.000.009");
  Publish("Orv_Spec.exe", "old main", "013.001.000");  // older than the installed 13.1.0.10
  Check();
  EXPECT_TRUE(engine_->UpdateList().empty());

  Check(true);
  EXPECT_EQ(Names(engine_->UpdateList()), std::vector<std::string>{"orv_spec.exe"});
  EXPECT_EQ(Names(engine_->InstallList()), std::vector<std::string>{"orv_spec.exe"});
  EXPECT_EQ(engine_->InstallList()[0]->Path, machine_.app() + "/orv_spec.exe");
  // The installed copy is replaced under the lowered name, not doubled.
  EXPECT_EQ(ReadFileText(machine_.app() + "/orv_spec.exe"), "old main");
  EXPECT_FALSE(fs::exists(machine_.app() + "/Orv_Spec.exe"));
  EXPECT_EQ(listener_.events.back(), "OldNew:130009,130100");  // the two newest published versions
}

TEST_F(UpdateRunTest, AnAssemblyWithoutFrameworkIsInstalledAndAFileKeptAfterTheEngineNoLongerUsesTheScreen) {
  Publish("Billet.dll", "assembly", "001.000.000", 64);
  Check();
  EXPECT_EQ(messages_, std::vector<std::string>{"Le framework .net n'est pas installé !"});
  EXPECT_EQ(ReadFileText(machine_.bin() + "/billet.dll"), "assembly");  // installed all the same
  const std::shared_ptr<Fichier> kept = engine_->InstallList().at(0);
  engine_.reset();
  kept->Path = machine_.Write(machine_.working() + "/billet.dll", "again");
  EXPECT_FALSE(kept->ProcessAction());
  EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(UpdateRunTest, UnknownWindowsVersionStopsTheCheckWithAMessage) {
  machine_.Registry().WriteString(platform::RegistryRoot::LocalMachine,
                                  "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion", "10.0");
  sysinfo::ResetOSIdentificationForTesting();
  Publish("other.dll", "other", "001.000.000");
  EXPECT_EQ(maj::testing::FailureOf([&] { Check(); }),
            "La version de Windows de ce poste n'est pas reconnue : la mise à jour ne peut pas être vérifiée.");
  EXPECT_EQ(listener_.events, std::vector<std::string>{"CheckVersion:Vérification des versions"});
  EXPECT_FALSE(fs::exists(machine_.bin() + "/other.dll"));
}

}  // namespace
}  // namespace maj::engine
