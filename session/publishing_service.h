#pragma once
// Publishing files into Fichier64, written once for the publishing panel and `maj --publish`.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "session/session_connection.h"
#include "session/session_state.h"
#include "transfer/cls_file.h"

namespace maj::session {

class PublishingService {
 public:
  // `report` receives the states; `connection` is opened when it is not yet. Both must outlive the service.
  PublishingService(StateReporter report, SessionConnection& connection);

  // Opens the connection when needed (locating the settings file first when nothing located it), creates
  // Fichier64 when missing, finds the signing key (`keyFile`, else the variable or the settings file; none
  // when the site does not sign), compresses, stores and signs every record in order ("Compression de ",
  // "Mise en base de " followed by each name), then reports "Envoi des FICHIERs terminé". Ends with exactly
  // one Ended state, preceded by Error when a record failed (the records stored before it stay stored) or
  // when the site signs and no usable key is named (nothing is stored then).
  Outcome Publish(const std::vector<std::shared_ptr<transfer::cls_File>>& records,
                  const std::optional<std::string>& keyFile = std::nullopt);

  // Signs version `version` of `nom` as it is stored (a package inserted by another tool) with the key of
  // `keyFile` (else the variable or the settings file), then reports "Version V de NOM signée". Ends as
  // Publish does; a missing key is an error here.
  Outcome SignStored(const std::string& nom, const std::string& version, const std::optional<std::string>& keyFile);

 private:
  // Runs `work` on the open connection, reporting a failure as Error; ends with the Ended state.
  Outcome Run(const std::function<void()>& work);

  StateReporter report_;
  SessionConnection& connection_;
};

}  // namespace maj::session
