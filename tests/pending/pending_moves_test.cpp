#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "pending/pending_operations.h"
#include "platform/registry_file.h"
#include "tests/support/temp_folder.h"

namespace maj::pending {
namespace {

using maj::testing::ReadFileText;
using maj::testing::TempFolder;
using platform::RegistryRoot;

constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

TEST(PendingMovesTest, ReplacesTargetsInOrderDeletesAndForgetsTheList) {
  TempFolder temp;
  temp.WriteFile("MAJ/orv_spec.exe", "new exe");
  temp.WriteFile("MAJ/report.ocx", "first");
  temp.WriteFile("MAJ2/report.ocx", "second");
  temp.WriteFile("MAJ/obsolete.dll", "x");
  const std::string installedExe = temp.WriteFile("Orv_Spec.exe", "old exe");
  const std::string installedOcx = temp.WriteFile("bin/report.ocx", "old ocx");
  platform::RegistryFile registry(temp.str() + "/registry.reg");
  registry.WriteMultiString(
      RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations",
      {temp.str() + "/MAJ/orv_spec.exe", temp.str() + "/orv_spec.exe", temp.str() + "/MAJ/report.ocx",
       temp.str() + "/bin/report.ocx", temp.str() + "/MAJ2/report.ocx", "!\\??\\" + temp.str() + "/BIN/REPORT.OCX",
       temp.str() + "/MAJ/obsolete.dll", ""});
  registry.WriteString(RegistryRoot::LocalMachine, kSessionManager, "Other", "kept");

  std::ostringstream log;
  EXPECT_EQ(PerformPendingMoves(registry, log), 0) << log.str();

  // The existing copy is replaced under its own letter case, not doubled.
  EXPECT_EQ(ReadFileText(installedExe), "new exe");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "orv_spec.exe"));
  // Two moves onto one target: the later one wins, as the order says.
  EXPECT_EQ(ReadFileText(installedOcx), "second");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "MAJ/report.ocx"));
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "MAJ/obsolete.dll"));
  // The list goes; another value of the key stays.
  EXPECT_FALSE(registry.ReadValue(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations"));
  EXPECT_EQ(registry.ReadValue(RegistryRoot::LocalMachine, kSessionManager, "Other")->text, "kept");
}

TEST(PendingMovesTest, AFailedMoveIsReportedAndTheOthersStillHappen) {
  TempFolder temp;
  temp.WriteFile("MAJ/b.dll", "b");
  platform::RegistryFile registry(temp.str() + "/registry.reg");
  registry.WriteMultiString(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations",
                            {temp.str() + "/MAJ/missing.dll", temp.str() + "/bin/a.dll", temp.str() + "/MAJ/b.dll",
                             temp.str() + "/b.dll"});
  std::ostringstream log;
  EXPECT_EQ(PerformPendingMoves(registry, log), 1);
  // The system's cause follows the paths.
  EXPECT_NE(log.str().find("missing.dll vers " + temp.str() + "/bin/a.dll : Fichier ou dossier introuvable\n"),
            std::string::npos)
      << log.str();
  EXPECT_EQ(ReadFileText(temp.path() / "b.dll"), "b");
  EXPECT_FALSE(registry.ReadValue(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations"));
}

// The list as another writer may have left it between the read and the removal of the performed moves.
TEST(PendingMovesTest, OnlyThePerformedMovesAreRemovedFromTheListAsItIsNow) {
  const std::vector<std::string> performed = {"a", "A", "b", "", "c", "C"};
  struct Case {
    const char* what;
    std::vector<std::string> current;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"unchanged", performed, {}},
      {"a pair appended", {"a", "A", "b", "", "c", "C", "d", "D"}, {"d", "D"}},
      {"the same move scheduled again", {"a", "A", "b", "", "c", "C", "a", "A"}, {"a", "A"}},
      {"rewritten in another order with a new pair first", {"n", "N", "c", "C", "a", "A"}, {"n", "N"}},
      {"a performed pair no longer there", {"a", "A", "x", "X", "c", "C"}, {"x", "X"}},
      // "A" followed by "b" is the end of one pair and the start of the next, not a pair of its own.
      {"texts that only line up across pairs", {"z", "a", "A", "b", "", "Z"}, {"z", "a", "A", "b", "", "Z"}},
      {"emptied meanwhile", {}, {}},
  };
  for (const Case& test : cases) {
    std::vector<std::string> current = test.current;
    RemovePerformedMoves(current, performed);
    EXPECT_EQ(current, test.expected) << test.what;
  }

  // A text without a pair at the end of the performed list goes too; a pair written after it stays whole.
  std::vector<std::string> current = {"a", "A", "dangling", "d", "D"};
  RemovePerformedMoves(current, {"a", "A", "dangling"});
  EXPECT_EQ(current, (std::vector<std::string>{"d", "D"}));
}

TEST(PendingMovesTest, TheProgramExitsWithOneWhenAMoveFailed) {
  TempFolder temp;
  temp.WriteFile("MAJ/a.dll", "a");
  const std::string registryPath = temp.str() + "/registry.reg";
  platform::RegistryFile(registryPath)
      .WriteMultiString(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations",
                        {temp.str() + "/MAJ/missing.dll", temp.str() + "/c.dll", temp.str() + "/MAJ/a.dll",
                         temp.str() + "/a.dll"});
  const int status = std::system(("MAJ_REGISTRY='" + registryPath + "' '" MAJ_PENDING_PROGRAM "' 2>/dev/null").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(ReadFileText(temp.path() / "a.dll"), "a");
}

}  // namespace
}  // namespace maj::pending
