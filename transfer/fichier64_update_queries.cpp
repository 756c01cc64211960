#include "transfer/fichier64_update_queries.h"

#include <algorithm>

#include "db/connection.h"
#include "db/database.h"
#include "db/query_helpers.h"
#include "db/result_set.h"

namespace maj::transfer {

std::vector<PackageCondition> ListPackageConditions(const std::string& key) {
  std::vector<PackageCondition> conditions;
  db::ResultSet rows = db::OpenQuery(
      " select distinct `condition`, typeCondition from Fichier64 where typeCondition <> 0 and " + key + " <> 0",
      db::kCursorDynamic);
  for (; rows.IsOpen() && !rows.AtEnd(); rows.MoveNext()) {
    conditions.push_back({rows.Field("condition").AsText(),
                          static_cast<std::int16_t>(rows.Field("typeCondition").AsInteger())});
  }
  return conditions;
}

std::vector<PackageRow> ListPackageRows(const std::string& condition) {
  // Listed without DATA: through the result set the driver would hold each whole value in memory.
  db::ResultSet rows = db::SharedConnection().Execute(
      " select cle_fichier, nom, version, action1, actionData1, action2, actionData2, action3, actionData3, type, "
      " LENGTH(data) AS taille from Fichier64 where `condition` = ?",
      {db::Parameter::Text(condition)});
  std::vector<PackageRow> listed;
  for (; rows.IsOpen() && !rows.AtEnd(); rows.MoveNext()) {
    PackageRow row;
    row.key = rows.Field("cle_fichier");
    row.nom = rows.Field("nom").AsText();
    row.version = rows.Field("version").AsText();
    row.type = static_cast<std::int32_t>(rows.Field("type").AsInteger());
    for (int i = 0; i < 3; ++i) {
      row.actions[i] = static_cast<std::int32_t>(rows.Field("action" + std::to_string(i + 1)).AsInteger());
      row.actionData[i] = rows.Field("actionData" + std::to_string(i + 1)).AsText();
    }
    const db::Value size = rows.Field("taille");
    row.size = size.IsNull() ? 0 : static_cast<std::uint64_t>(std::max<std::int64_t>(size.AsInteger(), 0));
    listed.push_back(std::move(row));
  }
  return listed;
}

void SavePackageData(const db::Value& key, const std::string& path, const db::BlobProgress& progress,
                     const db::BlobBytes& observer) {
  db::SaveBlobToFile(db::SharedConnection(), {"Fichier64", "Cle_Fichier", key, "data"}, path, progress, observer);
}

std::vector<std::string> MainApplicationVersions() {
  std::vector<std::string> versions;
  db::ResultSet rows = db::SharedConnection().Execute(
      "SELECT VERSION FROM Fichier64 WHERE UCASE(NOM)='ORV_SPEC.EXE' GROUP BY VERSION ORDER BY VERSION DESC");
  for (; rows.IsOpen() && !rows.AtEnd(); rows.MoveNext()) versions.push_back(rows.Field("VERSION").AsText());
  return versions;
}

}  // namespace maj::transfer
