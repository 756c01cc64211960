#pragma once
// Programs run to their end and measured: wall time and peak resident memory.
#include <string>
#include <vector>

namespace maj::bench {

// What one finished program cost.
struct ChildMeasure {
  int exitCode = 0;          // 128 + signal number when a signal ended it
  double seconds = 0;        // wall time from start to exit
  long peakResidentKiB = 0;  // the program's own peak resident set (ru_maxrss)
};

// A program to run.
struct ChildSpec {
  std::vector<std::string> arguments;    // the program (looked up on PATH) and its arguments
  std::vector<std::string> environment;  // NAME=value entries replacing or adding to this process's environment
  std::string standardInput;             // file read as standard input; empty: /dev/null
  std::string standardOutput;            // file written as standard output; empty: this process's
};

// A program started and not yet waited for.
struct StartedChild {
  int pid = -1;
  double startSeconds = 0;  // steady clock at the start
  std::string program;
};

// Starts the program and returns at once. Throws std::runtime_error when it cannot be started.
StartedChild StartChild(const ChildSpec& spec);

// Waits for the end of a started program and measures it.
ChildMeasure WaitChild(const StartedChild& child);

// Starts the program and waits for its end. Throws std::runtime_error when it cannot be started.
ChildMeasure RunChild(const ChildSpec& spec);

// Same, but an exit code other than 0 throws std::runtime_error naming `what`.
ChildMeasure RunChecked(const ChildSpec& spec, const std::string& what);

}  // namespace maj::bench
