#include "transfer/fichier64_rows.h"

#include <stdexcept>
#include <vector>

#include "db/blob_transfer.h"
#include "db/connection.h"
#include "db/database.h"
#include "db/result_set.h"
#include "db/value.h"
#include "platform/disk_space.h"
#include "platform/text.h"
#include "sysinfo/os_identification.h"

namespace maj::transfer::internal {
namespace {

std::vector<db::Parameter> NameAndVersion(const std::string& nom, const std::string& version) {
  return {db::Parameter::Text(nom), db::Parameter::Text(version)};
}

}  // namespace

std::string FlagColumnForOSKey(const std::string& osKey) {
  for (std::string_view known : sysinfo::kKnownOSKeys) {
    if (platform::EqualsIgnoreCase(osKey, known)) return std::string(known);
  }
  throw std::invalid_argument("version de Windows « " + osKey + " » inconnue");
}

bool VersionIsStored(const std::string& nom, const std::string& version) {
  db::ResultSet rows = db::SharedConnection().Execute(
      std::string(" SELECT Cle_Fichier ") + " FROM Fichier64 " + " WHERE " + " Nom = ? " + " AND Version = ? ",
      NameAndVersion(nom, version));
  return !rows.AtEnd();
}

void UpdateStoredVersion(const std::string& nom, const std::string& version, const StoredWindowsValues& flags,
                         std::int16_t type) {
  std::vector<db::Parameter> parameters;
  for (std::int16_t flag : flags) parameters.push_back(db::Parameter::Integer(flag));
  parameters.push_back(db::Parameter::Integer(type));
  parameters.push_back(db::Parameter::Text(nom));
  parameters.push_back(db::Parameter::Text(version));
  db::SharedConnection().ExecuteUpdate(std::string(" UPDATE Fichier64 ") + " SET WIN9X = ?" + " , WINNT4 = ?" +
                                       " , WIN2000 = ?" + " , WINXP = ?" + " , WIN2003 = ?" + " , WINME = ?" +
                                       " , Vista = ?" + " , WIN7 = ?" + " , WIN8 = ?" + " , Type = ?" +
                                       " WHERE Nom = ? " + " AND Version = ? ",
                                   parameters);
}

void InsertArchiveRow(const std::string& version, std::int16_t type, const std::string& nom,
                      const std::string& archive, const StoredWindowsValues& flags, const std::string& dataFile) {
  // An empty insertable result set: it only names the columns of the new row.
  db::ResultSet table;
  table.Open("SELECT * FROM Fichier64 WHERE 1=0", db::SharedConnection(), db::kCursorKeyset, db::kLockOptimistic);
  table.AddNew();
  table.SetField("Version", db::Value::Text(version));
  table.SetField("Type", db::Value::Integer(type));
  table.SetField("Nom", db::Value::Text(nom));
  table.SetField("Archive", db::Value::Text(archive));
  for (std::size_t i = 0; i < flags.size(); ++i) {
    table.SetField(std::string(db::kWindowsColumns[i].column), db::Value::Integer(flags[i]));
  }
  table.SetFieldFromFile("Data", dataFile);
  table.Update();
  table.Close();
}

void SaveStoredArchives(const std::string& nom, const std::string& version, const std::string& flagColumn,
                        const std::string& folder,
                        const std::function<std::string(const std::optional<std::string>& archive)>& targetFor,
                        const db::BlobProgress& progress, const db::BlobBytes& observer,
                        const std::function<void(const std::vector<StoredVersionRow>& rows)>& beforeFetch) {
  // The rows are listed first and each DATA is then fetched in pieces cut by the server: the driver would
  // otherwise hold whole rows (or the whole result) in memory, however large the stored values are.
  db::ResultSet rows = db::SharedConnection().Execute(std::string(" SELECT cle_fichier, nom, version, archive, ") +
                                                          " LENGTH(data) AS taille, " + StoredFieldColumns() +
                                                          " FROM Fichier64 " +
                                                          " WHERE " + " Nom = ? " + " AND Version = ? " + " AND " +
                                                          flagColumn + " <> 0 " + " ORDER By Cle_Fichier ",
                                                      NameAndVersion(nom, version));
  struct StoredArchive {
    db::Value key;
    std::optional<std::string> archive;
    std::uint64_t size;
  };
  std::vector<StoredArchive> archives;
  std::vector<StoredVersionRow> listed;
  std::uint64_t total = 0;
  for (; !rows.AtEnd(); rows.MoveNext()) {
    listed.push_back(StoredRowOf(rows));
    archives.push_back({listed.back().key, listed.back().fields.archives.front(), listed.back().size});
    total += archives.back().size;
  }
  rows.Close();
  if (archives.empty()) return;
  if (beforeFetch) beforeFetch(listed);
  if (const std::optional<std::string> shortage = platform::DiskSpaceShortage(folder, total)) {
    throw std::runtime_error(*shortage);
  }
  std::uint64_t before = 0;  // bytes of the rows already written
  for (const StoredArchive& stored : archives) {
    const std::string target = targetFor(stored.archive);
    db::BlobProgress rowProgress;
    if (progress) rowProgress = [&](std::uint64_t written, std::uint64_t) { progress(before + written, total); };
    db::SaveBlobToFile(db::SharedConnection(), {"Fichier64", "Cle_Fichier", stored.key, "data"}, target, rowProgress,
                       observer);
    before += stored.size;
  }
}

}  // namespace maj::transfer::internal
