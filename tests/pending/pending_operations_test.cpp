// The moves and commands left for the next start: performed in order, failures reported, the lists kept
// consistent with what other writers add meanwhile.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "pending/command_runner.h"
#include "pending/pending_operations.h"
#include "platform/registry_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::pending {
namespace {

using maj::testing::ReadFileText;
using maj::testing::TempFolder;
using platform::RegistryRoot;

constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

TEST(PendingMovesTest, ReplacesTargetsInOrderDeletesAndForgetsTheList) {
  TempFolder temp;
  temp.WriteFile("MAJ/orv_spec.exe", "new exe");
  temp.WriteFile("MAJ/report.ocx", "first");
  temp.WriteFile("MAJ2/report.ocx", "second");
  temp.WriteFile("MAJ/obsolete.dll", "x");
  const std::string installedExe = temp.WriteFile("Orv_Spec.exe", "old exe");
  const std::string installedOcx = temp.WriteFile("bin/report.ocx", "old ocx");
  // Drive C: is the test's folder.
  maj::testing::ScopedEnvironment environment;
  environment.Set("WINEPREFIX", temp.str());
  std::filesystem::create_directories(temp.path() / "dosdevices");
  std::filesystem::create_directory_symlink(temp.path(), temp.path() / "dosdevices/c:");
  platform::RegistryFile registry(temp.str() + "/registry.reg");
  registry.WriteMultiString(
      RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations",
      {temp.str() + "/MAJ/orv_spec.exe", temp.str() + "/orv_spec.exe", temp.str() + "/MAJ/report.ocx",
       temp.str() + "/bin/report.ocx", "\\??\\C:\\MAJ2\\report.ocx", "!\\??\\C:\\BIN\\REPORT.OCX",
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

TEST(PendingMovesTest, AFailedMoveIsReportedTheOthersStillHappenAndTheProgramExitsWithOne) {
  TempFolder temp;
  temp.WriteFile("MAJ/b.dll", "b");
  const std::string registryPath = temp.str() + "/registry.reg";
  platform::RegistryFile(registryPath)
      .WriteMultiString(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations",
                        {temp.str() + "/MAJ/missing.dll", temp.str() + "/bin/a.dll", temp.str() + "/MAJ/b.dll",
                         temp.str() + "/b.dll"});
  const int status = std::system(("MAJ_REGISTRY='" + registryPath + "' '" MAJ_PENDING_PROGRAM "' 2>'" + temp.str() +
                                  "/log.txt'").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  // The system's cause follows the paths.
  const std::string log = ReadFileText(temp.path() / "log.txt");
  EXPECT_NE(log.find("missing.dll vers " + temp.str() + "/bin/a.dll : Fichier ou dossier introuvable\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(ReadFileText(temp.path() / "b.dll"), "b");
  EXPECT_FALSE(platform::RegistryFile(registryPath)
                   .ReadValue(RegistryRoot::LocalMachine, kSessionManager, "PendingFileRenameOperations"));
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

// A script that appends its arguments and the number of registry lines naming `marker` to `log`.
std::string WriteRecorder(const TempFolder& temp, const std::string& name) {
  const std::string path = temp.WriteFile(name,
                                          "#!/bin/sh\n"
                                          "still=$(grep -c \"$1\" \"$MAJ_REGISTRY\")\n"
                                          "echo \"$* still=$still\" >> \"$(dirname \"$0\")/log.txt\"\n");
  chmod(path.c_str(), 0755);
  return path;
}

// The machine's registry is a file of the test's own folder.
class RunOnceTest : public ::testing::Test {
 protected:
  RunOnceTest() { environment_.Set("MAJ_REGISTRY", registryPath_); }

  TempFolder temp_;
  std::string registryPath_ = temp_.str() + "/registry.reg";
  maj::testing::ScopedEnvironment environment_;
};

TEST_F(RunOnceTest, RunsEachCommandInOrderAfterRemovingItsValue) {
  const std::string recorder = WriteRecorder(temp_, "tools/record.sh");
  platform::RegistryFile registry(registryPath_);
  registry.WriteString(RegistryRoot::LocalMachine, kRunOnce, "register a.ocx", "\"" + recorder + "\" alpha /s");
  registry.WriteString(RegistryRoot::LocalMachine, kRunOnce, "regasm b.dll", "\"" + recorder + "\" beta");
  registry.WriteString(RegistryRoot::LocalMachine, kRunOnce, "!keep c.dll", "\"" + recorder + "\" gamma");

  std::ostringstream log;
  EXPECT_EQ(RunOnceCommands(registry, log), 0) << log.str();
  // "alpha" and "beta" no longer appear in the registry when their command runs; a "!" value still does.
  EXPECT_EQ(ReadFileText(temp_.path() / "tools/log.txt"), "alpha /s still=0\nbeta still=0\ngamma still=1\n");
  EXPECT_EQ(registry.ValueNames(RegistryRoot::LocalMachine, kRunOnce).value_or(std::vector<std::string>{}),
            std::vector<std::string>{});
}

TEST_F(RunOnceTest, AMissingProgramIsSkippedAFailingOneCountsAndTheNextStillRuns) {
  const std::string recorder = WriteRecorder(temp_, "record.sh");
  const std::string failing = temp_.WriteFile("fail.sh", "#!/bin/sh\nexit 3\n");
  chmod(failing.c_str(), 0755);
  platform::RegistryFile registry(registryPath_);
  registry.WriteString(
      RegistryRoot::LocalMachine, kRunOnce, "register a.ocx",
      std::string("\"").append(temp_.str()) + "/SYSTEM32\\regsvr32.exe\" /s \"" + temp_.str() + "/bin/a.ocx\"");
  registry.WriteString(RegistryRoot::LocalMachine, kRunOnce, "failing", failing);
  // Only a missing registration program is skipped; any other missing program is a failure.
  registry.WriteString(RegistryRoot::LocalMachine, kRunOnce, "missing", temp_.str() + "/setup.sh /S");
  registry.WriteString(RegistryRoot::LocalMachine, kRunOnce, "next", recorder + " next");
  std::ostringstream log;
  EXPECT_EQ(RunOnceCommands(registry, log), 2);
  EXPECT_NE(log.str().find("regsvr32.exe"), std::string::npos);
  EXPECT_NE(log.str().find("code 3"), std::string::npos);
  EXPECT_EQ(ReadFileText(temp_.path() / "log.txt"), "next still=0\n");
  EXPECT_EQ(registry.ValueNames(RegistryRoot::LocalMachine, kRunOnce).value_or(std::vector<std::string>{}),
            std::vector<std::string>{});
}

TEST_F(RunOnceTest, BatchFileCopiesRunsItsCommandsAndStopsAtExit) {
  const std::string recorder = WriteRecorder(temp_, "record.sh");
  const std::string fetched = temp_.WriteFile("MAJ/report.ocx", "new copy");
  const std::string installed = temp_.WriteFile("bin/Report.OCX", "old copy");
  const std::string lines = "copy /y \"" + fetched + "\" \"" + temp_.str() + "/bin/report.ocx\"\r\n" +
                            "\"" + recorder + "\" regasm /tlb \"" + installed + "\"\r\n" +
                            "exit\r\n" +
                            "\"" + recorder + "\" after-exit\r\n";
  const std::string batch = temp_.WriteFile("MAJ/report.ocx.bat", lines);
  platform::RegistryFile registry(registryPath_);
  registry.WriteString(RegistryRoot::LocalMachine, kRunOnce, "run batch report.ocx", "\"" + batch + "\"");

  std::ostringstream log;
  EXPECT_EQ(RunOnceCommands(registry, log), 0) << log.str();
  EXPECT_EQ(ReadFileText(installed), "new copy");
  // The copy replaced the installed file under its own letter case.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.path() / "bin"), {}), 1);
  EXPECT_EQ(ReadFileText(temp_.path() / "log.txt"), "regasm /tlb " + installed + " still=0\n");
  EXPECT_FALSE(registry.ReadValue(RegistryRoot::LocalMachine, kRunOnce, "run batch report.ocx"));
}

TEST(CommandRunnerTest, MissingBatchFileAndUnreadableCopyLineFail) {
  TempFolder temp;
  std::ostringstream log;
  EXPECT_FALSE(RunCommand(std::string("\"").append(temp.str()) + "/none.bat\"", log));
  const std::string batch = temp.WriteFile("bad.bat", "copy /y \"" + temp.str() + "/only-one\"\r\nexit\r\n");
  EXPECT_FALSE(RunBatchFile(batch, log));
  EXPECT_NE(log.str().find("copie"), std::string::npos);
}

}  // namespace
}  // namespace maj::pending
