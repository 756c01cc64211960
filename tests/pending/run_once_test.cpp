#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "pending/command_runner.h"
#include "pending/pending_operations.h"
#include "platform/registry_file.h"
#include "tests/support/temp_folder.h"

namespace maj::pending {
namespace {

using maj::testing::ReadFileText;
using maj::testing::TempFolder;
using platform::RegistryRoot;

constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// A script that appends its arguments and the number of registry lines naming `marker` to `log`.
std::string WriteRecorder(const TempFolder& temp, const std::string& name) {
  const std::string path = temp.WriteFile(name,
                                          "#!/bin/sh\n"
                                          "still=$(grep -c \"$1\" \"$MAJ_REGISTRY\")\n"
                                          "echo \"$* still=$still\" >> \"$(dirname \"$0\")/log.txt\"\n");
  chmod(path.c_str(), 0755);
  return path;
}

class RunOnceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registryPath_ = temp_.str() + "/registry.reg";
    setenv("MAJ_REGISTRY", registryPath_.c_str(), 1);
  }
  void TearDown() override { unsetenv("MAJ_REGISTRY"); }

  TempFolder temp_;
  std::string registryPath_;
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
  registry.WriteString(RegistryRoot::LocalMachine, kRunOnce, "register a.ocx",
                       "\"" + temp_.str() + "/SYSTEM32\\regsvr32.exe\" /s \"" + temp_.str() + "/bin/a.ocx\"");
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
  EXPECT_FALSE(RunCommand("\"" + temp.str() + "/none.bat\"", log));
  const std::string batch = temp.WriteFile("bad.bat", "copy /y \"" + temp.str() + "/only-one\"\r\nexit\r\n");
  EXPECT_FALSE(RunBatchFile(batch, log));
  EXPECT_NE(log.str().find("copie"), std::string::npos);
}

}  // namespace
}  // namespace maj::pending
