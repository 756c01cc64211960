// `maj` with options, run as a child process from a copy of the program in a temporary installation, against
// a database of the test's own: exit statuses, the lines printed, rows stored, files installed or not.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/command_line_options.h"
#include "platform/processes.h"
#include "tests/support/large_files.h"
#include "tests/support/pe_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_database.h"

namespace maj::app {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using maj::testing::ReadFileText;

struct Outcome {
  int status = -1;
  Lines out;  // standard output, each line without its time stamp when it has one
  Lines err;
  std::string rawOut;
};

class CommandLineTest : public ::testing::Test {
 protected:
  CommandLineTest() {
    fs::create_directories(app_);
    fs::create_directories(windows_ + "/SYSTEM32");
    // The program finds its installation from its own path: it runs from a copy inside it.
    fs::copy_file(MAJ_PROGRAM, app_ + "/maj");
    root_.WriteFile("Proscenia/velandre.ini", "");
    root_.WriteFile("Proscenia/registry.reg",
                    "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\n"
                    "\"CurrentVersion\"=\"5.1\"\n\n"
                    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\n"
                    "\"PROCESSOR_ARCHITECTURE\"=\"x86\"\n");
    // Only in the user's data folder: the settings file is copied into the installation when first used.
    root_.WriteFile("data/Orvane/Orv_Spec.ini", "[DSN]\ndsnBill=" + database_.DataSourceName() + "\n");
  }

  Outcome Maj(const QStringList& arguments) const {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("MAJ_REGISTRY");
    environment.insert("WINDIR", QString::fromStdString(windows_));
    environment.insert("HOME", QString::fromStdString(root_.str()));
    environment.insert("XDG_DATA_HOME", QString::fromStdString(root_.str() + "/data"));
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(app_ + "/maj"), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    Outcome outcome;
    outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.rawOut = process.readAllStandardOutput().toStdString();
    outcome.out = Unstamped(outcome.rawOut);
    outcome.err = Unstamped(process.readAllStandardError().toStdString());
    return outcome;
  }

  static Lines Unstamped(const std::string& text) {
    static const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (.*))");
    Lines lines;
    std::istringstream in(text);
    std::smatch match;
    for (std::string line; std::getline(in, line);) {
      lines.push_back(std::regex_match(line, match, stamped) ? match[1].str() : line);
    }
    return lines;
  }

  // Every file and folder of the installation with a digest of its content (short enough to print).
  std::map<std::string, std::size_t> Installation() const {
    std::map<std::string, std::size_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(app_)) {
      files[entry.path().string()] = entry.is_regular_file() ? std::hash<std::string>{}(ReadFileText(entry.path())) : 0;
    }
    return files;
  }

  std::string TableCount() {
    return database_
        .QueryValue("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = '" + database_.DatabaseName() +
                    "' AND table_name = 'Fichier64'")
        .value_or("");
  }

  std::string Source(const std::string& name, const std::string& fixture) const {
    fs::create_directories(root_.str() + "/build");
    const std::string path = root_.str() + "/build/" + name;
    fs::copy_file(maj::testing::PeFixture(fixture), path);
    return path;
  }

  maj::testing::TempFolder root_;
  maj::testing::TestDatabase database_;
  std::string app_ = root_.str() + "/Proscenia";
  std::string windows_ = root_.str() + "/WINDOWS";
};

TEST_F(CommandLineTest, PublishedFilesAreCheckedWithoutAnyChangeThenInstalledByAnUnattendedRun) {
  const auto untouched = Installation();
  const Outcome noTable = Maj({"--check"});
  EXPECT_EQ(noTable.status, 1);
  EXPECT_EQ(noTable.err.size(), 1u);
  EXPECT_EQ(Installation(), untouched);

  // A component large enough to be split into volumes, with its preset, for XP and 7 only.
  const std::string decors = Source("Decors.DLL", "full.dll");
  {
    const std::string padding = root_.str() + "/padding";
    maj::testing::WriteRandomFile(padding, 2 * 819200 + 1000, 5);
    std::ofstream(decors, std::ios::binary | std::ios::app) << ReadFileText(padding);
  }
  fs::copy_file(maj::testing::PeFixture("missing_table.dll"), app_ + "/Orv_Spec.exe");  // 6.2.9200.16384
  const Outcome split = Maj({"--publish", QString::fromStdString(decors), "--windows", "xp, Win7"});
  EXPECT_EQ(split.status, 0);
  EXPECT_EQ(split.out,
            (Lines{"Compression de decors.dll", "Mise en base de decors.dll", "Envoi des FICHIERs terminé"}));
  EXPECT_EQ(Maj({"--publish", QString::fromStdString(Source("Orv_Spec.exe", "full.dll"))}).status, 0);
  EXPECT_EQ(Maj({"--publish", QString::fromStdString(Source("Orvane.Outils.dll", "full.dll")), "--regasm", "--codebase",
                 "--windows=Win8", "--version", "2.0"})
                .status,
            0);
  using Row = std::vector<std::optional<std::string>>;
  EXPECT_EQ(database_.Query("SELECT NOM, VERSION, TYPE, COUNT(*), WIN9X, WINME, WINNT4, WINXP, WIN2000, WIN2003, "
                            "Vista, Win7, Win8 FROM Fichier64 GROUP BY NOM, VERSION, TYPE ORDER BY MIN(CLE_FICHIER)"),
            (std::vector<Row>{
                {"decors.dll", "013.001.000.010", "2", "3", "0", "0", "0", "-1", "0", "0", "0", "-1", "0"},
                {"Orv_Spec.exe", "013.001.000.010", "0", "1", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1"},
                {"orvane.outils.dll", "002.000", "65", "1", "0", "0", "0", "0", "0", "0", "0", "0", "-1"},
            }));

  // The check reads, and writes nothing: no library folder, no working folder, no copied settings file.
  const auto published = Installation();
  const Outcome check = Maj({"--check"});
  EXPECT_EQ(check.status, 10);
  EXPECT_EQ(check.out,
            (Lines{"Fichier à récupérer : decors.dll (installé : aucun, publié : 013.001.000.010)",
                   "Fichier à récupérer : orv_spec.exe (installé : 6.2.9200.16384, publié : 013.001.000.010)"}));
  const Outcome json = Maj({"--check", "--json"});
  EXPECT_EQ(json.status, 10);
  EXPECT_EQ(nlohmann::json::parse(json.rawOut), nlohmann::json::parse(R"({"updatesWaiting": true, "conditions": [],
      "files": [{"name": "decors.dll", "installedVersion": null, "publishedVersion": "013.001.000.010"},
                {"name": "orv_spec.exe", "installedVersion": "6.2.9200.16384", "publishedVersion": "013.001.000.010"}],
      "refused": []})"));
  EXPECT_EQ(Installation(), published);
  EXPECT_FALSE(fs::exists(app_ + "/bin"));

  const Outcome run = Maj({"--unattended"});
  EXPECT_EQ(run.status, 0) << run.rawOut;
  Lines statuses;
  // A main application started by another test meanwhile would add its wait lines: they are not this run's.
  std::copy_if(run.out.begin(), run.out.end(), std::back_inserter(statuses),
               [](const std::string& line) { return line.rfind("Proscenia doit être fermé", 0) != 0; });
  EXPECT_EQ(statuses, (Lines{"Vérifie si Proscenia est lancé", "Prêt pour la mise à jour", "Vérification des versions",
                             "Récupération des fichiers", "Récupération de decors.dll", "Récupération de orv_spec.exe",
                             "Traitement de decors.dll", "Inscription au registre de decors.dll",
                             "Traitement de orv_spec.exe", "Mise à jour terminée"}));
  EXPECT_TRUE(maj::testing::SameFileContent(app_ + "/bin/decors.dll", decors));
  EXPECT_TRUE(maj::testing::SameFileContent(app_ + "/orv_spec.exe", maj::testing::PeFixture("full.dll")));
  EXPECT_FALSE(fs::exists(app_ + "/bin/orvane.outils.dll"));
  const Outcome upToDate = Maj({"--check"});
  EXPECT_EQ(upToDate.status, 0);
  EXPECT_EQ(upToDate.out, Lines{"Aucune mise à jour en attente"});

  // A package taken at every check whose action asks for a restart.
  database_.Execute(
      "INSERT INTO Fichier64 (NOM, DATA, WINXP, `condition`, typeCondition, action1) "
      "VALUES ('note.txt', 'x', -1, 'toujours', 3, 5)");
  EXPECT_EQ(Maj({"--check"}).out, Lines{"Paquet manquant : toujours"});
  const Outcome restart = Maj({"--unattended"});
  EXPECT_EQ(restart.status, 3);
  ASSERT_GE(restart.out.size(), 2u);
  EXPECT_EQ(Lines(restart.out.end() - 2, restart.out.end()),
            (Lines{"Mise à jour terminéeVous devez redémarrer pour terminer la mise à jour",
                   "Vous devez redémarrer pour terminer l'installation"}));
}

TEST_F(CommandLineTest, UnattendedRunGivesUpUnchangedWhenTheMainApplicationOutlastsTheWaitLimit) {
  QProcess standIn;
  standIn.start("bash", {"-c", "exec -a Orv_Spec.exe sleep 30"});
  ASSERT_TRUE(standIn.waitForStarted());
  const int pid = static_cast<int>(standIn.processId());
  auto named = [pid] {
    for (const platform::ProcessEntry& entry : platform::ListProcesses()) {
      if (entry.pid == pid) return entry.imageName == "Orv_Spec.exe";
    }
    return false;
  };
  while (!named()) QThread::msleep(10);

  const auto untouched = Installation();
  const Outcome run = Maj({"--unattended", "--wait-limit", "1"});
  standIn.kill();
  standIn.waitForFinished();

  EXPECT_EQ(run.status, 4);
  ASSERT_GE(run.out.size(), 2u);
  EXPECT_EQ(run.out[0], "Vérifie si Proscenia est lancé");
  const std::string waitLine =
      "Proscenia doit être fermé avant de poursuivre la mise à jour (processus " + std::to_string(pid) + ")";
  EXPECT_NE(std::find(run.out.begin(), run.out.end(), waitLine), run.out.end()) << run.rawOut;
  EXPECT_EQ(run.err, Lines{"Proscenia est encore lancé après 1 secondes d'attente : mise à jour abandonnée"});
  EXPECT_EQ(Installation(), untouched);
  EXPECT_EQ(TableCount(), "0");
}

// The parser alone, in process: each command line that must be refused, with the start of its French text,
// and the requests read from good ones.
TEST(CommandLineParserTest, RefusesBadCommandLinesAndReadsGoodOnes) {
  const auto refusal = [](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "maj");
    const auto parsed = ParseCommandLine(arguments);
    const auto* error = std::get_if<UsageError>(&parsed);
    return error ? error->message : std::string("<accepted>");
  };
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"--check", "--frobnicate"}, "Option inconnue : --frobnicate"},
      {{"--check", "stray"}, "Argument inattendu : stray"},
      {{"--unattended", "--check"}, "Une seule action à la fois"},
      {{"--check", "--wait-limit", "5"}, "L'option --wait-limit ne s'emploie qu'avec --unattended."},
      {{"--unattended", "--wait-limit"}, "Valeur manquante après --wait-limit"},
      {{"--unattended", "--wait-limit", "-3"}, "--wait-limit attend un nombre de secondes"},
      {{"--json"}, "L'option --json ne s'emploie qu'avec --check."},
      {{"--publish"}, "--publish demande au moins un fichier."},
      {{"--publish", "a.dll", "--windows", "XP,Win95"}, "--windows attend des noms parmi"},
      {{"--publish", "a.dll", "--version", "abc"}, "<any>"},
      {{"--register", "a.dll"}, "L'option --register ne s'emploie qu'avec --publish."},
  };
  for (const auto& [arguments, text] : refused) {
    const std::string message = refusal(arguments);
    EXPECT_NE(message, "<accepted>") << ::testing::PrintToString(arguments);
    if (text != "<any>") {
      EXPECT_EQ(message.rfind(text, 0), 0u) << message;
    }
  }

  const auto parsed = ParseCommandLine({"maj", "--publish", "a.dll", "B.OCX", "--windows", "xp, Win8", "--regasm",
                                        "--version", "2.0"});
  const CommandLineRequest request = std::get<CommandLineRequest>(parsed);
  EXPECT_EQ(request.action, CommandLineAction::Publish);
  EXPECT_EQ(request.publish.files, (std::vector<std::string>{"a.dll", "B.OCX"}));
  EXPECT_EQ(request.publish.windows, (WindowsFlags{false, false, false, true, false, false, false, false, true}));
  EXPECT_EQ(request.publish.ticks, (PublishingPreset{false, true, false}));
  EXPECT_EQ(request.publish.version, "2.0");
  const auto unattended = ParseCommandLine({"maj", "--unattended", "--wait-limit=7"});
  EXPECT_EQ(std::get<CommandLineRequest>(unattended).waitLimitSeconds, std::optional<int>(7));
  EXPECT_EQ(std::get<CommandLineRequest>(ParseCommandLine({"maj", "-v"})).action, CommandLineAction::Version);
  const std::string help = CommandLineHelp();
  EXPECT_EQ(help.rfind("Utilisation : maj [option...]", 0), 0u);
  EXPECT_NE(help.find("--wait-limit SECONDES"), std::string::npos);
  EXPECT_NE(help.find("--version V"), std::string::npos);
}

TEST_F(CommandLineTest, AFileWithoutVersionIsRefusedAndNoOptionOpensTheWindow) {
  char name[] = "maj";
  char* alone[] = {name, nullptr};
  EXPECT_EQ(RunCommandLine(1, alone), std::nullopt);  // no option: the screens open

  const auto untouched = Installation();
  // A file without a version would be stored under an empty one: refused unless a version is given.
  const std::string notes = root_.WriteFile("notes.txt", "notes");
  const Outcome unversioned = Maj({"--publish", QString::fromStdString(notes)});
  EXPECT_EQ(unversioned.status, 1);
  EXPECT_EQ(unversioned.err,
            Lines{"Le fichier " + notes + " n'a pas de numéro de version : indiquez-le avec --version"});
  EXPECT_EQ(Maj({"--check", "--frobnicate"}).status, 2);
  EXPECT_EQ(Installation(), untouched);
  EXPECT_EQ(TableCount(), "0");
}

}  // namespace
}  // namespace maj::app
