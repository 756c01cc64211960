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
using Ids = std::vector<std::int32_t>;

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
    if (!child) ADD_FAILURE() << "cannot start " << name;
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

  // What IsProcessRunning(name) appended to RunningProcessIds(), keeping only `ours` when given.
  static Ids Found(std::string_view name, const Ids& ours = {}) {
    const std::size_t before = RunningProcessIds().size();
    const bool running = IsProcessRunning(name);
    Ids found(RunningProcessIds().begin() + static_cast<std::ptrdiff_t>(before), RunningProcessIds().end());
    EXPECT_EQ(running, !found.empty()) << name;
    if (!ours.empty()) {
      std::erase_if(found, [&](int pid) { return std::find(ours.begin(), ours.end(), pid) == ours.end(); });
    }
    return found;
  }

  std::vector<ChildProcess> children_;
};

TEST_F(ProcessQueriesTest, FindsEveryInstanceInPidOrderMatchingLikeWql) {
  const int first = StartNamed("Orv_Spec.exe");
  const int second = StartNamed("Orv_Spec.exe");
  const Ids expected = {std::min(first, second), std::max(first, second)};
  EXPECT_EQ(Found("Orv_Spec.exe", expected), expected);

  // Names match as in WQL.
  const std::string unique = "MajProbe" + std::to_string(getpid());
  const Ids pid = {StartNamed(unique + "X.Exe")};
  EXPECT_EQ(Found(unique + "x.exe", pid), pid);             // case-insensitive
  EXPECT_EQ(Found(unique, pid), pid);                       // prefix
  EXPECT_EQ(Found(unique + "_.E_E", pid), pid);             // '_' is any one character
  EXPECT_EQ(Found(std::string("%").append(unique, 3), pid), pid);  // '%' is any run
  EXPECT_EQ(Found(unique + "__.exe", pid), Ids{});
  EXPECT_EQ(Found("x" + unique, pid), Ids{});
  // No match leaves the list unchanged; a quote is an ordinary character.
  EXPECT_EQ(Found("Orv'Spec" + std::to_string(getpid())), Ids{});
}

}  // namespace
}  // namespace maj::sysinfo
