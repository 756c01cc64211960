#include "engine/newest_versions.h"

#include "db/database.h"
#include "db/database_error.h"
#include "db/prepared_statement.h"
#include "db/query_helpers.h"
#include "db/result_set.h"

namespace maj::engine {
namespace {

// One pass over the plain rows gives, per name, its first row for this Windows version and its highest
// version; the two joins then go through the primary key and the NOM index. Neither window functions nor
// joins between derived tables are needed, so older servers run it as fast. The rows of the newest version
// come last inserted first: the first row of each name is its answer.
std::string BatchedStatement(const std::string& key) {
  return "select p.nom as nom, f.version as version, f.type as type, n.premier as premier"
         " from (select nom, min(case when " + key + " <> 0 then cle_fichier end) as premier,"
         " max(version) as version from Fichier64 where typeCondition = 0 group by nom) n"
         " join Fichier64 p on p.cle_fichier = n.premier"
         " join Fichier64 f on f.nom = n.nom and f.version = n.version and f.typeCondition = 0"
         " where n.premier is not null"
         " order by n.premier, f.cle_fichier desc";
}

}  // namespace

std::vector<NewestVersion> NewestPlainVersions(const std::string& key) {
  std::vector<NewestVersion> newest;
  db::ResultSet rows;
  try {
    rows = db::SharedConnection().Execute(BatchedStatement(key));
  } catch (const db::DatabaseError&) {
    return NewestPlainVersionsNameByName(key);
  }
  std::int64_t previous = -1;
  for (; rows.IsOpen() && !rows.AtEnd(); rows.MoveNext()) {
    const std::int64_t premier = rows.Field("premier").AsInteger();
    if (premier == previous) continue;  // an older row of the newest version, or another volume of it
    previous = premier;
    newest.push_back({rows.Field("nom").AsText(), rows.Field("version").AsText(),
                      static_cast<std::int32_t>(rows.Field("type").AsInteger())});
  }
  return newest;
}

std::vector<NewestVersion> NewestPlainVersionsNameByName(const std::string& key) {
  std::vector<NewestVersion> newest;
  db::ResultSet names = db::OpenQuery(
      "select distinct nom from Fichier64 where typeCondition = 0 and " + key + " <> 0 order by cle_fichier",
      db::kCursorDynamic);
  // Prepared once for every name: each name's query is then a single exchange with the server.
  db::PreparedStatement newestOf(
      db::SharedConnection(),
      "select version, nom, type from Fichier64 where typecondition = 0 and nom = ? order by version desc limit 1");
  for (; names.IsOpen() && !names.AtEnd(); names.MoveNext()) {
    const std::string nom = names.Field("nom").AsText();
    db::ResultSet row = newestOf.Execute({db::Parameter::Text(nom)});
    if (!row.IsOpen() || row.AtEnd()) continue;  // the rows went away since the list was read
    newest.push_back({nom, row.Field("version").AsText(), static_cast<std::int32_t>(row.Field("type").AsInteger())});
  }
  return newest;
}

}  // namespace maj::engine
