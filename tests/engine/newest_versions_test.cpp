// The newest published version of every plain name, read with one statement, against the same answer read
// name by name, on rows that only the server's collation groups correctly.
#include <gtest/gtest.h>

#include <ostream>

#include "tests/engine/update_test_support.h"
#include "transfer/newest_versions.h"

namespace maj::transfer {

void PrintTo(const NewestVersion& newest, std::ostream* out) {
  *out << newest.nom << " " << newest.version << " type " << newest.type;
}

}  // namespace maj::transfer

namespace maj::engine {
namespace {

using transfer::NewestPlainVersions;
using transfer::NewestPlainVersionsNameByName;
using transfer::NewestVersion;

using testing::UpdateRunTest;

TEST_F(UpdateRunTest, OneStatementFindsTheNewestVersionOfEachNameAsTheNameByNameQueriesDo) {
  database_.Execute(
      "INSERT INTO Fichier64 (NOM, VERSION, DATA, TYPE, WINXP, typeCondition) VALUES"
      " ('b.dll', '001.000', 'x', 0, -1, 0),"
      " ('A.dll', '002.000', 'x', 2, 0, 0),"        // newer, for other Windows versions only: still the newest
      " ('a.dll', '001.000', 'x', 2, -1, 0),"
      " ('B.DLL ', '003.000', 'x', 64, 1, 0),"      // same name for the collation: case and trailing blank
      " ('b.dll', '003.000', 'x', 64, 0, 0),"       // second volume of 003.000, flags differing per row
      " ('a.dll', '009.000', 'x', 0, 0, 1),"        // a conditional row is no version of the name
      " ('only7.dll', '001.000', 'x', 0, 0, 0),"
      " ('c.dll', '010.000', 'x', 2, -1, 0),"
      " ('c.dll', '009.000', 'x', 0, -1, 0),"
      " ('d.dll', '10.0', 'x', 0, -1, 0),"
      " ('d.dll', '2.0', 'x', 64, -1, 0),"          // text order, not numeric order
      " ('l''aide.chm', '001.000', 'x', 0, -1, 0)");

  const std::vector<NewestVersion> expected = {{"b.dll", "003.000", 64}, {"a.dll", "002.000", 2},
                                               {"c.dll", "010.000", 2},  {"d.dll", "2.0", 64},
                                               {"l'aide.chm", "001.000", 0}};
  const auto all = [](const NewestVersion&) { return true; };
  EXPECT_EQ(NewestPlainVersions("`winXP`", all), expected);
  EXPECT_EQ(NewestPlainVersionsNameByName("`winXP`", all), expected);

  engine_->CheckForUpdates(true);
  std::vector<NewestVersion> listed;
  for (const auto& fichier : engine_->UpdateList()) listed.push_back({fichier->Nom, fichier->Version, fichier->Type});
  EXPECT_EQ(listed, expected);
}

}  // namespace
}  // namespace maj::engine
