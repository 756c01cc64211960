// Whole update runs meeting real faults. A run never loses an installed file and every failure names its
// file and its true cause.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/connection.h"
#include "db/database.h"
#include "db/database_error.h"
#include "db/result_set.h"
#include "tests/engine/update_test_support.h"
#include "tests/support/small_file_system.h"
#include "tests/transfer/fichier64_test_support.h"

namespace maj::engine {
namespace {

namespace fs = std::filesystem;
using maj::testing::FailureOf;
using maj::testing::ReadFileText;
using maj::testing::SmallFileSystem;
using testing::UpdateRunTest;
using maj::testing::ListTree;
using transfer::testing::RandomBytes;

constexpr std::size_t kMiB = 1 << 20;

TEST_F(UpdateRunTest, AReplacementThatCannotBeWrittenKeepsTheInstalledCopyAndEndsTheRunWithItsCause) {
  SmallFileSystem bin(machine_.bin(), 2 * kMiB);
  if (!bin.Mounted()) GTEST_SKIP() << bin.Why();
  const std::string old = RandomBytes(1200 * 1024, 1);
  const std::string installed = machine_.Write(machine_.bin() + "/bouge.dll", old);
  Publish("bouge.dll", RandomBytes(1200 * 1024, 2), "002.000.000");

  // The new copy does not fit beside the old one on the bin's file system.
  const std::string failure = FailureOf([&] { Check(); });
  EXPECT_NE(failure.find("Installation de « bouge.dll » impossible"), std::string::npos) << failure;
  EXPECT_NE(failure.find("Espace disque insuffisant"), std::string::npos) << failure;
  EXPECT_EQ(ReadFileText(installed), old);
  EXPECT_EQ(ListTree(machine_.bin()), std::vector<std::string>{"bouge.dll"});  // no partial copy left
  EXPECT_TRUE(machine_.PendingMoves().empty());
  EXPECT_EQ(listener_.events.back(), "ActionFile:bouge.dll");  // no end, no restart announced
}

TEST_F(UpdateRunTest, WritesThatDoNotFitInTheFreeSpaceAreRefusedBeforeAnyByteIsWritten) {
  SmallFileSystem app(machine_.app(), 4 * kMiB);
  if (!app.Mounted()) GTEST_SKIP() << app.Why();
  const std::string working = machine_.app() + "/MAJ";

  // A package larger than the free space: refused before it is fetched.
  Insert({.nom = "gros.exe", .data = std::string(5 * kMiB, 'x'), .condition = "%WINDIR%\\absent.dll"});
  std::string failure = FailureOf([&] { Check(); });
  EXPECT_NE(failure.find("Téléchargement de « gros.exe » impossible : Espace disque insuffisant : 6,0 Mo "
                         "nécessaires (marge comprise)"),
            std::string::npos)
      << failure;
  EXPECT_TRUE(ListTree(working).empty());
  database_.Execute("DELETE FROM Fichier64");

  // A plain file whose stored archive does not fit.
  Publish("lourd.dll", RandomBytes(5 * kMiB, 3), "001.000.000");
  failure = FailureOf([&] { Check(); });
  EXPECT_NE(failure.find("« lourd.dll »"), std::string::npos) << failure;
  EXPECT_NE(failure.find("Espace disque insuffisant"), std::string::npos) << failure;
  EXPECT_TRUE(ListTree(working).empty());
  database_.Execute("DELETE FROM Fichier64");

  // A small archive declaring far more than the free space: fetched, never unpacked.
  Publish("bombe.dll", std::string(32 * kMiB, '\0'), "001.000.000");
  failure = FailureOf([&] { Check(); });
  EXPECT_NE(failure.find("bombe.dll.zip"), std::string::npos) << failure;
  EXPECT_NE(failure.find("Espace disque insuffisant : 33,0 Mo nécessaires"), std::string::npos) << failure;
  EXPECT_EQ(ListTree(working), std::vector<std::string>{"bombe.dll.zip"});
  EXPECT_FALSE(fs::exists(machine_.bin() + "/bombe.dll"));
}

TEST_F(UpdateRunTest, FailuresWhileFetchingNameTheirPackageAndTheirTrueCause) {
  // A name holding a NUL is shown whole, its control characters escaped.
  Insert({.nom = std::string("evil\0.dll", 9), .data = "x", .condition = "%WINDIR%\\absent.dll"});
  std::string failure = FailureOf([&] { Check(); });
  EXPECT_NE(failure.find("« evil\\x00.dll »"), std::string::npos) << failure;
  database_.Execute("DELETE FROM Fichier64");

  // The connection is lost once the packages are listed, before the first is fetched.
  Insert({.nom = "paquet.exe", .data = "package", .condition = "%WINDIR%\\absent.dll"});
  const std::string connection = [] {
    db::ResultSet id = db::SharedConnection().Execute("SELECT CONNECTION_ID() AS id");
    return id.Field("id").AsText();
  }();
  listener_.onDownloadFile = [&] { database_.Execute("KILL CONNECTION " + connection); };
  failure = FailureOf([&] { Check(); });
  EXPECT_NE(failure.find("Téléchargement de « paquet.exe » impossible"), std::string::npos) << failure;
  EXPECT_TRUE(failure.ends_with(std::string("\n") + db::kLostConnectionAdvice)) << failure;
  EXPECT_EQ(failure.find(db::kPacketLimitAdvice), std::string::npos) << failure;
  EXPECT_FALSE(fs::exists(machine_.app() + "/MAJ/paquet.exe"));
}

}  // namespace
}  // namespace maj::engine
