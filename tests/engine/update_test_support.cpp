#include "tests/engine/update_test_support.h"

#include <filesystem>

#include "db/connection.h"
#include "db/database.h"
#include "db/update_table.h"
#include "transfer/cls_file.h"

namespace maj::engine::testing {
void UpdateRunTest::SetUp() {
  database_.ConnectShared();
  db::EnsureUpdateTable();
  EngineHost host;
  host.ShowMessage = [this](const std::string& message) { messages_.push_back(message); };
  engine_ = std::make_unique<cls_DownloadManager>(&listener_, host);
}

void UpdateRunTest::Publish(const std::string& nom, const std::string& content, const std::string& version,
                            std::int16_t type, bool xp) {
  const std::string folder = publishing_.str() + "/" + version;
  std::filesystem::create_directories(folder);
  transfer::cls_File record;
  record.SetPath(publishing_.WriteFile(version + "/" + nom, content));
  record.SetNom(nom);
  record.SetCurrentVersion(version);
  record.SetTypeFichier(type);
  record.SetWXP(xp);
  record.SetW7(!xp);
  record.SetSigningKey(publishingKey_);
  record.Upload();
}

void UpdateRunTest::Insert(const ConditionalRow& row) {
  using db::Parameter;
  db::SharedConnection().ExecuteUpdate(
      "INSERT INTO Fichier64 (NOM, VERSION, DATA, TYPE, WINXP, Win7, `condition`, typeCondition, action1, "
      "actionData1, action2, actionData2, action3, actionData3) VALUES (?, '0', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
      {Parameter::Text(row.nom), Parameter::Binary(db::Bytes(row.data.begin(), row.data.end())),
       Parameter::Integer(row.type), Parameter::Integer(row.xp ? -1 : 0), Parameter::Integer(row.xp ? 0 : -1),
       Parameter::Text(row.condition), Parameter::Integer(row.typeCondition), Parameter::Integer(row.action1),
       Parameter::Text(row.actionData1), Parameter::Integer(row.action2), Parameter::Text(row.actionData2),
       Parameter::Integer(row.action3), Parameter::Text(row.actionData3)});
}

void UpdateRunTest::Check(bool forcer) { engine_->Test_Version(forcer); }

std::vector<std::string> UpdateRunTest::Names(const std::vector<std::shared_ptr<Fichier>>& list) {
  std::vector<std::string> names;
  for (const auto& fichier : list) names.push_back(fichier->Nom);
  return names;
}

}  // namespace maj::engine::testing
