#pragma once
// The signed record of one published version (table Fichier64Signature) and its canonical encoding.
//
// Encoding, format 1: a sequence of fields, each written as its length in 4 bytes (big-endian) followed by its
// bytes; a NULL archive name is the length FFFFFFFF without bytes. Fields, in this order:
//   "maj-fichier64-signature-1", NOM, VERSION, the SHA-256 of the stored content (32 bytes), TYPE,
//   the nine flags as one text of "0"/"1" in the order WIN9X WINNT4 WIN2000 WINXP WIN2003 WINME Vista Win7 Win8
//   (1 for any value that is not 0), typeCondition, condition, action1, actionData1, action2, actionData2,
//   action3, actionData3, the number of archive names, each archive name in key order, the key identifier,
//   the time of signing (UTC, "2026-12-07T04:00:00Z").
// Numbers are written in decimal; texts as they are read from the database. The signature is Ed25519 over the
// whole encoding.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "signing/keys.h"
#include "signing/sha256_hasher.h"
#include "signing/trusted_keys.h"

namespace maj::signing {

inline constexpr int kRecordFormat = 1;

// What a published version does, as its Fichier64 rows say it.
struct PublishedFields {
  std::string nom;
  std::string version;
  std::int64_t type = 0;
  std::array<bool, 9> windows{};  // WIN9X, WINNT4, WIN2000, WINXP, WIN2003, WINME, Vista, Win7, Win8
  std::int64_t typeCondition = 0;
  std::string condition;
  std::array<std::int64_t, 3> actions{};
  std::array<std::string, 3> actionData;
  std::vector<std::optional<std::string>> archives;  // in key order; nullopt for NULL

  bool operator==(const PublishedFields&) const = default;
};

struct SignedRecord {
  int format = kRecordFormat;
  PublishedFields fields;
  Sha256 content{};
  std::string keyIdentifier;
  std::string signedAt;
  Signature signature{};
};

// The bytes that the signature covers (everything but the signature itself).
std::string CanonicalEncoding(const SignedRecord& record);

// Signs `fields` and `content` with `key` at `signedAt` (now when empty).
SignedRecord SignPublication(const PublishedFields& fields, const Sha256& content, const SigningKey& key,
                             std::string signedAt = {});

enum class RecordTrust { Valid, UnknownFormat, UntrustedKey, BadSignature };

// Whether `record` is signed by one of `trusted` and its signature matches its fields.
RecordTrust CheckRecord(const SignedRecord& record, const TrustedKeys& trusted);

// The name of the first field (column name, "Archive" for the archive list) in which `stored` differs from
// `signedFields`, or nullopt when they match. Names and versions ignore letter case, as the database does.
std::optional<std::string> FirstDifference(const PublishedFields& signedFields, const PublishedFields& stored);

// The rows of one version, each with its own Archive as its only archive, in key order, as one version: the
// first row's fields with every row's archive. Empty fields when there is no row.
PublishedFields FoldRows(const std::vector<PublishedFields>& rows);

// The first field in which a row of `rows` (as for FoldRows) differs from `signedFields`, the archive list of
// all rows included; nullopt when every row matches.
std::optional<std::string> FirstDifference(const PublishedFields& signedFields, const std::vector<PublishedFields>& rows);

// The current time as the records write it.
std::string SigningTimeNow();

}  // namespace maj::signing
