#include "sysinfo/process_queries.h"

#include <signal.h>

#include <algorithm>
#include <gtest/gtest.h>
#include <thread>

#include "platform/processes.h"
#include "tests/support/temp_folder.h"

namespace maj::sysinfo {
namespace {

using platform::ChildProcess;

// Children whose argv[0] is a given name, killed and reaped when the test ends.
class ProcessQueriesTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (auto& child : children_) {
      kill(child.pid(), SIGKILL);
      child.WaitForExit(nullptr);
    }
  }

  int StartNamed(const std::string& name) {
    auto child = ChildProcess::Start("/bin/bash", "-c \"exec -a '" + name + "' sleep 30\"", "");
    EXPECT_TRUE(child);
    if (!child) return -1;
    const int pid = child->pid();
    children_.push_back(std::move(*child));
    // Wait until bash has replaced itself with the named program.
    for (int i = 0; i < 2000; ++i) {
      const auto processes = platform::ListProcesses();
      if (std::any_of(processes.begin(), processes.end(),
                      [&](const auto& p) { return p.pid == pid && p.imageName == name; })) {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return pid;
  }

  // The ids IsProcessRunning(name) appended to RunningProcessIds().
  std::vector<std::int32_t> Found(std::string_view name, bool* result = nullptr) {
    const std::size_t before = RunningProcessIds().size();
    const bool running = IsProcessRunning(name);
    if (result) *result = running;
    return std::vector<std::int32_t>(RunningProcessIds().begin() + static_cast<std::ptrdiff_t>(before),
                                     RunningProcessIds().end());
  }

  static bool Contains(const std::vector<std::int32_t>& ids, int pid) {
    return std::find(ids.begin(), ids.end(), pid) != ids.end();
  }

  std::vector<ChildProcess> children_;
};

TEST_F(ProcessQueriesTest, FindsEveryInstanceOfTheMainApplicationInPidOrder) {
  const int first = StartNamed("Orv_Spec.exe");
  const int second = StartNamed("Orv_Spec.exe");
  bool running = false;
  const auto ids = Found("Orv_Spec.exe", &running);
  EXPECT_TRUE(running);
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  std::vector<std::int32_t> ours;
  std::copy_if(ids.begin(), ids.end(), std::back_inserter(ours), [&](int pid) { return pid == first || pid == second; });
  EXPECT_EQ(ours, (std::vector<std::int32_t>{std::min(first, second), std::max(first, second)}));

  // Asking again appends the same ids again.
  const auto again = Found("Orv_Spec.exe");
  EXPECT_TRUE(Contains(again, first) && Contains(again, second));
}

TEST_F(ProcessQueriesTest, MatchesLikeWql) {
  const std::string unique = "MajProbe" + std::to_string(getpid());
  const int pid = StartNamed(unique + "X.Exe");
  EXPECT_TRUE(Contains(Found(unique + "x.exe"), pid));     // case-insensitive
  EXPECT_TRUE(Contains(Found(unique), pid));               // prefix
  EXPECT_TRUE(Contains(Found(unique + "_.E_E"), pid));     // '_' is any one character
  EXPECT_TRUE(Contains(Found("%" + unique.substr(3)), pid));  // '%' is any run
  EXPECT_FALSE(Contains(Found(unique + "__.exe"), pid));
  EXPECT_FALSE(Contains(Found("x" + unique), pid));
}

TEST_F(ProcessQueriesTest, NoMatchLeavesTheListUnchanged) {
  const std::vector<std::int32_t> before = RunningProcessIds();
  EXPECT_FALSE(IsProcessRunning("NoSuchProgram" + std::to_string(getpid()) + ".exe"));
  // A quote is an ordinary character: nothing to break.
  EXPECT_FALSE(IsProcessRunning("Orv'Spec" + std::to_string(getpid())));
  EXPECT_EQ(RunningProcessIds(), before);
}

TEST_F(ProcessQueriesTest, AProcessThatExitedIsNotAlive) {
  const int reaped = StartNamed("Orv_Spec.exe");
  const int zombie = StartNamed("Orv_Spec.exe");
  EXPECT_TRUE(IsProcessAlive(reaped));
  EXPECT_TRUE(IsProcessAlive(zombie));

  kill(reaped, SIGKILL);
  children_[0].WaitForExit(nullptr);
  EXPECT_FALSE(IsProcessAlive(reaped));

  // Killed but not yet waited for: the process is a zombie, which counts as exited.
  kill(zombie, SIGKILL);
  for (int i = 0; i < 2000 && platform::ProcessExists(zombie); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_FALSE(IsProcessAlive(zombie));
  EXPECT_NE(maj::testing::ReadFileText("/proc/" + std::to_string(zombie) + "/status").find("State:\tZ"),
            std::string::npos);
  EXPECT_FALSE(IsProcessAlive(-1));
  EXPECT_TRUE(IsProcessAlive(getpid()));
}

}  // namespace
}  // namespace maj::sysinfo
