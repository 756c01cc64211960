#include "transfer/newest_versions.h"

#include <map>

#include "db/database.h"
#include "db/database_error.h"
#include "db/prepared_statement.h"
#include "db/query_helpers.h"
#include "db/result_set.h"

namespace maj::transfer {
namespace {

// Per name: its first row for this Windows version, the name as that row spells it (the row key, zero-padded,
// leads the text so that the smallest text is the first row's) and its highest version. One pass over the
// plain rows without any join, which older servers run as well.
std::string NamesStatement(const std::string& key) {
  return "select substring(min(case when " + key + " <> 0 then concat(lpad(cle_fichier, 11, '0'), nom) end), 12)"
         " as nom, min(case when " + key + " <> 0 then cle_fichier end) as premier, max(version) as version"
         " from Fichier64 where typeCondition = 0 group by nom having premier is not null order by premier";
}

// The rows of each name's highest version, last inserted first, through the NOM index.
std::string TypesStatement(const std::string& key) {
  return "select n.premier as premier, f.type as type"
         " from (select nom, min(case when " + key + " <> 0 then cle_fichier end) as premier,"
         " max(version) as version from Fichier64 where typeCondition = 0 group by nom) n"
         " join Fichier64 f on f.nom = n.nom and f.version = n.version and f.typeCondition = 0"
         " where n.premier is not null order by n.premier, f.cle_fichier desc";
}

}  // namespace

std::vector<NewestVersion> NewestPlainVersions(const std::string& key,
                                               const std::function<bool(const NewestVersion&)>& wanted) {
  db::ResultSet rows;
  try {
    rows = db::SharedConnection().Execute(NamesStatement(key));
  } catch (const db::DatabaseError&) {
    return NewestPlainVersionsNameByName(key, wanted);
  }
  std::vector<NewestVersion> chosen;
  std::vector<std::int64_t> firstRows;
  for (; rows.IsOpen() && !rows.AtEnd(); rows.MoveNext()) {
    NewestVersion newest{rows.Field("nom").AsText(), rows.Field("version").AsText(), 0};
    if (!wanted(newest)) continue;
    firstRows.push_back(rows.Field("premier").AsInteger());
    chosen.push_back(std::move(newest));
  }
  rows.Close();
  if (chosen.empty()) return chosen;

  std::map<std::int64_t, std::int32_t> types;
  db::ResultSet typeRows = db::SharedConnection().Execute(TypesStatement(key));
  for (; typeRows.IsOpen() && !typeRows.AtEnd(); typeRows.MoveNext()) {
    // The first row of each name is the last inserted of its newest version.
    types.emplace(typeRows.Field("premier").AsInteger(), static_cast<std::int32_t>(typeRows.Field("type").AsInteger()));
  }
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    const auto found = types.find(firstRows[i]);
    if (found != types.end()) chosen[i].type = found->second;
  }
  return chosen;
}

std::vector<NewestVersion> NewestPlainVersionsNameByName(const std::string& key,
                                                         const std::function<bool(const NewestVersion&)>& wanted) {
  std::vector<NewestVersion> chosen;
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
    NewestVersion newest{nom, row.Field("version").AsText(), static_cast<std::int32_t>(row.Field("type").AsInteger())};
    if (wanted(newest)) chosen.push_back(std::move(newest));
  }
  return chosen;
}

}  // namespace maj::transfer
