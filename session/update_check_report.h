#pragma once
// The update check alone, read-only, as `maj --check` reports it: which packages are missing and which files
// a run would fetch, with their installed and published versions.
#include <optional>
#include <string>
#include <vector>

#include "session/session_state.h"

namespace maj::session {

struct WaitingFile {
  std::string name;
  std::string installedVersion;  // empty when no installed copy has a readable version
  std::string publishedVersion;
};

struct RefusedVersion {
  std::string name;
  std::string version;
  std::string reason;  // French, as the status notice gives it
};

struct CheckReport {
  std::vector<std::string> conditions;  // conditional packages whose condition is not met
  std::vector<WaitingFile> files;       // files newer than their installed copies, when no package is missing
  std::vector<RefusedVersion> refused;  // versions the signed records refuse already, without their bytes
  bool UpdatesWaiting() const { return !conditions.empty() || !files.empty(); }
};

// Reads the settings file where it is (nothing is copied), opens the shared connection, runs the check and
// closes the connection. Writes, fetches and installs nothing and creates no folder or table. On failure
// reports an Error state (the French description) and returns nullopt.
std::optional<CheckReport> CheckForUpdates(const StateReporter& report);

}  // namespace maj::session
