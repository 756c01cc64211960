#include "session/update_check_report.h"

#include <exception>
#include <memory>

#include "config/installation.h"
#include "engine/cls_download_manager.h"
#include "engine/version_compare.h"
#include "session/session_connection.h"

namespace maj::session {

std::optional<CheckReport> CheckForUpdates(const StateReporter& report) {
  config::LocateSettingsFile(false);
  SessionConnection connection;
  if (!connection.Open(report, false)) return std::nullopt;
  try {
    engine::cls_DownloadManager engine;
    engine.CheckForUpdates(false);
    CheckReport result;
    result.conditions = engine.ConditionsList();
    for (const std::shared_ptr<engine::Fichier>& fichier : engine.UpdateList()) {
      result.files.push_back({fichier->Nom, engine::LocalFileVersion(engine::InstalledPath(fichier->Nom, false)),
                              fichier->Version});
    }
    for (const engine::RefusedFile& refused : engine.RefusedFiles()) {
      result.refused.push_back({refused.nom, refused.version, refused.reason});
    }
    return result;
  } catch (const std::exception& error) {
    SessionState state;
    state.kind = StateKind::Error;
    state.text = error.what();
    report(state);
    return std::nullopt;
  }
}

}  // namespace maj::session
