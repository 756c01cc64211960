#pragma once
// The shared database connection as a session holds it: opened on the settings file's data source, the
// update table created when missing, closed when its owner is done with it and not before.
#include "session/session_state.h"

namespace maj::session {

class SessionConnection {
 public:
  SessionConnection() = default;
  // Closes the shared connection when Open opened it.
  ~SessionConnection();
  SessionConnection(const SessionConnection&) = delete;
  SessionConnection& operator=(const SessionConnection&) = delete;

  // Opens the shared connection on the data source named by the settings file (located beforehand), unless
  // this object already opened it, then creates table Fichier64 when it is missing (unless `createTable` is
  // false: a read-only use). On failure reports an Error state with the French description and returns
  // false, the connection closed.
  bool Open(const StateReporter& report, bool createTable = true);

  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace maj::session
