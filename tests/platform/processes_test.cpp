#include "platform/processes.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "tests/support/temp_folder.h"

namespace maj::platform {
namespace {

using maj::testing::ReadFileText;
using maj::testing::TempFolder;
using Args = std::vector<std::string>;

TEST(SplitCommandLineTest, FollowsTheWindowsArgumentRules) {
  EXPECT_EQ(SplitCommandLine(""), Args{});
  EXPECT_EQ(SplitCommandLine("/s  report.ocx\t/u"), (Args{"/s", "report.ocx", "/u"}));
  EXPECT_EQ(SplitCommandLine("/s \"C:\\Program Files\\a.ocx\""), (Args{"/s", "C:\\Program Files\\a.ocx"}));
  EXPECT_EQ(SplitCommandLine("a\\\\b c\\d"), (Args{"a\\\\b", "c\\d"}));
  EXPECT_EQ(SplitCommandLine("a\\\"b"), (Args{"a\"b"}));
  EXPECT_EQ(SplitCommandLine("a\\\\\"b c\""), (Args{"a\\b c"}));
  EXPECT_EQ(SplitCommandLine("\"\" x"), (Args{"", "x"}));
  // A doubled quote inside quotes is a literal quote that also ends the quoted part.
  EXPECT_EQ(SplitCommandLine("\"a\"\"b\" c"), (Args{"a\"b c"}));
  EXPECT_EQ(SplitCommandLine("\"\"\"a\"\"\" b"), (Args{"\"a\"", "b"}));
  EXPECT_EQ(SplitCommandLine("x\"y z\"w v"), (Args{"xy zw", "v"}));
  EXPECT_EQ(SplitCommandLine("\"unterminated arg"), (Args{"unterminated arg"}));
}

TEST(SplitCommandLineTest, ReadsTheProgramAsWindowsDoes) {
  const std::vector<std::array<std::string, 3>> cases = {  // command line, program, parameters
      {"  \"/opt/Program Files/x.exe\" /tlb \"a b\"  ", "/opt/Program Files/x.exe", "/tlb \"a b\""},
      {"\ttool.sh   -v", "tool.sh", "-v"},
      // The program ends at its closing quote even when a word follows at once.
      {"\"a b\"c d", "a b", "c d"},
      {"\"/opt/x y", "/opt/x y", ""},
      {"solo", "solo", ""},
  };
  for (const auto& [line, program, parameters] : cases) {
    const ProgramAndParameters split = SplitProgram(line);
    EXPECT_EQ(split.program, program) << line;
    EXPECT_EQ(split.parameters, parameters) << line;
  }
}

TEST(ChildProcessTest, RunsInItsFolderAndReportsTheExitCode) {
  TempFolder temp;
  std::filesystem::create_directories(temp.path() / "Work Folder");
  auto child = ChildProcess::Start("/bin/sh", "-c \"pwd > out.txt; echo \\\"$1\\\" >> out.txt; exit 3\" sh \"a b\"",
                                   temp.str() + "/work folder");
  ASSERT_TRUE(child);
  EXPECT_EQ(child->WaitForExit(nullptr), 3);  // the program waits without anything to do between polls
  EXPECT_FALSE(child->IsRunning());
  EXPECT_EQ(ReadFileText(temp.path() / "Work Folder/out.txt"), (temp.path() / "Work Folder").string() + "\na b\n");
}

TEST(ChildProcessTest, ReportsASignalAs128PlusItsNumber) {
  auto child = ChildProcess::Start("sleep", "30", "");
  ASSERT_TRUE(child);
  EXPECT_TRUE(child->IsRunning());
  EXPECT_TRUE(ProcessExists(child->pid()));
  kill(child->pid(), SIGKILL);
  EXPECT_EQ(child->WaitForExit(nullptr), 128 + SIGKILL);
  EXPECT_FALSE(ProcessExists(child->pid()));
}

TEST(ChildProcessTest, AProgramLeftRunningIsReapedWhenItsHandleGoes) {
  auto child = ChildProcess::Start("sleep", "0.2", "");
  ASSERT_TRUE(child);
  const std::filesystem::path entry = "/proc/" + std::to_string(child->pid());
  child.reset();
  // Once it ends, nothing is left of it, not even a zombie.
  for (int i = 0; i < 1000 && std::filesystem::exists(entry); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST(ChildProcessTest, RefusesWhatCannotRun) {
  TempFolder temp;
  const std::string script = temp.WriteFile("not_executable.sh", "#!/bin/sh\n");
  EXPECT_FALSE(ChildProcess::Start(temp.str() + "/missing", "", ""));
  EXPECT_FALSE(ChildProcess::Start(script, "", ""));
  EXPECT_FALSE(ChildProcess::Start("/bin/true", "", temp.str() + "/no such folder"));
  EXPECT_FALSE(StartDetached(""));
  EXPECT_FALSE(StartDetached(std::string("\"").append(temp.str()) + "/missing program\" x"));

  // A program started detached, a quoted path with its arguments: the registrations of tests/engine.
}

bool IsZombie(int pid) {
  return ReadFileText("/proc/" + std::to_string(pid) + "/status").find("State:\tZ") != std::string::npos;
}

// Listing by argument-zero name in pid order is checked through the process queries (tests/sysinfo).
TEST(ProcessTableTest, AZombieAndAThreadAreNotProcesses) {
  auto child = ChildProcess::Start("/bin/true", "", "");
  ASSERT_TRUE(child);
  for (int i = 0; i < 1000 && !IsZombie(child->pid()); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(IsZombie(child->pid()));
  EXPECT_FALSE(ProcessExists(child->pid()));
  const auto processes = ListProcesses();
  EXPECT_TRUE(std::none_of(processes.begin(), processes.end(),
                           [&](const ProcessEntry& p) { return p.pid == child->pid(); }));
  EXPECT_EQ(child->WaitForExit(nullptr), 0);

  int threadId = 0;
  bool exists = true;
  std::thread thread([&] {
    threadId = static_cast<int>(syscall(SYS_gettid));
    exists = ProcessExists(threadId);
  });
  thread.join();
  EXPECT_NE(threadId, getpid());
  EXPECT_FALSE(exists);
  EXPECT_TRUE(ProcessExists(getpid()));
  EXPECT_FALSE(ProcessExists(-1));
}

}  // namespace
}  // namespace maj::platform
