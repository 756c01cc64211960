#pragma once
// Publishing files into Fichier64, written once for the publishing panel and `maj --publish`.
#include <memory>
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
  // Fichier64 when missing, compresses and stores every record in order ("Compression de ", "Mise en base
  // de " followed by each name), then reports "Envoi des FICHIERs terminé". Ends with exactly one Ended
  // state, preceded by Error when a record failed (the records stored before it stay stored).
  Outcome Publish(const std::vector<std::shared_ptr<transfer::cls_File>>& records);

 private:
  StateReporter report_;
  SessionConnection& connection_;
};

}  // namespace maj::session
