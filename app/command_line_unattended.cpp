#include "app/command_line_unattended.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <string>
#include <thread>

#include "app/command_line_console.h"
#include "app/command_line_options.h"
#include "session/update_session.h"
#include "sysinfo/process_queries.h"

namespace maj::app {
namespace {

using Clock = std::chrono::steady_clock;

// The session a termination signal asks to stop (a service manager stopping the unit).
std::atomic<session::UpdateSession*> signalledSession{nullptr};

extern "C" void StopOnSignal(int) {
  // An atomic store and load only: safe in a signal handler.
  if (session::UpdateSession* running = signalledSession.load()) running->RequestStop();
}

// Stops the session on SIGTERM and SIGINT while it runs; the earlier handlers come back after.
class StopSignals {
 public:
  explicit StopSignals(session::UpdateSession& running) {
    signalledSession = &running;
    struct sigaction action {};
    action.sa_handler = StopOnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, &previousTerm_);
    sigaction(SIGINT, &action, &previousInt_);
  }
  ~StopSignals() {
    sigaction(SIGTERM, &previousTerm_, nullptr);
    sigaction(SIGINT, &previousInt_, nullptr);
    signalledSession = nullptr;
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  struct sigaction previousTerm_ {};
  struct sigaction previousInt_ {};
};

}  // namespace

int RunUnattended(std::optional<int> waitLimitSeconds) {
  bool restartNeeded = false;
  session::FrontEnd frontEnd;
  frontEnd.Report = [&](const session::SessionState& state) {
    switch (state.kind) {
      case session::StateKind::Status:
        PrintStatusLine(state.text);
        break;
      case session::StateKind::Error:
        PrintErrorLine(state.text);
        break;
      case session::StateKind::RestartNeeded:
        restartNeeded = true;
        break;
      case session::StateKind::Progress:
      case session::StateKind::Ended:
        break;
    }
  };
  // One limit for all instances together, counted from the first wait.
  std::optional<Clock::time_point> deadline;
  frontEnd.WaitForMainApplication = [&](std::int32_t processId) {
    if (!deadline) deadline = Clock::now() + std::chrono::seconds(waitLimitSeconds.value_or(0));
    PrintStatusLine("Proscenia doit être fermé avant de poursuivre la mise à jour (processus " +
                    std::to_string(processId) + ")");
    while (sysinfo::IsProcessAlive(processId)) {
      if (waitLimitSeconds && Clock::now() >= *deadline) {
        PrintErrorLine("Proscenia est encore lancé après " + std::to_string(*waitLimitSeconds) +
                       " secondes d'attente : mise à jour abandonnée");
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    return true;
  };
  frontEnd.ShowMessage = PrintErrorLine;

  session::SessionConnection connection;
  session::UpdateSession session(std::move(frontEnd), connection);
  session::Outcome outcome;
  {
    StopSignals signals(session);
    outcome = session.Run();
  }
  switch (outcome) {
    case session::Outcome::Completed:
      break;
    case session::Outcome::GaveUpWaiting:
      return kExitStillRunning;
    case session::Outcome::Stopped:
      PrintErrorLine(session::kStoppingText);
      return restartNeeded ? kExitRestartNeeded : kExitFailed;
    case session::Outcome::Failed:
    case session::Outcome::ConnectionFailed:
      return kExitFailed;
  }
  if (restartNeeded) PrintStatusLine("Vous devez redémarrer pour terminer l'installation");
  // A refused version is what a site's administrator must see first: it outranks the restart.
  if (session.RefusedCount() > 0) return kExitRefusedFiles;
  return restartNeeded ? kExitRestartNeeded : kExitDone;
}

}  // namespace maj::app
