#pragma once
// The statements on table Fichier64Signature, the signed records of published versions, and the reads of
// Fichier64 that signing and verification share: every value bound as a parameter.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "db/result_set.h"
#include "db/value.h"
#include "signing/keys.h"
#include "signing/signed_record.h"

namespace maj::transfer {

// One Fichier64 row of a version: its key, the size of its DATA and its fields, its Archive as the only archive.
struct StoredVersionRow {
  db::Value key;
  std::uint64_t size = 0;
  signing::PublishedFields fields;
};

// A version as the database compares them: NOM and VERSION in lower case.
using VersionKey = std::pair<std::string, std::string>;
VersionKey Key(const std::string& nom, const std::string& version);

// The Fichier64 columns that say what a row does ("TYPE, `condition`, typeCondition, ..."), for a SELECT.
std::string StoredFieldColumns();

// The row under the cursor of a statement that selected CLE_FICHIER, NOM, VERSION, Archive, LENGTH(DATA) AS
// taille and StoredFieldColumns().
StoredVersionRow StoredRowOf(db::ResultSet& rows);

// True when table Fichier64Signature exists in the shared connection's database.
bool SignatureTableExists();

// The record of `nom` and `version` (letter case ignored), or nullopt. Values that cannot be decoded (a damaged
// digest or signature) are read as zeros, which no verification accepts.
std::optional<signing::SignedRecord> ReadSignatureRecord(const std::string& nom, const std::string& version);

// The records of `versions` (NOM, VERSION pairs), by Key; in few statements, for a whole run.
std::map<VersionKey, signing::SignedRecord> ReadSignatureRecords(const std::vector<VersionKey>& versions);

// Stores `record`, replacing the record of the same version; creates the table when it is missing.
void WriteSignatureRecord(const signing::SignedRecord& record);

// Every row of `nom` and `version`, whatever its flags and condition, in key order.
std::vector<StoredVersionRow> ReadVersionRows(const std::string& nom, const std::string& version);

// The rows of `versions` (NOM, VERSION pairs) as ReadVersionRows gives them, by Key; in few statements.
std::map<VersionKey, std::vector<StoredVersionRow>> ReadVersionRowsOf(const std::vector<VersionKey>& versions);

// The SHA-256 of the DATA of `rows`, concatenated in their order, streamed from the server.
signing::Sha256 HashStoredContent(const std::vector<StoredVersionRow>& rows);

// Signs the version `nom` / `version` as it is stored (its rows' fields and content) with `key` and stores
// the record: for a version stored by another tool (a conditional package), or one whose flags publishing
// just changed. Throws std::runtime_error (French) when no row holds that version, when its rows disagree on a
// field, or when a record exists whose content differs from what is stored now (the bytes changed since they
// were signed: they are never signed again, a new version must be published).
void SignStoredVersion(const std::string& nom, const std::string& version, const signing::SigningKey& key);

}  // namespace maj::transfer
