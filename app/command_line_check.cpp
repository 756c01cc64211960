#include "app/command_line_check.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "app/command_line_console.h"
#include "app/command_line_options.h"
#include "session/update_check_report.h"

namespace maj::app {
namespace {

void PrintLine(const std::string& text) { std::fputs((text + "\n").c_str(), stdout); }

}  // namespace

int RunCheck(bool json) {
  const std::optional<session::CheckReport> report = session::CheckForUpdates([](const session::SessionState& state) {
    if (state.kind == session::StateKind::Error) PrintErrorLine(state.text);
  });
  if (!report) return kExitFailed;

  nlohmann::ordered_json document = {{"updatesWaiting", report->UpdatesWaiting()},
                                     {"conditions", report->conditions},
                                     {"files", nlohmann::ordered_json::array()},
                                     {"refused", nlohmann::ordered_json::array()}};
  for (const session::RefusedVersion& refused : report->refused) {
    document["refused"].push_back({{"name", refused.name}, {"version", refused.version}, {"reason", refused.reason}});
    if (!json) PrintLine("Version refusée : " + refused.name + " " + refused.version + " (" + refused.reason + ")");
  }
  if (!json) {
    for (const std::string& condition : report->conditions) PrintLine("Paquet manquant : " + condition);
  }
  for (const session::WaitingFile& file : report->files) {
    const std::string& installed = file.installedVersion;
    document["files"].push_back(
        {{"name", file.name},
         {"installedVersion", installed.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(installed)},
         {"publishedVersion", file.publishedVersion}});
    if (!json) {
      PrintLine("Fichier à récupérer : " + file.name + " (installé : " + (installed.empty() ? "aucun" : installed) +
                ", publié : " + file.publishedVersion + ")");
    }
  }
  if (json) {
    PrintLine(document.dump(2));
  } else if (!report->UpdatesWaiting()) {
    PrintLine("Aucune mise à jour en attente");
  }
  return report->UpdatesWaiting() ? kExitUpdatesWaiting : kExitDone;
}

}  // namespace maj::app
