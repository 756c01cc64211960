#include "session/session_connection.h"

#include <string>

#include "db/database.h"
#include "db/update_table.h"

namespace maj::session {

SessionConnection::~SessionConnection() {
  if (open_) db::CloseDatabase();
}

bool SessionConnection::Open(const StateReporter& report, bool createTable) {
  if (open_) return true;
  std::string failure;
  bool failed = false;
  db::ConnectDatabase([&](const std::string& description) {
    failed = true;
    failure = description;
  });
  if (failed) {
    SessionState state;
    state.kind = StateKind::Error;
    state.text = failure;
    report(state);
    return false;
  }
  open_ = true;
  if (createTable) db::EnsureUpdateTable();
  return true;
}

}  // namespace maj::session
