#pragma once
// One update session: the whole start of the updater, from the check for the main application to the end
// of the run, written once for the window and the command line. It runs on the caller's thread (the window
// gives it a thread of its own) and reports one stream of states; the front end serves the wait for the main
// application and the engine's messages.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "session/session_connection.h"
#include "session/session_state.h"

namespace maj::session {

// What the front end provides. Every callback is called on the session's thread.
struct FrontEnd {
  // Receives every state (required).
  StateReporter Report;
  // Returns once the main application's process `processId` has exited (true) or the wait was given up
  // (false: the user quit, a time limit passed). Called for each running instance in turn.
  std::function<bool(std::int32_t processId)> WaitForMainApplication;
  // Shows a French message (OK button) and returns once it is acknowledged. Empty: messages are dropped.
  std::function<void(const std::string& message)> ShowMessage;
};

class UpdateSession {
 public:
  // `connection` is opened by Run and left open for the owner, who closes it when no session needs it.
  UpdateSession(FrontEnd frontEnd, SessionConnection& connection);
  UpdateSession(const UpdateSession&) = delete;
  UpdateSession& operator=(const UpdateSession&) = delete;

  // Reports "Vérifie si Proscenia est lancé", waits for every running instance of the main application,
  // then prepares the installation (the bin folder, the support libraries, the settings file: nothing is
  // written before the wait is over, so giving up changes nothing), reports "Prêt pour la mise à jour",
  // opens the connection, creates Fichier64 when missing, checks and installs. Ends with exactly one Ended
  // state, preceded by Error when it failed, and returns the same outcome. Call once.
  Outcome Run();

  // Asks the session to stop at its next point where nothing is half-done: between two waits or steps,
  // before or while a file is fetched or unpacked, between two installs. An install or a post-install
  // program under way finishes first. Callable from any thread, any number of times.
  void RequestStop() { stop_ = true; }
  bool StopRequested() const { return stop_; }

  // True once the run asked for a restart (also when it stopped after such an install).
  bool RestartNeeded() const { return restartNeeded_; }
  // How many versions the run refused to install (signature, fields or content not as signed); each was
  // named in a status notice.
  std::size_t RefusedCount() const { return refusedCount_; }

 private:
  Outcome RunSteps();
  bool WaitForMainApplication();
  Outcome End(Outcome outcome, std::int32_t oldVersion = 0, std::int32_t newVersion = 999999);
  void Fail(const std::string& description);

  FrontEnd frontEnd_;
  SessionConnection& connection_;
  std::atomic<bool> stop_{false};
  bool restartNeeded_ = false;
  std::size_t refusedCount_ = 0;
};

}  // namespace maj::session
