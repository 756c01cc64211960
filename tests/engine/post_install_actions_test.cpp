// Post-install actions (programs started and waited for, RAR archives, restart requests) and the .NET
// assembly registration.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/action_command.h"
#include "engine/dotnet_framework.h"
#include "engine/fichier.h"
#include "tests/engine/install_test_support.h"
#include "tests/support/temp_folder.h"

namespace maj::engine {
namespace {

namespace fs = std::filesystem;
using maj::testing::ReadFileText;
using testing::InstallMachine;

std::string RarFixture(const std::string& name) { return std::string(MAJ_SOURCE_ROOT) + "/tests/data/rar/" + name; }

TEST(ActionCommandTest, SplitsAfterTheWorkingFolderAndExpandsMaj) {
  const std::string working = "/srv/Program Files/App/MAJ";
  // %MAJ% and the working folder are checked through the whole runs (update_conditions_test).
  // Not starting with the working folder: the first blank cuts, leading blanks of the parameters dropped.
  ActionCommand command = SplitActionCommand("ignored", "C:\\Tools\\run.exe    -q  x", working);
  EXPECT_EQ(command.program, "C:\\Tools\\run.exe");
  EXPECT_EQ(command.parameters, "-q  x");

  // No data: the file itself, without parameters, blanks in its folder kept.
  command = SplitActionCommand(working + "/setup.exe", "", working);
  EXPECT_EQ(command.program, working + "/setup.exe");
  EXPECT_EQ(command.parameters, "");

  command = SplitActionCommand("", "\"C:\\Program Files\\x\\setup.exe\" /quiet", working);
  EXPECT_EQ(command.program, "C:\\Program Files\\x\\setup.exe");
  EXPECT_EQ(command.parameters, "/quiet");
}

TEST(PostInstallActionTest, ExtractsEveryVolumeOfARarArchiveIntoTheWorkingFolder) {
  InstallMachine machine;
  for (const char* part : {"part1", "part2", "part3"}) {
    const std::string name = std::string("test_rar_multivolume_single_file.") + part + ".rar";
    fs::copy_file(RarFixture(name), machine.working() + "/" + name);
  }
  Fichier fichier;
  fichier.Nom = "test_rar_multivolume_single_file.part1.rar";
  fichier.Path = machine.working() + "/" + fichier.Nom;
  fichier.action1 = 2;
  fichier.actionData1 = "%maj%\\test_rar_multivolume_single_file.part1.rar";
  // A restart asked by an action that is not the last one counts.
  fichier.action2 = 5;
  fichier.action3 = 2;
  fichier.actionData3 = "%MAJ%\\pack.rar";
  fs::copy_file(RarFixture("test_read_format_rar.rar"), machine.working() + "/pack.rar");
  EXPECT_TRUE(fichier.ProcessAction());
  // The one entry spans the three volumes.
  EXPECT_EQ(fs::file_size(machine.working() + "/LibarchiveAddingTest.html"), 20111u);
  EXPECT_TRUE(fs::exists(machine.working() + "/testdir/test.txt"));

  // Without action data the file itself is the archive.
  fs::remove(machine.working() + "/test.txt");
  Fichier pack;
  pack.Nom = "pack.rar";
  pack.Path = machine.working() + "/pack.rar";
  pack.action1 = 2;
  EXPECT_FALSE(pack.ProcessAction());
  EXPECT_TRUE(fs::exists(machine.working() + "/test.txt"));
}

// Its folder and the registration commands are checked through the installs below (a trailing ".0" there).
TEST(DotNetFrameworkTest, HighestVersionWhateverTheOrder) {
  std::vector<std::string> versions = {"1.1.4322", "2.0.50727", "4.0.30319"};
  do {
    EXPECT_EQ(HighestFrameworkVersion(versions), "4.0.30319");
  } while (std::next_permutation(versions.begin(), versions.end()));
  EXPECT_EQ(HighestFrameworkVersion({}), "");
}

// Waits for the registration program, which is started without being waited for.
std::vector<std::string> WaitForCalls(const InstallMachine& machine) {
  for (int i = 0; i < 500 && machine.Calls().empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return machine.Calls();
}

TEST(AssemblyRegistrationTest, InstalledAssemblyIsRegisteredWithItsCodeBase) {
  InstallMachine machine;
  machine.InstallFramework({"4.0.30319", "1.1.4322", "2.0.50727"}, "4.0.30319", true);
  auto fichier = machine.Fetched("Billet.dll", "assembly", 64 | 1);
  testing::RecordingHost host;
  fichier->SetHost(&host.host);

  EXPECT_FALSE(fichier->ProcessAction());
  const std::vector<std::string> calls = WaitForCalls(machine);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].substr(0, calls[0].find(" | ")),
            "regasm.exe /tlb " + machine.bin() + "/billet.dll /codebase");
  EXPECT_TRUE(host.messages.empty());
}

// Without any framework the message is shown and the file installed all the same (update_run_test).
TEST(AssemblyRegistrationTest, ScheduledRegistrationHasNoCodeBase) {
  InstallMachine machine;
  machine.InstallFramework({"2.0.50727", "2.0.50727.0"}, "2.0.50727.0", true);
  const std::string installed = machine.Write(machine.bin() + "/billet.dll", "old");
  auto fichier = machine.Fetched("billet.dll", "new", 64 | 1);
  EXPECT_TRUE(testing::ProcessActionWhileInUse(*fichier, "billet.dll"));
  std::string command = "\"";  // by append: GCC 12 misreads the concatenation at -O3 (-Wrestrict)
  command.append(machine.frameworkRoot()).append("v2.0.50727.0\\regasm.exe\" /tlb \"").append(installed) += '"';
  EXPECT_EQ(machine.RunOnce("regasm billet.dll"), command);
  EXPECT_TRUE(machine.Calls().empty());
}

}  // namespace
}  // namespace maj::engine
