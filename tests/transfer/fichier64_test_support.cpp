#include "tests/transfer/fichier64_test_support.h"

#include <filesystem>

#include "db/connection.h"
#include "db/database.h"
#include "db/result_set.h"
#include "db/update_table.h"

namespace maj::transfer::testing {

std::vector<StoredRow> ReadRows() {
  db::ResultSet rows = db::SharedConnection().Execute(
      "SELECT CLE_FICHIER, NOM, VERSION, Archive, TYPE, WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME, Vista, "
      "Win7, Win8, LENGTH(DATA) FROM Fichier64 ORDER BY CLE_FICHIER");
  std::vector<StoredRow> result;
  for (; !rows.AtEnd(); rows.MoveNext()) {
    StoredRow& row = result.emplace_back();
    row.key = rows.Field(0).AsInteger();
    row.nom = rows.Field(1).AsText();
    row.version = rows.Field(2).AsText();
    if (const db::Value archive = rows.Field(3); !archive.IsNull()) row.archive = archive.AsText();
    row.type = rows.Field(4).AsInteger();
    for (int i = 0; i < 9; ++i) row.flags[i] = rows.Field(5 + i).AsInteger();
    row.dataLength = rows.Field(14).AsInteger();
  }
  return result;
}

void InsertRow(const std::string& nom, const std::string& version, const std::optional<std::string>& archive,
               const db::Parameter& data) {
  db::SharedConnection().ExecuteUpdate(
      "INSERT INTO Fichier64 (NOM, VERSION, Archive, DATA, WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME) "
      "VALUES (?, ?, ?, ?, 0, 0, 0, -1, 0, 0)",
      {db::Value::Text(nom), db::Value::Text(version), archive ? db::Value::Text(*archive) : db::Value::Null(), data});
}

void Fichier64Test::SetUp() {
  database_.ConnectShared();
  db::EnsureUpdateTable();
}

cls_File Fichier64Test::MakeRecord(const std::string& fileName, const std::string& content,
                                   const std::string& version, std::int16_t type) {
  cls_File record;
  if (!content.empty()) folder_.WriteFile(fileName, content);
  record.SetPath((folder_.path() / fileName).string());
  record.SetNom(fileName);
  record.SetCurrentVersion(version);
  record.SetTypeFichier(type);
  record.SetWXP(true);
  record.SetW7(true);
  return record;
}

std::string Fichier64Test::Destination() const {
  std::filesystem::create_directories(folder_.path() / "MAJ");
  return (folder_.path() / "MAJ").string() + "/";
}

}  // namespace maj::transfer::testing
