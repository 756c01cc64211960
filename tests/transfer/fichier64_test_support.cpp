#include "tests/transfer/fichier64_test_support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "db/connection.h"
#include "db/database.h"
#include "db/result_set.h"
#include "db/update_table.h"

namespace maj::transfer::testing {
namespace {

namespace fs = std::filesystem;

// A "Vm...:" line of /proc/self/status, in bytes.
std::size_t StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stoull(line.substr(field.size())) * 1024;
  }
  throw std::runtime_error("no " + field + " in /proc/self/status");
}

}  // namespace

std::vector<StoredRow> ReadRows() {
  db::ResultSet rows = db::SharedConnection().Execute(
      "SELECT CLE_FICHIER, NOM, VERSION, Archive, TYPE, WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME, Vista, "
      "Win7, Win8, LENGTH(DATA) FROM Fichier64 ORDER BY CLE_FICHIER");
  std::vector<StoredRow> result;
  for (; !rows.AtEnd(); rows.MoveNext()) {
    StoredRow row;
    row.key = rows.Field(0).AsInteger();
    row.nom = rows.Field(1).AsText();
    row.version = rows.Field(2).AsText();
    if (!rows.Field(3).IsNull()) row.archive = rows.Field(3).AsText();
    row.type = rows.Field(4).AsInteger();
    for (int i = 0; i < 9; ++i) row.flags[i] = rows.Field(5 + i).AsInteger();
    row.dataLength = rows.Field(14).AsInteger();
    result.push_back(std::move(row));
  }
  return result;
}

std::string StoredData(std::int64_t key) {
  db::ResultSet rows = db::SharedConnection().Execute("SELECT DATA FROM Fichier64 WHERE CLE_FICHIER = ?",
                                                      {db::Parameter::Integer(key)});
  if (rows.AtEnd()) throw std::runtime_error("no row " + std::to_string(key));
  const db::Bytes bytes = rows.Field(0).AsBytes();
  return std::string(bytes.begin(), bytes.end());
}

void InsertRow(const std::string& nom, const std::string& version, const std::optional<std::string>& archive,
               const std::string& data) {
  db::SharedConnection().ExecuteUpdate(
      "INSERT INTO Fichier64 (NOM, VERSION, Archive, DATA, WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME) "
      "VALUES (?, ?, ?, ?, 0, 0, 0, -1, 0, 0)",
      {db::Parameter::Text(nom), db::Parameter::Text(version),
       archive ? db::Parameter::Text(*archive) : db::Parameter::Null(),
       db::Parameter::Binary(db::Bytes(data.begin(), data.end()))});
}

void InsertRowFromFile(const std::string& nom, const std::string& version, const std::string& archive,
                       const std::string& dataFile) {
  db::SharedConnection().ExecuteUpdate(
      "INSERT INTO Fichier64 (NOM, VERSION, Archive, DATA, WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME) "
      "VALUES (?, ?, ?, ?, 0, 0, 0, -1, 0, 0)",
      {db::Parameter::Text(nom), db::Parameter::Text(version), db::Parameter::Text(archive),
       db::Parameter::FileContent(dataFile)});
}

void WriteRandomFile(const std::string& path, std::size_t size, unsigned seed) {
  std::ofstream out(path, std::ios::binary);
  for (std::size_t written = 0; written < size;) {
    const std::size_t piece = std::min<std::size_t>(1 << 20, size - written);
    out << RandomBytes(piece, seed++);
    written += piece;
  }
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::size_t PeakMemoryGrowthOf(const std::function<void()>& work) {
  // "5" resets the peak resident set size (VmHWM) to the current one (VmRSS).
  std::ofstream("/proc/self/clear_refs") << "5";
  const std::size_t before = StatusBytes("VmHWM:");
  work();
  const std::size_t after = StatusBytes("VmHWM:");
  return after > before ? after - before : 0;
}

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void Fichier64Test::SetUp() {
  database_.ConnectShared();
  db::EnsureUpdateTable();
}

cls_File Fichier64Test::MakeRecord(const std::string& fileName, const std::string& content,
                                   const std::string& version, std::int16_t type) {
  cls_File record;
  const std::string path = (folder_.path() / fileName).string();
  if (!content.empty()) folder_.WriteFile(fileName, content);
  record.SetPath(path);
  record.SetNom(fileName);
  record.SetCurrentVersion(version);
  record.SetTypeFichier(type);
  record.SetWXP(true);
  record.SetW7(true);
  return record;
}

}  // namespace maj::transfer::testing
