#pragma once
// `maj --unattended`: the update run of the screen, without a window.
#include <optional>

namespace maj::app {

// Waits for every running main application (no limit unless `waitLimitSeconds`), then does the screen's
// start-up, connection, table creation and update run, each status text printed as a time-stamped line.
// Returns kExitDone, kExitRestartNeeded, kExitStillRunning (the limit passed; nothing was changed) or
// kExitFailed (the description printed on standard error).
int RunUnattended(std::optional<int> waitLimitSeconds);

}  // namespace maj::app
