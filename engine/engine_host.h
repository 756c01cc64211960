#pragma once
// What the front end lends the engine while it works, and how a run that was asked to stop ends.
#include <functional>
#include <string>

#include "platform/run_stopped.h"

namespace maj::engine {

// Both callbacks may be left empty (tests, command-line use). Both are called on the thread running the
// engine: a front end that lives on another thread must serve them from there.
struct EngineHost {
  // Shows a French message to the user (OK button) and returns once it is closed.
  std::function<void(const std::string& message)> ShowMessage;
  // True once the run should stop. Polled at the points where stopping leaves nothing half-done: before each
  // fetch, while a file is fetched or unpacked, between two installs.
  std::function<bool()> StopRequested;
};

// Thrown by the run when the host asked it to stop: every file is either installed whole or not at all, and
// the working folder is cleaned as at the end of a run.
using RunStopped = platform::RunStopped;

}  // namespace maj::engine
