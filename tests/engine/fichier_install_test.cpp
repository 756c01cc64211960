// Installing one fetched file on Windows 9x, where a replacement deferred to the next start goes through a
// batch file, finished for real by maj-pending; actions that leave the fetched file where it is. (The move
// into place and in-place registration are checked through whole runs.)
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/fichier.h"
#include "tests/engine/install_test_support.h"
#include "tests/support/temp_folder.h"

namespace maj::engine {
namespace {

namespace fs = std::filesystem;
using maj::testing::ReadFileText;
using testing::InstallMachine;
using testing::Windows;

// The first word and the arguments a recorder was started with, without the folder it ran in.
std::string Command(const std::string& call) { return call.substr(0, call.find(" | ")); }

TEST(FichierInstallTest, FileInUseOnWin9xGoesThroughABatchFileRunOnce) {
  InstallMachine machine(Windows::Win9x);
  machine.InstallFramework({"2.0.50727"}, "2.0.50727", true);
  const std::string installed = machine.Write(machine.bin() + "/tools.dll", "old");
  auto fichier = machine.Fetched("Tools.dll", "new", 64 | 1);
  const std::string fetched = fichier->Path;
  EXPECT_TRUE(testing::ProcessActionWhileInUse(*fichier, "tools.dll"));

  EXPECT_EQ(fichier->Path, installed);
  EXPECT_TRUE(machine.PendingMoves().empty());
  EXPECT_EQ(machine.RunOnce("run batch tools.dll"), "\"" + fetched + ".bat\"");
  EXPECT_EQ(machine.RunOnce("regasm tools.dll"), "<absent>");
  EXPECT_EQ(machine.RunOnce("register tools.dll"), "<absent>");
  const std::string regasm =
      std::string("\"").append(machine.frameworkRoot()) + "v2.0.50727\\regasm.exe\" /tlb \"" + installed + "\"";
  EXPECT_EQ(ReadFileText(fetched + ".bat"),
            "copy /y \"" + fetched + "\" \"" + installed + "\"\r\n" + regasm + "\r\nexit\r\n");
  EXPECT_TRUE(machine.Calls().empty());  // nothing registered now

  ASSERT_EQ(testing::RunMajPending(machine), 0);
  EXPECT_EQ(ReadFileText(installed), "new");
  EXPECT_EQ(machine.RunOnce("run batch tools.dll"), "<absent>");
  ASSERT_EQ(machine.Calls().size(), 1u);
  EXPECT_EQ(Command(machine.Calls()[0]), "regasm.exe /tlb " + installed);
}

TEST(FichierInstallTest, ActionsRunWithoutMovingTheFileButTheOldCopyIsDeleted) {
  InstallMachine machine;
  machine.Write(machine.bin() + "/pack.dat", "old installed copy");
  auto fichier = machine.Fetched("pack.dat", "package");
  fichier->action1 = 1;
  fichier->action2 = 4;
  fichier->action3 = 5;
  EXPECT_TRUE(fichier->ProcessAction());  // code 5 asks for a restart
  EXPECT_FALSE(fs::exists(machine.bin() + "/pack.dat"));
  EXPECT_EQ(ReadFileText(machine.working() + "/pack.dat"), "package");
  EXPECT_TRUE(machine.Calls().empty());  // codes 1 and 4 do nothing
}

}  // namespace
}  // namespace maj::engine
