#pragma once
// The statements of cls_File on table Fichier64, run on the shared connection with every value bound as a
// parameter: names and versions never become part of the SQL text. Internal to maj_transfer.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/blob_transfer.h"
#include "db/windows_flags.h"
#include "transfer/signature_records.h"

namespace maj::transfer::internal {

// The values stored in the nine applies-to columns, in db::kWindowsColumns order.
using StoredWindowsValues = std::array<std::int16_t, db::kWindowsColumns.size()>;

// The flag column named by an OS key ("`winXP`", "`vista`"... as GetOSKey gives them, letter case ignored),
// back-quoted and ready to be placed in a statement. Throws std::invalid_argument for any other text, which
// is therefore never pasted into SQL.
std::string FlagColumnForOSKey(const std::string& osKey);

// True when at least one row holds `nom` and `version`.
bool VersionIsStored(const std::string& nom, const std::string& version);

// Sets the nine flags and TYPE of every row of `nom` and `version`.
void UpdateStoredVersion(const std::string& nom, const std::string& version, const StoredWindowsValues& flags,
                         std::int16_t type);

// Inserts one row whose DATA is the whole content of the local file `dataFile`, which is streamed to the
// server rather than read into memory.
void InsertArchiveRow(const std::string& version, std::int16_t type, const std::string& nom,
                      const std::string& archive, const StoredWindowsValues& flags, const std::string& dataFile);

// For each row of `nom` and `version` whose flag column `flagColumn` (from FlagColumnForOSKey) is not 0, in
// key order: asks `targetFor` for the local file to write from the row's Archive value (nullopt when NULL),
// then streams the row's DATA into that file, creating or replacing it. First throws std::runtime_error,
// writing nothing, when the rows' DATA together do not fit in the free space of `folder`. `progress`, when
// set, is told the bytes written so far of all the rows' bytes; `observer`, when set, sees every byte written,
// in row order; `beforeFetch`, when set, sees the rows listed before anything is written, and stops the
// download by throwing.
void SaveStoredArchives(const std::string& nom, const std::string& version, const std::string& flagColumn,
                        const std::string& folder,
                        const std::function<std::string(const std::optional<std::string>& archive)>& targetFor,
                        const db::BlobProgress& progress = {}, const db::BlobBytes& observer = {},
                        const std::function<void(const std::vector<StoredVersionRow>& rows)>& beforeFetch = {});

}  // namespace maj::transfer::internal
