#include "tests/engine/update_test_support.h"

#include <filesystem>

#include "db/database.h"
#include "db/update_table.h"
#include "transfer/cls_file.h"

namespace maj::engine::testing {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'' || c == '\\') quoted += c;
    quoted += c;
  }
  return quoted + "'";
}

std::string Hex(const std::string& bytes) {
  if (bytes.empty()) return "''";
  static const char digits[] = "0123456789ABCDEF";
  std::string hex = "0x";
  for (const unsigned char c : bytes) {
    hex += digits[c >> 4];
    hex += digits[c & 15];
  }
  return hex;
}

}  // namespace

void UpdateRunTest::SetUp() {
  database_.ConnectShared();
  db::EnsureUpdateTable();
  EngineHost host;
  host.ShowMessage = [this](const std::string& message) { messages_.push_back(message); };
  engine_ = std::make_unique<cls_DownloadManager>(&listener_, host);
}

void UpdateRunTest::TearDown() { engine_.reset(); }

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
  record.Upload();
}

void UpdateRunTest::Insert(const ConditionalRow& row) {
  database_.Execute(
      "INSERT INTO Fichier64 (NOM, VERSION, DATA, TYPE, WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME, Win7, "
      "`condition`, typeCondition, action1, actionData1, action2, actionData2, action3, actionData3) VALUES (" +
      Quoted(row.nom) + ", '0', " + Hex(row.data) + ", " + std::to_string(row.type) + ", 0, 0, 0, " +
      (row.xp ? "-1" : "0") + ", 0, 0, " + (row.xp ? "0" : "-1") + ", " + Quoted(row.condition) + ", " +
      std::to_string(row.typeCondition) + ", " + std::to_string(row.action1) + ", " + Quoted(row.actionData1) +
      ", " + std::to_string(row.action2) + ", " + Quoted(row.actionData2) + ", " + std::to_string(row.action3) +
      ", " + Quoted(row.actionData3) + ")");
}

void UpdateRunTest::Check(bool forcer) { engine_->Test_Version(forcer); }

std::vector<std::string> UpdateRunTest::Names(const std::vector<std::shared_ptr<Fichier>>& list) {
  std::vector<std::string> names;
  for (const auto& fichier : list) names.push_back(fichier->Nom);
  return names;
}

}  // namespace maj::engine::testing
