#include "engine/publication_verifier.h"

#include <algorithm>
#include <utility>

#include "platform/file_names.h"
#include "platform/text.h"
#include "transfer/cls_file.h"

namespace maj::engine {
namespace {

// True when the stored rows are the first volumes of the record's list, not all of them: publishing stores the
// volumes one row at a time and the record last, so a new record over a slow store can be seen like this.
bool IsStoredPrefix(const std::vector<std::optional<std::string>>& stored,
                    const std::vector<std::optional<std::string>>& signedList) {
  return !stored.empty() && stored.size() < signedList.size() &&
         std::equal(stored.begin(), stored.end(), signedList.begin());
}

// Without a record: true when the rows can be a split archive whose last volume is not stored yet (every
// volume stored so far is exactly one volume long, as the publisher cuts them).
bool MayBeUnfinishedSplit(const std::string& nom, const std::vector<transfer::StoredVersionRow>& rows) {
  if (rows.empty()) return false;
  for (const transfer::StoredVersionRow& row : rows) {
    const std::optional<std::string>& archive = row.fields.archives.front();
    if (!archive || !platform::StartsWithIgnoreCase(*archive, nom + ".zip.") ||
        row.size != static_cast<std::uint64_t>(transfer::cls_File::VolumeSize)) {
      return false;
    }
  }
  return true;
}

std::string TrustRefusal(signing::RecordTrust trust, const std::string& keyIdentifier) {
  switch (trust) {
    case signing::RecordTrust::Valid:
      return {};
    case signing::RecordTrust::UnknownFormat:
      return "format de signature inconnu";
    case signing::RecordTrust::UntrustedKey:
      return "signée par une clé non reconnue (" + platform::ShownName(keyIdentifier) + ")";
    case signing::RecordTrust::BadSignature:
      return "signature invalide";
  }
  return "signature invalide";
}

}  // namespace

PublicationVerifier::PublicationVerifier(signing::TrustedKeys trusted, bool recordsStored)
    : trusted_(std::move(trusted)), recordsStored_(recordsStored) {}

PublicationVerifier PublicationVerifier::ForInstallation() {
  return PublicationVerifier(signing::InstallationTrustedKeys(), transfer::SignatureTableExists());
}

void PublicationVerifier::Prefetch(const std::vector<transfer::VersionKey>& versions) {
  if (versions.empty() || !recordsStored_) return;
  records_ = transfer::ReadSignatureRecords(versions);
  for (const transfer::VersionKey& version : versions) prefetched_.insert(transfer::Key(version.first, version.second));
}

FetchPlan PublicationVerifier::BeforeFetch(const std::string& nom, const std::string& version,
                                           const UsedValues& used, bool package, bool rowsAtFetch) const {
  FetchPlan plan;
  const transfer::VersionKey key = transfer::Key(nom, version);
  const bool prefetched = prefetched_.count(key) > 0;
  if (prefetched) {
    if (const auto found = records_.find(key); found != records_.end()) plan.record = found->second;
  } else if (recordsStored_) {
    plan.record = transfer::ReadSignatureRecord(nom, version);
  }
  if (!plan.record && !Enforcing()) return plan;

  if (!plan.record) {
    if (!package && MayBeUnfinishedSplit(nom, transfer::ReadVersionRows(nom, version))) {
      plan.inProgress = true;
    } else {
      plan.refusal = "non signée";
    }
    return plan;
  }
  const signing::SignedRecord& record = *plan.record;
  if (Enforcing()) {
    signing::PublishedFields acted = record.fields;
    if (used) used(acted);
    if (const signing::RecordTrust trust = signing::CheckRecord(record, trusted_);
        trust != signing::RecordTrust::Valid) {
      plan.refusal = TrustRefusal(trust, record.keyIdentifier);
      return plan;
    }
    if (std::optional<std::string> usedField = signing::FirstDifference(record.fields, acted)) {
      plan.refusal = *usedField + " différent de la version signée";
      return plan;
    }
  }
  if (!rowsAtFetch) CheckRows(plan, transfer::ReadVersionRows(nom, version));
  return plan;
}

void PublicationVerifier::CheckRows(FetchPlan& plan, const std::vector<transfer::StoredVersionRow>& rows) const {
  if (!plan.record) return;
  std::vector<signing::PublishedFields> rowFields;
  for (const transfer::StoredVersionRow& row : rows) rowFields.push_back(row.fields);
  if (IsStoredPrefix(signing::FoldRows(rowFields).archives, plan.record->fields.archives)) {
    plan.inProgress = true;
  } else if (!Enforcing()) {
    return;
  } else if (std::optional<std::string> field = signing::FirstDifference(plan.record->fields, rowFields)) {
    plan.refusal = *field + " différent de la version signée";
  }
}

std::optional<std::string> PublicationVerifier::AfterFetch(const FetchPlan& plan, const signing::Sha256& fetched) const {
  if (!plan.record || plan.record->content == fetched) return std::nullopt;
  return "contenu différent de la version signée (modifié ou endommagé)";
}

std::string PublicationVerifier::Notice(const RefusedFile& refused) {
  return refused.nom + " : version " + refused.version + " refusée (" + refused.reason + "), fichier ignoré";
}

}  // namespace maj::engine
