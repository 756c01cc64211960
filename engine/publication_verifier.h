#pragma once
// What a workstation demands of a published version before installing it: when it trusts at least one key, a
// record signed by a trusted key whose fields match the stored rows and whose digest matches the fetched
// bytes; without a trusted key, only the digest of a version that has a record.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <optional>
#include <string>
#include <vector>

#include "signing/signed_record.h"
#include "signing/trusted_keys.h"
#include "transfer/signature_records.h"

namespace maj::engine {

// A published version that this workstation refused, and why (French).
struct RefusedFile {
  std::string nom;
  std::string version;
  std::string reason;
};

// The decision for one version before its bytes are fetched.
struct FetchPlan {
  std::optional<std::string> refusal;          // refused now: nothing is fetched
  bool inProgress = false;                     // not all its volumes are stored yet: skipped, not refused
  std::optional<signing::SignedRecord> record; // set: the fetched bytes must match its digest
};

class PublicationVerifier {
 public:
  // `trusted`: the workstation's keys; `recordsStored`: whether table Fichier64Signature exists.
  PublicationVerifier(signing::TrustedKeys trusted, bool recordsStored);

  // The verifier of this installation (InstallationTrustedKeys) on the shared connection's database. Throws
  // the trusted-keys files' errors.
  static PublicationVerifier ForInstallation();

  bool Enforcing() const { return !trusted_.Empty(); }

  // Reads the records of `versions` at once, for the BeforeFetch calls of a run that follow: one statement
  // instead of one per version. Reads nothing when there is no record table.
  void Prefetch(const std::vector<transfer::VersionKey>& versions);

  // Writes the values the engine will act on (TYPE, actions... as it read them) over a copy of the signed
  // fields: they must match the record too.
  using UsedValues = std::function<void(signing::PublishedFields& fields)>;

  // Reads the record and the rows of `nom` / `version` and decides whether to fetch. `package` says the
  // version is a conditional package (one row, never split). With `rowsAtFetch`, a version that has a record
  // is not compared with its rows here: the caller passes the rows it lists for fetching to CheckRows.
  FetchPlan BeforeFetch(const std::string& nom, const std::string& version, const UsedValues& used,
                        bool package, bool rowsAtFetch = false) const;

  // Compares the rows of a version that has a record (plan.record) with it: sets plan.inProgress when they
  // are the first of its volumes only, plan.refusal when a field differs (when enforcing).
  void CheckRows(FetchPlan& plan, const std::vector<transfer::StoredVersionRow>& rows) const;

  // The refusal, if any, once the bytes are fetched and their digest is `fetched`.
  std::optional<std::string> AfterFetch(const FetchPlan& plan, const signing::Sha256& fetched) const;

  // The status line of a refused version.
  static std::string Notice(const RefusedFile& refused);

 private:
  signing::TrustedKeys trusted_;
  bool recordsStored_;
  std::set<transfer::VersionKey> prefetched_;
  std::map<transfer::VersionKey, signing::SignedRecord> records_;
};

}  // namespace maj::engine
