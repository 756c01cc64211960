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

// Splits a Windows command line into arguments with the argument rules of CommandLineToArgvW (quotes group
// blanks, backslashes escape quotes only before a quote). Every word follows these rules: the first one is not
// read as a program name.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// A command line read as Windows reads the program name: the quoted text up to the next quote (all the rest
// when no quote closes it), or else the first word. `parameters` is the rest without surrounding blanks; both
// are empty for a blank line.
struct ProgramAndParameters {
  std::string program;
  std::string parameters;
};
ProgramAndParameters SplitProgram(std::string_view commandLine);

// A started program. The handle does not stop the program when destroyed; a program still running then is
// waited for in the background so that it leaves no zombie.
class ChildProcess {
 public:
  // Starts `program` with `parameters` split by SplitCommandLine, in `workingFolder` (empty: the current
  // folder). Both paths may be in Windows form and resolve ignoring case; a program without a folder is
  // looked for on PATH. nullopt when it cannot be started (missing file or folder, not executable).
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

// Starts a command line without waiting for it: program and parameters as SplitProgram reads them, the
// parameters split by SplitCommandLine. Returns false when it cannot be started.
bool StartDetached(std::string_view commandLine, const std::string& workingFolder = {});

}  // namespace maj::platform
