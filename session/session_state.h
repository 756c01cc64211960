#pragma once
// What an update or publishing session tells its front end: one state at a time, in the order things happen.
// The window and the command line render the same stream.
#include <cstdint>
#include <functional>
#include <string>

namespace maj::session {

enum class StateKind {
  Status,         // `text` is the new status line
  Progress,       // `done` of `expected` bytes of the current file, fetched (`unpacking` false) or unpacked
  RestartNeeded,  // a restart is needed to complete the update (reported once, before the end text)
  Error,          // the session failed; `text` is the French description; Ended follows
  Ended,          // the session is over; `outcome` says how; nothing follows
};

enum class Outcome {
  Completed,         // the run or the publishing went to its end
  Failed,            // an error ended it (reported before as Error)
  ConnectionFailed,  // the database could not be opened (reported before as Error): the program ends
  Stopped,           // a stop was asked for and taken where nothing was half-done
  GaveUpWaiting,     // the main application still ran when the wait was given up: nothing was changed
};

struct SessionState {
  StateKind kind = StateKind::Status;
  std::string text;
  std::int64_t done = 0;
  std::int64_t expected = 0;
  bool unpacking = false;
  Outcome outcome = Outcome::Completed;
  // With Ended after a completed update run: the numbers of the two newest published versions of the main
  // application, the range of the documents to list (0 and 999999 when unknown).
  std::int32_t oldVersion = 0;
  std::int32_t newVersion = 999999;
};

// Receives each state on the session's thread. Must return promptly.
using StateReporter = std::function<void(const SessionState& state)>;

// The text a stopping session shows in the status line until it has stopped.
inline constexpr char kStoppingText[] = "Arrêt de la mise à jour en cours, veuillez patienter";

}  // namespace maj::session
