#include "transfer/signature_records.h"

#include <algorithm>
#include <functional>
#include <sstream>
#include <stdexcept>

#include "db/blob_transfer.h"
#include "db/connection.h"
#include "db/database.h"
#include "db/result_set.h"
#include "db/update_table.h"
#include "db/windows_flags.h"
#include "platform/file_names.h"
#include "platform/text.h"
#include "signing/sha256_hasher.h"

namespace maj::transfer {
namespace {

// The columns that say what a version does, common to both tables.
std::string FieldColumns() {
  std::string columns = "TYPE, `condition`, typeCondition, action1, actionData1, action2, actionData2, action3, "
                        "actionData3";
  for (const db::WindowsColumn& flag : db::kWindowsColumns) columns.append(", ").append(flag.column);
  return columns;
}

void ReadFields(db::ResultSet& row, signing::PublishedFields& fields) {
  fields.type = row.Field("TYPE").AsInteger();
  fields.condition = row.Field("condition").AsText();
  fields.typeCondition = row.Field("typeCondition").AsInteger();
  for (std::size_t i = 0; i < 3; ++i) {
    fields.actions[i] = row.Field("action" + std::to_string(i + 1)).AsInteger();
    fields.actionData[i] = row.Field("actionData" + std::to_string(i + 1)).AsText();
  }
  for (std::size_t i = 0; i < 9; ++i) fields.windows[i] = row.Field(std::string(db::kWindowsColumns[i].column)).AsInteger() != 0;
}

// ARCHIVES: one line per archive, ">" + name, or "-" for NULL.
std::string EncodeArchives(const std::vector<std::optional<std::string>>& archives) {
  std::string text;
  for (const std::optional<std::string>& archive : archives) {
    if (archive && archive->find_first_of("\r\n") != std::string::npos) {
      throw std::runtime_error("nom d'archive « " + platform::ShownName(*archive) + " » impossible à signer");
    }
    text += archive ? ">" + *archive + "\n" : "-\n";
  }
  return text;
}

std::vector<std::optional<std::string>> DecodeArchives(const std::string& text) {
  std::vector<std::optional<std::string>> archives;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    archives.push_back(line.front() == '>' ? std::optional(line.substr(1)) : std::nullopt);
  }
  return archives;
}

// `text` decoded into `out` when it has exactly out.size() bytes; zeros otherwise.
template <std::size_t N>
void DecodeInto(const std::optional<std::string>& bytes, std::array<unsigned char, N>& out) {
  out.fill(0);
  if (bytes && bytes->size() == N) std::copy(bytes->begin(), bytes->end(), out.begin());
}

std::optional<std::string> FromHex(const std::string& hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const auto digit = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    const int high = digit(hex[i]);
    const int low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

// Asks for the versions `versions` a hundred at a time: `run` gets the condition
// "(NOM = ? AND VERSION = ?) OR ..." and its parameters.
void ForEachChunk(const std::vector<VersionKey>& versions,
                  const std::function<void(const std::string&, const std::vector<db::Parameter>&)>& run) {
  constexpr std::size_t kChunk = 100;
  for (std::size_t first = 0; first < versions.size(); first += kChunk) {
    std::string condition;
    std::vector<db::Parameter> parameters;
    for (std::size_t i = first; i < std::min(versions.size(), first + kChunk); ++i) {
      condition += std::string(condition.empty() ? "" : " OR ") + "(NOM = ? AND VERSION = ?)";
      parameters.push_back(db::Parameter::Text(versions[i].first));
      parameters.push_back(db::Parameter::Text(versions[i].second));
    }
    run(condition, parameters);
  }
}

}  // namespace

VersionKey Key(const std::string& nom, const std::string& version) {
  return {platform::ToLowerCase(nom), platform::ToLowerCase(version)};
}

std::string StoredFieldColumns() { return FieldColumns(); }

StoredVersionRow StoredRowOf(db::ResultSet& rows) {
  StoredVersionRow row;
  row.key = rows.Field("CLE_FICHIER");
  const db::Value size = rows.Field("taille");
  row.size = size.IsNull() || size.AsInteger() < 0 ? 0 : static_cast<std::uint64_t>(size.AsInteger());
  row.fields.nom = rows.Field("NOM").AsText();
  row.fields.version = rows.Field("VERSION").AsText();
  ReadFields(rows, row.fields);
  const db::Value archive = rows.Field("Archive");
  row.fields.archives.push_back(archive.IsNull() ? std::nullopt : std::optional(archive.AsText()));
  return row;
}

bool SignatureTableExists() {
  // SHOW TABLES reads the database's folder; information_schema may open every table of the server.
  db::ResultSet rows = db::SharedConnection().Execute("SHOW TABLES LIKE 'Fichier64Signature'");
  return rows.IsOpen() && !rows.AtEnd();
}

std::map<VersionKey, signing::SignedRecord> ReadSignatureRecords(const std::vector<VersionKey>& versions) {
  std::map<VersionKey, signing::SignedRecord> records;
  ForEachChunk(versions, [&](const std::string& condition, const std::vector<db::Parameter>& parameters) {
    db::ResultSet row = db::SharedConnection().Execute(
        "SELECT NOM, VERSION, EMPREINTE_SHA256, ARCHIVES, ID_CLE, SIGNATURE, DATE_SIGNATURE, FORMAT, " +
            FieldColumns() + " FROM Fichier64Signature WHERE " + condition,
        parameters);
    for (; !row.AtEnd(); row.MoveNext()) {
      signing::SignedRecord record;
      record.format = static_cast<int>(row.Field("FORMAT").AsInteger());
      record.fields.nom = row.Field("NOM").AsText();
      record.fields.version = row.Field("VERSION").AsText();
      ReadFields(row, record.fields);
      record.fields.archives = DecodeArchives(row.Field("ARCHIVES").AsText());
      DecodeInto(FromHex(row.Field("EMPREINTE_SHA256").AsText()), record.content);
      record.keyIdentifier = row.Field("ID_CLE").AsText();
      DecodeInto(signing::FromBase64(row.Field("SIGNATURE").AsText()), record.signature);
      record.signedAt = row.Field("DATE_SIGNATURE").AsText();
      records[Key(record.fields.nom, record.fields.version)] = std::move(record);
    }
  });
  return records;
}

std::optional<signing::SignedRecord> ReadSignatureRecord(const std::string& nom, const std::string& version) {
  std::map<VersionKey, signing::SignedRecord> records = ReadSignatureRecords({{nom, version}});
  if (records.empty()) return std::nullopt;
  return std::move(records.begin()->second);
}

void WriteSignatureRecord(const signing::SignedRecord& record) {
  db::EnsureSignatureTable();
  const signing::PublishedFields& f = record.fields;
  std::vector<db::Parameter> values = {db::Parameter::Text(f.nom), db::Parameter::Text(f.version),
                                       db::Parameter::Text(signing::ToHex(record.content)),
                                       db::Parameter::Integer(f.type),
                                       db::Parameter::Text(f.condition),
                                       db::Parameter::Integer(f.typeCondition)};
  for (std::size_t i = 0; i < 3; ++i) {
    values.push_back(db::Parameter::Integer(f.actions[i]));
    values.push_back(db::Parameter::Text(f.actionData[i]));
  }
  for (bool applies : f.windows) values.push_back(db::Parameter::Integer(applies ? 1 : 0));
  values.push_back(db::Parameter::Text(EncodeArchives(f.archives)));
  values.push_back(db::Parameter::Text(record.keyIdentifier));
  values.push_back(db::Parameter::Text(signing::Base64(record.signature.data(), record.signature.size())));
  values.push_back(db::Parameter::Text(record.signedAt));
  values.push_back(db::Parameter::Integer(record.format));
  std::string markers;
  for (std::size_t i = 0; i < values.size(); ++i) markers += i == 0 ? "?" : ", ?";
  // One statement: the record of a version is replaced whole or not at all (the table has no transactions).
  db::SharedConnection().ExecuteUpdate("REPLACE INTO Fichier64Signature (NOM, VERSION, EMPREINTE_SHA256, " +
                                           std::string("TYPE, `condition`, typeCondition, action1, actionData1, "
                                                       "action2, actionData2, action3, actionData3, WIN9X, WINNT4, "
                                                       "WIN2000, WINXP, WIN2003, WINME, Vista, Win7, Win8, ARCHIVES, "
                                                       "ID_CLE, SIGNATURE, DATE_SIGNATURE, FORMAT) VALUES (") +
                                           markers + ")",
                                       values);
}

std::map<VersionKey, std::vector<StoredVersionRow>> ReadVersionRowsOf(const std::vector<VersionKey>& versions) {
  std::map<VersionKey, std::vector<StoredVersionRow>> result;
  ForEachChunk(versions, [&](const std::string& condition, const std::vector<db::Parameter>& parameters) {
    db::ResultSet rows = db::SharedConnection().Execute(
        "SELECT CLE_FICHIER, NOM, VERSION, Archive, LENGTH(DATA) AS taille, " + FieldColumns() +
            " FROM Fichier64 WHERE " + condition + " ORDER BY CLE_FICHIER",
        parameters);
    for (; !rows.AtEnd(); rows.MoveNext()) {
      StoredVersionRow row = StoredRowOf(rows);
      result[Key(row.fields.nom, row.fields.version)].push_back(std::move(row));
    }
  });
  return result;
}

std::vector<StoredVersionRow> ReadVersionRows(const std::string& nom, const std::string& version) {
  std::map<VersionKey, std::vector<StoredVersionRow>> rows = ReadVersionRowsOf({{nom, version}});
  if (rows.empty()) return {};
  return std::move(rows.begin()->second);
}

signing::Sha256 HashStoredContent(const std::vector<StoredVersionRow>& rows) {
  signing::Sha256Hasher hasher;
  for (const StoredVersionRow& row : rows) {
    db::ReadBlob(db::SharedConnection(), {"Fichier64", "Cle_Fichier", row.key, "data"},
                 [&](const char* data, std::size_t count) { hasher.Update(data, count); });
  }
  return hasher.Final();
}

void SignStoredVersion(const std::string& nom, const std::string& version, const signing::SigningKey& key) {
  const std::string shown = "« " + platform::ShownName(nom) + " » version " + version;
  db::EnsureSignatureTable();
  const std::vector<StoredVersionRow> rows = ReadVersionRows(nom, version);
  if (rows.empty()) throw std::runtime_error("Signature de " + shown + " impossible : aucune ligne ne la contient");
  std::vector<signing::PublishedFields> rowFields;
  for (const StoredVersionRow& row : rows) rowFields.push_back(row.fields);
  const signing::PublishedFields fields = signing::FoldRows(rowFields);
  if (const std::optional<std::string> field = signing::FirstDifference(fields, rowFields)) {
    throw std::runtime_error("Signature de " + shown + " impossible : ses lignes diffèrent par " + *field);
  }
  const signing::Sha256 content = HashStoredContent(rows);
  if (const std::optional<signing::SignedRecord> existing = ReadSignatureRecord(nom, version);
      existing && existing->content != content) {
    throw std::runtime_error("Signature de " + shown +
                             " refusée : son contenu a changé depuis sa signature ; publiez une nouvelle version");
  }
  WriteSignatureRecord(signing::SignPublication(fields, content, key));
}

}  // namespace maj::transfer
