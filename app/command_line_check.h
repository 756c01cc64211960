#pragma once
// `maj --check`: what an update run would fetch, read without changing anything.
namespace maj::app {

// Runs the update check alone and prints the conditional packages whose condition is not met and each plain
// file that would be fetched with its installed and published versions, one per line, or as one JSON
// document with `json`. Creates, writes and installs nothing (the settings file is read where it is found).
// Returns kExitDone when up to date, kExitUpdatesWaiting when something would be fetched, kExitFailed (the
// description printed on standard error).
int RunCheck(bool json);

}  // namespace maj::app
