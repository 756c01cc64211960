#include "session/publishing_service.h"

#include <exception>
#include <utility>

#include "config/installation.h"
#include "engine/cls_download_manager.h"
#include "session/session_events.h"

namespace maj::session {

PublishingService::PublishingService(StateReporter report, SessionConnection& connection)
    : report_(std::move(report)), connection_(connection) {}

Outcome PublishingService::Publish(const std::vector<std::shared_ptr<transfer::cls_File>>& records) {
  Outcome outcome = Outcome::Completed;
  try {
    if (config::SettingsFilePath().empty()) config::LocateSettingsFile();
    if (!connection_.Open(report_)) {
      outcome = Outcome::ConnectionFailed;
    } else {
      SessionEvents events(report_);
      engine::cls_DownloadManager engine(&events);
      for (const auto& record : records) engine.AddFileToUpload(record);
      engine.ProcessUpload();
      events.Status("Envoi des FICHIERs terminé");
    }
  } catch (const std::exception& error) {
    SessionState failure;
    failure.kind = StateKind::Error;
    failure.text = error.what();
    report_(failure);
    outcome = Outcome::Failed;
  }
  SessionState end;
  end.kind = StateKind::Ended;
  end.outcome = outcome;
  report_(end);
  return outcome;
}

}  // namespace maj::session
