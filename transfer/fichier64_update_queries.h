#pragma once
// The statements of the update check and run on Fichier64, beside those of cls_File (fichier64_rows.h), the
// signed records (signature_records.h) and the newest versions (newest_versions.h): every statement on the
// table lives in this folder.
#include <cstdint>
#include <string>
#include <vector>

#include "db/blob_transfer.h"
#include "db/value.h"

namespace maj::transfer {

// One install condition of the conditional packages that apply to a Windows version.
struct PackageCondition {
  std::string condition;
  std::int16_t typeCondition = 0;
};

// The distinct conditions of the conditional rows (typeCondition not 0) whose flag column `key` (a known OS
// key, pasted as a column name) is not 0.
std::vector<PackageCondition> ListPackageConditions(const std::string& key);

// One conditional row as the run fetches it, without its DATA.
struct PackageRow {
  db::Value key;       // CLE_FICHIER
  std::string nom;
  std::string version;
  std::int32_t type = 0;
  std::int32_t actions[3] = {0, 0, 0};
  std::string actionData[3];
  std::uint64_t size = 0;  // the length of DATA (0 when NULL)
};

// The rows whose condition is `condition` (bound, never pasted: it may hold quotes and backslashes), in the
// server's order.
std::vector<PackageRow> ListPackageRows(const std::string& condition);

// Writes the DATA of the row `key` into `path` in pieces cut by the server, reporting progress and handing
// each piece to `observer`. Throws what db::SaveBlobToFile throws.
void SavePackageData(const db::Value& key, const std::string& path, const db::BlobProgress& progress,
                     const db::BlobBytes& observer);

// The distinct versions of the main application (NOM "Orv_Spec.exe" in any letter case), newest first in the
// table's text order.
std::vector<std::string> MainApplicationVersions();

}  // namespace maj::transfer
