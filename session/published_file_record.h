#pragma once
// One file prepared for publishing, as a row of the publishing panel holds it, and the record that stores it
// in Fichier64. Shared by the panel and the command line so that both publish a file the same way.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "session/publishing_presets.h"
#include "transfer/cls_file.h"

namespace maj::session {

// The panel's nine Windows columns, in order.
inline constexpr std::array<std::string_view, 9> kWindowsColumns = {"9X",  "ME",    "NT",   "XP",  "2K",
                                                                    "2K3", "Vista", "Win7", "Win8"};

// One tick per entry of kWindowsColumns.
using WindowsFlags = std::array<bool, 9>;
inline constexpr WindowsFlags kEveryWindows = {true, true, true, true, true, true, true, true, true};

// The Windows flags named by a comma-separated list of kWindowsColumns names or "all" (letter case ignored,
// blanks around names allowed); nullopt when a name is unknown or none is given.
std::optional<WindowsFlags> ParseWindowsList(std::string_view list);

// Nullopt when `version` is a version text that can be published, else the French reason.
std::optional<std::string> VersionError(const std::string& version);

struct PublishedFileRow {
  std::string Folder;   // the file's folder, ending with a separator
  std::string Nom;      // the name it is published under
  std::string Version;  // as read from the file (LocalFileVersion) or given
  PublishingPreset Ticks;
  WindowsFlags Windows = kEveryWindows;
};

// The record for one row: Path = Folder + Nom; TypeFichier = 2 for Register + 64 for RegAsm + 1 for Codebase;
// CurrentVersion = NormalizeVersion(Version) (throws std::invalid_argument with a French description when it
// is not a version); the nine Windows flags; CodeBase = the Codebase tick.
std::shared_ptr<transfer::cls_File> FileRecordOf(const PublishedFileRow& row);

}  // namespace maj::session
