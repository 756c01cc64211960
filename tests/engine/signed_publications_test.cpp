// Signed publications on a workstation that trusts the publisher's key, over a TLS connection whose server
// certificate is verified: signed versions install, and each version altered by hand in the database is
// refused by name, with nothing of it installed or run, while the run goes on with the others.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "db/database.h"
#include "db/result_set.h"
#include "signing/key_files.h"
#include "signing/trusted_keys.h"
#include "tests/engine/update_test_support.h"
#include "tests/transfer/fichier64_test_support.h"
#include "transfer/signature_records.h"

namespace maj::engine::testing {
namespace {

using maj::transfer::testing::RandomBytes;

class SignedPublicationTest : public UpdateRunTest {
 protected:
  void SetUp() override {
    UpdateRunTest::SetUp();
    const maj::testing::TestServer& server = maj::testing::GetTestServer();
    ASSERT_FALSE(server.tlsCa.empty()) << "the test server was started without --tls";
    // The whole run goes over TLS with the server's certificate checked against the CA and the host.
    db::ConnectDataSource(database_.AddDataSource("tls", {{"SSLCA", server.tlsCa}, {"SSLVERIFY", "1"}}),
                          [](const std::string& description) { throw std::runtime_error(description); });
    machine_.Write(machine_.app() + "/" + signing::kTrustedKeysFileName,
                   "# clé de l'éditeur\n" + signing::PublicKeyLine(key_->Public()) + "\n");
  }

  // Publishes for Windows XP, signed with `key` (nullptr: not signed).
  void PublishWith(const std::shared_ptr<const signing::SigningKey>& key, const std::string& nom,
                   const std::string& content, const std::string& version = "013.001.010") {
    publishingKey_ = key;
    Publish(nom, content, version);
  }

  std::vector<std::string> Refused() const {
    std::vector<std::string> refused;
    for (const RefusedFile& file : engine_->RefusedFiles()) refused.push_back(file.nom + ": " + file.reason);
    std::sort(refused.begin(), refused.end());
    return refused;
  }

  std::vector<std::string> Installed() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(machine_.bin())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::shared_ptr<const signing::SigningKey> key_ = signing::SigningKey::Generate();
  std::shared_ptr<const signing::SigningKey> otherKey_ = signing::SigningKey::Generate();
};

TEST_F(SignedPublicationTest, PlainFilesAlteredInTheTableAreRefusedByNameAndTheGoodOneInstalls) {
  db::ResultSet cipher = db::SharedConnection().Execute("SHOW STATUS LIKE 'Ssl_cipher'");
  ASSERT_FALSE(cipher.AtEnd());
  EXPECT_FALSE(cipher.Field(1).AsText().empty()) << "not over TLS";
  cipher.Close();

  const std::string good = RandomBytes(3000, 1);
  PublishWith(key_, "bon.dll", good);
  PublishWith(key_, "volume.dll", RandomBytes(1'000'000, 2));    // two volumes
  PublishWith(key_, "encours.dll", RandomBytes(1'700'000, 3));   // three volumes
  PublishWith(key_, "a.dll", RandomBytes(2000, 4));
  PublishWith(key_, "b.dll", RandomBytes(2000, 5));
  PublishWith(key_, "ajout.dll", RandomBytes(2000, 6), "013.001.009");
  PublishWith(nullptr, "ajout.dll", RandomBytes(2000, 7));               // a newer version without a record
  PublishWith(otherKey_, "autre.dll", RandomBytes(2000, 8));

  database_.Execute("UPDATE Fichier64 SET DATA = CONCAT(LEFT(DATA, 99), CHAR(ASCII(SUBSTRING(DATA, 100, 1)) ^ 1), "
                    "SUBSTRING(DATA, 101)) WHERE Archive = 'volume.dll.zip.002'");
  database_.Execute("CREATE TEMPORARY TABLE echange AS SELECT NOM, DATA FROM Fichier64 WHERE NOM IN ('a.dll', 'b.dll')");
  database_.Execute("UPDATE Fichier64 f JOIN echange e ON e.NOM <> f.NOM SET f.DATA = e.DATA "
                    "WHERE f.NOM IN ('a.dll', 'b.dll')");
  // The last volume of a version is not stored yet: its publication is still going on.
  database_.Execute("DELETE FROM Fichier64 WHERE Archive = 'encours.dll.zip.003'");

  // The check already refuses what the records say, before any byte is fetched.
  engine_->CheckForUpdates(false);
  EXPECT_EQ(Refused(), (std::vector<std::string>{"ajout.dll: non signée",
                                                 "autre.dll: signée par une clé non reconnue (" +
                                                     otherKey_->Public().Identifier() + ")"}));

  Check();
  const std::string altered = ": contenu différent de la version signée (modifié ou endommagé)";
  EXPECT_EQ(Refused(), (std::vector<std::string>{"a.dll" + altered, "ajout.dll: non signée",
                                                 "autre.dll: signée par une clé non reconnue (" +
                                                     otherKey_->Public().Identifier() + ")",
                                                 "b.dll" + altered, "volume.dll" + altered}));
  EXPECT_EQ(Installed(), std::vector<std::string>{"bon.dll"});
  std::ifstream installed(machine_.bin() + "/bon.dll", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(installed), {}), good);
  const auto& events = listener_.events;
  EXPECT_NE(std::find(events.begin(), events.end(),
                      "Download:volume.dll : version 013.001.010 refusée (contenu différent de la version signée "
                      "(modifié ou endommagé)), fichier ignoré"),
            events.end());
  EXPECT_NE(std::find(events.begin(), events.end(),
                      "Download:encours.dll : version 013.001.010 incomplète dans la base (publication en cours), "
                      "fichier ignoré"),
            events.end());
  EXPECT_EQ(events.back().rfind("OldNew:", 0), 0u) << "the run did not reach its end";
}

TEST_F(SignedPublicationTest, APackageRunsItsActionOnlyWhenItsRecordMatches) {
  const std::string condition = machine_.app() + "/absent.txt";
  const auto package = [&](const std::string& nom) {
    ConditionalRow row;
    row.nom = nom;
    row.data = "echo " + nom + " >> '" + machine_.app() + "/calls.txt'\n";
    row.condition = condition;
    row.action1 = 3;
    row.actionData1 = "/bin/sh \"%MAJ%/" + nom + "\"";
    Insert(row);
  };
  package("bon.sh");
  package("modifie.sh");
  package("ajoute.sh");
  transfer::SignStoredVersion("bon.sh", "0", *key_);
  transfer::SignStoredVersion("modifie.sh", "0", *key_);
  database_.Execute("UPDATE Fichier64 SET actionData1 = CONCAT(actionData1, ' --autre') WHERE NOM = 'modifie.sh'");

  Check();
  EXPECT_EQ(Refused(), (std::vector<std::string>{"ajoute.sh: non signée",
                                                 "modifie.sh: actionData1 différent de la version signée"}));
  EXPECT_EQ(machine_.Calls(), std::vector<std::string>{"bon.sh"});
  EXPECT_EQ(Names(engine_->InstallList()), std::vector<std::string>{"bon.sh"});
}

TEST_F(SignedPublicationTest, WithoutATrustedKeyARecordStillCatchesDamagedContent) {
  std::filesystem::remove(machine_.app() + "/" + signing::kTrustedKeysFileName);
  PublishWith(key_, "abime.dll", RandomBytes(2000, 9));
  PublishWith(nullptr, "libre.dll", RandomBytes(2000, 10));
  database_.Execute("UPDATE Fichier64 SET DATA = CONCAT(DATA, 'x') WHERE NOM = 'abime.dll'");

  Check();
  EXPECT_EQ(Refused(), std::vector<std::string>{"abime.dll: contenu différent de la version signée (modifié ou "
                                                "endommagé)"});
  EXPECT_EQ(Installed(), std::vector<std::string>{"libre.dll"});
}

TEST_F(SignedPublicationTest, ACertificateThatDoesNotNameTheHostIsRefusedWithAFrenchMessage) {
  const maj::testing::TestServer& server = maj::testing::GetTestServer();
  std::string description;
  db::ConnectDataSource(database_.AddDataSource("tlsautre", {{"SERVER", server.tlsOtherHost},
                                                             {"SSLCA", server.tlsCa},
                                                             {"SSLVERIFY", "1"}}),
                        [&](const std::string& text) { description = text; });
  EXPECT_NE(description.find("le certificat du serveur de base de données ne correspond pas au nom du serveur"),
            std::string::npos)
      << description;
}

}  // namespace
}  // namespace maj::engine::testing
