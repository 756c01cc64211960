#pragma once
// `maj` started with options: unattended update, check, publishing, help and version, without a window.
#include <optional>

namespace maj::app {

// Runs what the options ask for and returns the exit status; nullopt when no argument is given (the caller
// then opens the screens). Must be called before the QApplication is made. A command line that cannot be
// run is reported in French on standard error with kExitBadUsage, and nothing is done.
std::optional<int> RunCommandLine(int argc, char** argv);

}  // namespace maj::app
