#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

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

  std::ostringstream log;
  EXPECT_EQ(PerformPendingMoves(registry, log), 0) << log.str();

  // The existing copy is replaced under its own letter case, not doubled.
  EXPECT_EQ(ReadFileText(installedExe), "new exe");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "orv_spec.exe"));
  // Two moves onto one target: the later one wins, as the order says.
  EXPECT_EQ(ReadFileText(installedOcx), "second");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "MAJ/report.ocx"));
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "MAJ/obsolete.dll"));
  EXPECT_FALSE(registry.ReadValue(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations"));
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
  EXPECT_NE(log.str().find("missing.dll"), std::string::npos);
  EXPECT_EQ(ReadFileText(temp.path() / "b.dll"), "b");
  EXPECT_FALSE(registry.ReadValue(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations"));
}

TEST(PendingMovesTest, ProgramExitCodeTellsWhetherEverythingWasDone) {
  TempFolder temp;
  temp.WriteFile("MAJ/a.dll", "a");
  const std::string registryPath = temp.str() + "/registry.reg";
  platform::RegistryFile registry(registryPath);
  registry.WriteMultiString(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations",
                            {temp.str() + "/MAJ/a.dll", temp.str() + "/a.dll"});
  const std::string run = "MAJ_REGISTRY='" + registryPath + "' '" MAJ_PENDING_PROGRAM "' 2>/dev/null";
  int status = std::system(run.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileText(temp.path() / "a.dll"), "a");

  registry.WriteMultiString(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations",
                            {temp.str() + "/MAJ/a.dll", temp.str() + "/c.dll"});
  status = std::system(run.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
}  // namespace maj::pending
