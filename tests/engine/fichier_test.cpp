#include "engine/fichier.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/published_name.h"
#include "platform/paths.h"
#include "tests/support/pe_fixtures.h"
#include "tests/support/temp_folder.h"

namespace maj::engine {
namespace {

namespace fs = std::filesystem;
using testing::PeFixture;

// A temporary application folder for the test's duration.
class FichierTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetApplicationFolderForTesting(app_.str()); }
  void TearDown() override { platform::SetApplicationFolderForTesting(std::nullopt); }

  void Install(const std::string& fixture, const fs::path& relative) {
    fs::create_directories((app_.path() / relative).parent_path());
    fs::copy_file(PeFixture(fixture), app_.path() / relative);
  }

  testing::TempFolder app_;
};

// The executable is looked for in the application folder, every other file in bin; a missing or unversioned
// installed copy is older than any version. (The lowered names are those of every whole run's lists.)
TEST_F(FichierTest, ComparesWithTheInstalledCopyInItsOwnFolder) {
  Install("full.dll", "Orv_Spec.EXE");               // FileVersion "13, 1, 0, 10"
  Install("missing_table.dll", "bin/orv_spec.exe");  // must not be used
  Install("missing_table.dll", "bin/Foo.DLL");       // FileVersion "6.2.9200.16384"
  Install("full.dll", "foo.dll");                    // must not be used
  Install("no_version.dll", "bin/plain.dll");
  const struct {
    const char* nom;
    const char* version;
    std::int32_t expected;
  } cases[] = {
      {"Orv_Spec.EXE", "13.01.0010", 1},  // [13, 1, 10] against [13, 1, 0, 10]
      {"Orv_Spec.exe", "13.1.0.9", -1},          {"Foo.DLL", "6.2.9200.16384", 0},
      {"foo.dll", "006.002.9200.16383", -1},
      {"absent.dll", "0", 1},                    {"absent.exe", "1.0", 1},
      {"plain.dll", "0.0.1", 1},                 {"absent.dll", "", 0},
  };
  for (const auto& c : cases) {
    Fichier fichier;
    fichier.Nom = c.nom;
    fichier.Version = c.version;
    EXPECT_EQ(fichier.TestVersion(), c.expected) << c.nom << " " << c.version;
  }
}

TEST(PublishedNameTest, NamesThatCouldLeaveTheirFolderAreRefused) {
  for (const std::string_view bad : {"", ".", "..", "../x.dll", "..\\x.dll", "c:x.dll", "/etc/x"}) {
    EXPECT_THROW(RequirePlainFileName(bad), std::runtime_error) << bad;
  }
  EXPECT_NO_THROW(RequirePlainFileName("l'aide..chm"));
}

}  // namespace
}  // namespace maj::engine
