#include "app/command_line_publish.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/command_line_console.h"
#include "config/installation.h"
#include "engine/version_compare.h"
#include "platform/text.h"
#include "session/published_file_record.h"
#include "session/publishing_service.h"
#include "signing/key_files.h"

namespace maj::app {
namespace {

// The name a file is published under: in lower case, as the panel's file dialog gives names, except the
// main application, which the panel adds itself as "Orv_Spec.exe".
std::string PublishedName(const std::string& fileName) {
  if (platform::EqualsIgnoreCase(fileName, "Orv_Spec.exe")) return "Orv_Spec.exe";
  return platform::ToLowerCase(fileName);
}

// The row of one file, or nullopt after printing why it cannot be published.
std::optional<PublishedFileRow> RowOf(const std::string& file, const PublishOptions& options) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(file, error);
  if (error || !std::filesystem::is_regular_file(path, error)) {
    PrintErrorLine("Fichier introuvable : " + file);
    return std::nullopt;
  }
  PublishedFileRow row;
  row.Folder = path.parent_path().string() + "/";
  row.Nom = PublishedName(path.filename().string());
  row.Ticks = options.ticks.value_or(ClassifyPublishedName(row.Nom));
  row.Windows = options.windows.value_or(kEveryWindows);
  row.Version = options.version.value_or(engine::LocalFileVersion(path.string()));
  // Without a version a second publication would only update the flags of the first and keep its bytes.
  if (row.Version.empty()) {
    PrintErrorLine("Le fichier " + file + " n'a pas de numéro de version : indiquez-le avec --version");
    return std::nullopt;
  }
  return row;
}

// Status lines on standard output, errors on standard error.
void PrintPublishingState(const session::SessionState& state) {
  if (state.kind == session::StateKind::Status) PrintStatusLine(state.text);
  if (state.kind == session::StateKind::Error) PrintErrorLine(state.text);
}

}  // namespace

int RunPublish(const PublishOptions& options) {
  std::vector<std::shared_ptr<transfer::cls_File>> records;
  for (const std::string& file : options.files) {
    const std::optional<PublishedFileRow> row = RowOf(file, options);
    if (!row) return kExitFailed;
    records.push_back(FileRecordOf(*row));
  }

  config::LocateSettingsFile();
  session::SessionConnection connection;
  session::PublishingService service(PrintPublishingState, connection);
  return service.Publish(records, options.signingKey) == session::Outcome::Completed ? kExitDone : kExitFailed;
}

int RunGenerateKey(const std::string& keyFile) {
  std::printf("%s\n", signing::GenerateKeyFile(keyFile).c_str());
  return kExitDone;
}

int RunSignStored(const std::string& name, const PublishOptions& options) {
  config::LocateSettingsFile();
  session::SessionConnection connection;
  session::PublishingService service(PrintPublishingState, connection);
  return service.SignStored(name, options.version.value_or(""), options.signingKey) == session::Outcome::Completed
             ? kExitDone
             : kExitFailed;
}

}  // namespace maj::app
