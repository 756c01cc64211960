#include "app/command_line_unattended.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "app/command_line_console.h"
#include "app/command_line_options.h"
#include "app/status_texts.h"
#include "app/support_libraries.h"
#include "config/installation.h"
#include "db/update_table.h"
#include "engine/cls_download_manager.h"
#include "sysinfo/process_queries.h"

namespace maj::app {
namespace {

using Clock = std::chrono::steady_clock;

// The wait screen's poll, one instance after the other. False when the limit passed first.
bool WaitForMainApplication(std::optional<int> waitLimitSeconds) {
  if (!sysinfo::IsProcessRunning("Orv_Spec.exe")) return true;
  const std::vector<std::int32_t> running = sysinfo::RunningProcessIds();
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(waitLimitSeconds.value_or(0));
  for (const std::int32_t processId : running) {
    PrintStatusLine("Proscenia doit être fermé avant de poursuivre la mise à jour (processus " +
                    std::to_string(processId) + ")");
    while (sysinfo::IsProcessAlive(processId)) {
      if (waitLimitSeconds && Clock::now() >= deadline) {
        PrintErrorLine("Proscenia est encore lancé après " + std::to_string(*waitLimitSeconds) +
                       " secondes d'attente : mise à jour abandonnée");
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
  }
  return true;
}

}  // namespace

int RunUnattended(std::optional<int> waitLimitSeconds) {
  PrintStatusLine("Vérifie si Proscenia est lancé");
  // Waiting comes before the start-up, so that giving up leaves the installation as it was.
  if (!WaitForMainApplication(waitLimitSeconds)) return kExitStillRunning;
  PrepareSupportLibraries();
  config::LocateSettingsFile();
  PrintStatusLine("Prêt pour la mise à jour");

  ConnectionCloser closer;
  if (!ConnectForCommandLine()) return kExitFailed;
  db::EnsureUpdateTable();

  bool restartNeeded = false;
  StatusTextListener::Handlers handlers;
  handlers.Status = PrintStatusLine;
  handlers.NeedReboot = [&] { restartNeeded = true; };
  StatusTextListener listener(handlers);
  engine::cls_DownloadManager engine(&listener, engine::EngineHost{{}, PrintErrorLine});
  bool forcer = false;
  engine.Test_Version(forcer);
  if (restartNeeded) PrintStatusLine("Vous devez redémarrer pour terminer l'installation");
  if (!engine.RefusedFiles().empty()) return kExitRefusedFiles;
  return restartNeeded ? kExitRestartNeeded : kExitDone;
}

}  // namespace maj::app
