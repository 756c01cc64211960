#pragma once
// Processes: the process table over /proc, and programs started the way Windows shell execution does.
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace maj::platform {

struct ProcessEntry {
  int pid = 0;
  // Last component of argv[0] (split at '/' and '\'), else the kernel's `comm` name.
  std::string imageName;
};

// Running processes in ascending pid order. Zombies count as exited and are left out.
std::vector<ProcessEntry> ListProcesses();

// True when a process with this pid runs (a zombie does not).
bool ProcessExists(int pid);

// Splits a Windows command line into arguments with the rules of CommandLineToArgvW (quotes group blanks,
// backslashes escape quotes only before a quote).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// A started program. The handle does not stop the program when destroyed.
class ChildProcess {
 public:
  // Starts `program` with `parameters` split by SplitCommandLine, in `workingFolder` (empty: the current
  // folder). nullopt when it cannot be started (missing file, not executable).
  static std::optional<ChildProcess> Start(const std::string& program, std::string_view parameters,
                                           const std::string& workingFolder);

  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  int pid() const { return pid_; }

  // True while the program runs (polls without blocking).
  bool IsRunning();

  // Polls until the program ends, calling `betweenPolls` before each poll (the screen handles its events
  // there). Returns the exit code (128 + signal when killed by a signal).
  int WaitForExit(const std::function<void()>& betweenPolls,
                  std::chrono::milliseconds pollInterval = std::chrono::milliseconds(20));

 private:
  explicit ChildProcess(int pid) : pid_(pid) {}
  int pid_ = -1;
  std::optional<int> exitCode_;
};

// Starts a command line (program then parameters, split by SplitCommandLine) without waiting for it.
// Returns false when it cannot be started.
bool StartDetached(std::string_view commandLine, const std::string& workingFolder = {});

}  // namespace maj::platform
