#include "session/update_session.h"

#include <exception>
#include <utility>
#include <vector>

#include "config/installation.h"
#include "engine/cls_download_manager.h"
#include "session/session_events.h"
#include "session/support_libraries.h"
#include "sysinfo/process_queries.h"

namespace maj::session {

UpdateSession::UpdateSession(FrontEnd frontEnd, SessionConnection& connection)
    : frontEnd_(std::move(frontEnd)), connection_(connection) {}

Outcome UpdateSession::Run() {
  try {
    return RunSteps();
  } catch (const engine::RunStopped&) {
    return End(Outcome::Stopped);
  } catch (const std::exception& error) {
    Fail(error.what());
    return End(Outcome::Failed);
  }
}

Outcome UpdateSession::RunSteps() {
  SessionEvents events(frontEnd_.Report);
  events.Status("Vérifie si Proscenia est lancé");
  if (!WaitForMainApplication()) return End(stop_ ? Outcome::Stopped : Outcome::GaveUpWaiting);

  config::GetBinFolder();
  PrepareSupportLibraries();
  config::LocateSettingsFile();
  events.Status("Prêt pour la mise à jour");
  if (stop_) return End(Outcome::Stopped);

  if (!connection_.Open(frontEnd_.Report)) return End(Outcome::ConnectionFailed);
  if (stop_) return End(Outcome::Stopped);

  engine::EngineHost host;
  host.ShowMessage = frontEnd_.ShowMessage;
  host.StopRequested = [this] { return stop_.load(); };
  engine::cls_DownloadManager engine(&events, std::move(host));
  bool forcer = false;
  try {
    engine.Test_Version(forcer);
  } catch (...) {
    restartNeeded_ = events.RestartNeeded();
    refusedCount_ = engine.RefusedFiles().size();
    throw;
  }
  restartNeeded_ = events.RestartNeeded();
  refusedCount_ = engine.RefusedFiles().size();
  return End(Outcome::Completed, events.OldVersion(), events.NewVersion());
}

bool UpdateSession::WaitForMainApplication() {
  if (!sysinfo::IsProcessRunning("Orv_Spec.exe")) return true;
  // A copy: the process-wide list grows with every later query.
  const std::vector<std::int32_t> processIds = sysinfo::RunningProcessIds();
  for (const std::int32_t processId : processIds) {
    if (stop_) return false;
    if (!frontEnd_.WaitForMainApplication || !frontEnd_.WaitForMainApplication(processId)) return false;
  }
  return !stop_;
}

Outcome UpdateSession::End(Outcome outcome, std::int32_t oldVersion, std::int32_t newVersion) {
  SessionState state;
  state.kind = StateKind::Ended;
  state.outcome = outcome;
  state.oldVersion = oldVersion;
  state.newVersion = newVersion;
  frontEnd_.Report(state);
  return outcome;
}

void UpdateSession::Fail(const std::string& description) {
  SessionState state;
  state.kind = StateKind::Error;
  state.text = description;
  frontEnd_.Report(state);
}

}  // namespace maj::session
