// The publisher's key files and a workstation's trusted keys: what `maj --generate-key` writes, every way a key
// file can be refused, and a record signed with a loaded key checked against the trusted keys.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "signing/key_files.h"
#include "signing/signed_record.h"
#include "signing/trusted_keys.h"
#include "tests/support/failure_of.h"
#include "tests/support/temp_folder.h"

namespace maj::signing {
namespace {

using maj::testing::FailureOf;
using maj::testing::TempFolder;

TEST(KeyFilesTest, AGeneratedKeySignsWhatItsPrintedLineVerifiesAndIsNeverOverwritten) {
  TempFolder folder;
  const std::string path = folder.str() + "/editeur.key";
  const std::string line = GenerateKeyFile(path);
  struct stat status {};
  ASSERT_EQ(::stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_NE(FailureOf([&] { GenerateKeyFile(path); }).find("existe déjà"), std::string::npos);

  const auto key = LoadSigningKey(path);
  EXPECT_EQ(PublicKeyLine(key->Public()), line);
  folder.WriteFile("trusted-keys", "# clé du site\n\n  " + line + "  ajoutée en décembre\n");
  TrustedKeys trusted;
  trusted.AddFile(folder.str() + "/trusted-keys");
  trusted.AddFile(folder.str() + "/absent");  // a missing file adds nothing

  PublishedFields fields;
  fields.nom = "rapport.ocx";
  fields.version = "013.001.010";
  fields.type = 2;
  fields.windows[3] = true;
  fields.archives = {"rapport.ocx.zip.001", "rapport.ocx.zip.002"};
  SignedRecord record = SignPublication(fields, Sha256{1, 2, 3}, *key);
  EXPECT_EQ(CheckRecord(record, trusted), RecordTrust::Valid);
  EXPECT_EQ(CheckRecord(record, TrustedKeys()), RecordTrust::UntrustedKey);

  // Every signed field counts, the version and the order of the volumes included.
  const std::vector<std::function<void(SignedRecord&)>> changes = {
      [](SignedRecord& r) { r.fields.version = "013.001.011"; },
      [](SignedRecord& r) { r.fields.windows[8] = true; },
      [](SignedRecord& r) { std::swap(r.fields.archives[0], r.fields.archives[1]); },
      [](SignedRecord& r) { r.fields.archives[1] = std::nullopt; },
      [](SignedRecord& r) { r.content[31] ^= 1; },
      [](SignedRecord& r) { r.signedAt += "0"; },
  };
  for (std::size_t i = 0; i < changes.size(); ++i) {
    SignedRecord changed = record;
    changes[i](changed);
    EXPECT_EQ(CheckRecord(changed, trusted), RecordTrust::BadSignature) << "change " << i;
  }
}

TEST(KeyFilesTest, EachUnusableKeyFileIsRefusedWithItsOwnFrenchReason) {
  TempFolder folder;
  struct Case {
    std::string name;
    std::function<void(const std::string& path)> make;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"missing", [](const std::string&) {}, "Clé de signature introuvable"},
      {"unreadable", [](const std::string& path) { std::filesystem::create_directory(path); },
       "Clé de signature illisible"},
      {"malformed",
       [&](const std::string& path) {
         folder.WriteFile(std::filesystem::path(path).filename().string(), "# commentaire\npas-une-clé\n");
         ::chmod(path.c_str(), 0600);
       },
       "est mal formée"},
      {"world-readable",
       [](const std::string& path) {
         GenerateKeyFile(path);
         ::chmod(path.c_str(), 0644);
       },
       "accessible à tous les utilisateurs (droits 0644)"},
  };
  for (const Case& c : cases) {
    const std::string path = folder.str() + "/" + c.name + ".key";
    c.make(path);
    const std::string failure = FailureOf([&] { LoadSigningKey(path); });
    EXPECT_NE(failure.find(c.expected), std::string::npos) << c.name << ": " << failure;
    EXPECT_NE(failure.find(path), std::string::npos) << c.name << ": " << failure;
  }

  const std::string trustedPath = folder.WriteFile("trusted-keys", "# clés\n\nAAAA\n");
  const std::string failure = FailureOf([&] { TrustedKeys().AddFile(trustedPath); });
  EXPECT_NE(failure.find("ligne 3 : clé publique illisible"), std::string::npos) << failure;
}

}  // namespace
}  // namespace maj::signing
