#include "signing/signed_record.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/text.h"

namespace maj::signing {
namespace {

constexpr const char kFormatTag[] = "maj-fichier64-signature-1";
constexpr std::uint32_t kNullLength = 0xFFFFFFFFu;

void AppendLength(std::string& out, std::uint32_t length) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((length >> shift) & 0xFF));
}

void AppendField(std::string& out, std::string_view bytes) {
  AppendLength(out, static_cast<std::uint32_t>(bytes.size()));
  out.append(bytes);
}

void AppendNumber(std::string& out, std::int64_t value) { AppendField(out, std::to_string(value)); }

constexpr const char* kFlagNames[9] = {"WIN9X", "WINNT4", "WIN2000", "WINXP", "WIN2003",
                                       "WINME", "Vista",  "Win7",    "Win8"};

}  // namespace

std::string CanonicalEncoding(const SignedRecord& record) {
  const PublishedFields& f = record.fields;
  std::string out;
  AppendField(out, kFormatTag);
  AppendField(out, f.nom);
  AppendField(out, f.version);
  AppendField(out, std::string_view(reinterpret_cast<const char*>(record.content.data()), record.content.size()));
  AppendNumber(out, f.type);
  std::string flags;
  for (bool applies : f.windows) flags.push_back(applies ? '1' : '0');
  AppendField(out, flags);
  AppendNumber(out, f.typeCondition);
  AppendField(out, f.condition);
  for (std::size_t i = 0; i < 3; ++i) {
    AppendNumber(out, f.actions[i]);
    AppendField(out, f.actionData[i]);
  }
  AppendNumber(out, static_cast<std::int64_t>(f.archives.size()));
  for (const std::optional<std::string>& archive : f.archives) {
    if (archive) {
      AppendField(out, *archive);
    } else {
      AppendLength(out, kNullLength);
    }
  }
  AppendField(out, record.keyIdentifier);
  AppendField(out, record.signedAt);
  return out;
}

SignedRecord SignPublication(const PublishedFields& fields, const Sha256& content, const SigningKey& key,
                             std::string signedAt) {
  SignedRecord record;
  record.fields = fields;
  record.content = content;
  record.keyIdentifier = key.Public().Identifier();
  record.signedAt = signedAt.empty() ? SigningTimeNow() : std::move(signedAt);
  record.signature = key.Sign(CanonicalEncoding(record));
  return record;
}

RecordTrust CheckRecord(const SignedRecord& record, const TrustedKeys& trusted) {
  if (record.format != kRecordFormat) return RecordTrust::UnknownFormat;
  const PublicKey* key = trusted.Find(record.keyIdentifier);
  if (!key) return RecordTrust::UntrustedKey;
  return key->Verifies(CanonicalEncoding(record), record.signature) ? RecordTrust::Valid : RecordTrust::BadSignature;
}

std::optional<std::string> FirstDifference(const PublishedFields& s, const PublishedFields& stored) {
  if (!platform::EqualsIgnoreCase(s.nom, stored.nom)) return "NOM";
  if (!platform::EqualsIgnoreCase(s.version, stored.version)) return "VERSION";
  if (s.type != stored.type) return "TYPE";
  for (std::size_t i = 0; i < s.windows.size(); ++i) {
    if (s.windows[i] != stored.windows[i]) return kFlagNames[i];
  }
  if (s.typeCondition != stored.typeCondition) return "typeCondition";
  if (s.condition != stored.condition) return "condition";
  for (std::size_t i = 0; i < 3; ++i) {
    if (s.actions[i] != stored.actions[i]) return "action" + std::to_string(i + 1);
    if (s.actionData[i] != stored.actionData[i]) return "actionData" + std::to_string(i + 1);
  }
  if (s.archives != stored.archives) return "Archive";
  return std::nullopt;
}

PublishedFields FoldRows(const std::vector<PublishedFields>& rows) {
  PublishedFields folded;
  if (rows.empty()) return folded;
  folded = rows.front();
  folded.archives.clear();
  for (const PublishedFields& row : rows) folded.archives.insert(folded.archives.end(), row.archives.begin(), row.archives.end());
  return folded;
}

std::optional<std::string> FirstDifference(const PublishedFields& signedFields,
                                           const std::vector<PublishedFields>& rows) {
  for (const PublishedFields& row : rows) {
    PublishedFields expected = signedFields;
    expected.archives = row.archives;  // the archive list is compared whole below
    if (std::optional<std::string> field = FirstDifference(expected, row)) return field;
  }
  PublishedFields all = signedFields;
  all.archives = FoldRows(rows).archives;
  return FirstDifference(signedFields, all);
}

std::string SigningTimeNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace maj::signing
