#pragma once
// One file prepared for publishing, as a row of the publishing panel holds it, and the record that stores it
// in Fichier64. Shared by the panel and the command line so that both publish a file the same way.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "db/windows_flags.h"
#include "session/publishing_presets.h"
#include "transfer/cls_file.h"

namespace maj::session {

// One tick per Windows column of Fichier64 (db::kWindowsColumns order).
using db::kEveryWindows;
using db::WindowsFlags;

// The Windows flags named by a comma-separated list of the panel's names of db::kWindowsColumns or "all"
// (letter case ignored,
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
