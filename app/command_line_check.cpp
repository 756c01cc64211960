#include "app/command_line_check.h"

#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "app/command_line_console.h"
#include "app/command_line_options.h"
#include "config/installation.h"
#include "engine/cls_download_manager.h"
#include "engine/version_compare.h"

namespace maj::app {
namespace {

void PrintLine(const std::string& text) { std::fputs((text + "\n").c_str(), stdout); }

}  // namespace

int RunCheck(bool json) {
  config::LocateSettingsFile(false);
  ConnectionCloser closer;
  if (!ConnectForCommandLine()) return kExitFailed;

  engine::cls_DownloadManager engine;
  engine.CheckForUpdates(false);
  const bool waiting = !engine.ConditionsList().empty() || !engine.UpdateList().empty();

  nlohmann::ordered_json document = {
      {"updatesWaiting", waiting}, {"conditions", engine.ConditionsList()}, {"files", nlohmann::ordered_json::array()},
      {"refused", nlohmann::ordered_json::array()}};
  for (const engine::RefusedFile& refused : engine.RefusedFiles()) {
    document["refused"].push_back({{"name", refused.nom}, {"version", refused.version}, {"reason", refused.reason}});
    if (!json) PrintLine("Version refusée : " + refused.nom + " " + refused.version + " (" + refused.reason + ")");
  }
  if (!json) {
    for (const std::string& condition : engine.ConditionsList()) PrintLine("Paquet manquant : " + condition);
  }
  for (const std::shared_ptr<engine::Fichier>& fichier : engine.UpdateList()) {
    const std::string installed = engine::LocalFileVersion(engine::InstalledPath(fichier->Nom, false));
    document["files"].push_back(
        {{"name", fichier->Nom},
         {"installedVersion", installed.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(installed)},
         {"publishedVersion", fichier->Version}});
    if (!json) {
      PrintLine("Fichier à récupérer : " + fichier->Nom + " (installé : " + (installed.empty() ? "aucun" : installed) +
                ", publié : " + fichier->Version + ")");
    }
  }
  if (json) {
    PrintLine(document.dump(2));
  } else if (!waiting) {
    PrintLine("Aucune mise à jour en attente");
  }
  return waiting ? kExitUpdatesWaiting : kExitDone;
}

}  // namespace maj::app
