#include "session/published_file_record.h"

#include <algorithm>
#include <stdexcept>

#include "platform/text.h"

#include "db/query_helpers.h"
#include "engine/fichier.h"

namespace maj::session {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<WindowsFlags> ParseWindowsList(std::string_view list) {
  WindowsFlags flags{};
  bool any = false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    std::string_view name = list.substr(start, comma - start);
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    bool known = false;
    if (platform::EqualsIgnoreCase(name, "all")) {
      flags = kEveryWindows;
      known = true;
    }
    for (std::size_t i = 0; i < db::kWindowsColumns.size(); ++i) {
      if (!platform::EqualsIgnoreCase(name, db::kWindowsColumns[i].panelName)) continue;
      flags[i] = true;
      known = true;
    }
    if (!known) return std::nullopt;
    any = true;
    if (comma == list.size()) break;
    start = comma + 1;
  }
  if (!any) return std::nullopt;
  return flags;
}

std::optional<std::string> VersionError(const std::string& version) {
  try {
    if (db::NormalizeVersion(version).empty()) return std::string("--version demande un numéro de version.");
  } catch (const std::invalid_argument& error) {
    return std::string(error.what());
  }
  return std::nullopt;
}

std::shared_ptr<transfer::cls_File> FileRecordOf(const PublishedFileRow& row) {
  auto record = std::make_shared<transfer::cls_File>();
  record->SetPath(row.Folder + row.Nom);
  record->SetNom(row.Nom);
  record->SetTypeFichier(static_cast<std::int16_t>((row.Ticks.Register ? engine::kTypeRegisterInPlace : 0) +
                                                   (row.Ticks.RegAsm ? engine::kTypeDotNetAssembly : 0) +
                                                   (row.Ticks.Codebase ? engine::kTypeCodeBase : 0)));
  record->SetCurrentVersion(db::NormalizeVersion(row.Version));
  record->SetW9x(row.Windows[0]);
  record->SetWNT4(row.Windows[1]);
  record->SetW2k(row.Windows[2]);
  record->SetWXP(row.Windows[3]);
  record->SetW2k3(row.Windows[4]);
  record->SetWME(row.Windows[5]);
  record->SetWVista(row.Windows[6]);
  record->SetW7(row.Windows[7]);
  record->Setw8(row.Windows[8]);
  record->SetCodeBase(row.Ticks.Codebase);
  return record;
}

}  // namespace maj::session
