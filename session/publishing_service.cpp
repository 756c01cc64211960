#include "session/publishing_service.h"

#include <exception>
#include <stdexcept>
#include <utility>

#include "config/installation.h"
#include "engine/cls_download_manager.h"
#include "session/session_events.h"
#include "signing/publishing_key.h"
#include "transfer/signature_records.h"

namespace maj::session {

PublishingService::PublishingService(StateReporter report, SessionConnection& connection)
    : report_(std::move(report)), connection_(connection) {}

Outcome PublishingService::Publish(const std::vector<std::shared_ptr<transfer::cls_File>>& records,
                                   const std::optional<std::string>& keyFile) {
  return Run([&] {
    SessionEvents events(report_);
    engine::cls_DownloadManager engine(&events);
    engine.SetSigningKey(signing::ResolvePublishingKey(keyFile));
    for (const auto& record : records) engine.AddFileToUpload(record);
    engine.ProcessUpload();
    events.Status("Envoi des FICHIERs terminé");
  });
}

Outcome PublishingService::SignStored(const std::string& nom, const std::string& version,
                                      const std::optional<std::string>& keyFile) {
  return Run([&] {
    const std::shared_ptr<const signing::SigningKey> key = signing::ResolvePublishingKey(keyFile);
    if (!key) throw std::runtime_error("Aucune clé de signature : indiquez-la avec --signing-key");
    transfer::SignStoredVersion(nom, version, *key);
    SessionEvents(report_).Status("Version " + version + " de " + nom + " signée");
  });
}

Outcome PublishingService::Run(const std::function<void()>& work) {
  Outcome outcome = Outcome::Completed;
  try {
    if (config::SettingsFilePath().empty()) config::LocateSettingsFile();
    if (!connection_.Open(report_)) {
      outcome = Outcome::ConnectionFailed;
    } else {
      work();
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
