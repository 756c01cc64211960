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

  static std::int32_t Test(Fichier& fichier, const std::string& nom, const std::string& version) {
    fichier.Nom = nom;
    fichier.Version = version;
    return fichier.TestVersion();
  }

  testing::TempFolder app_;
};

TEST_F(FichierTest, ExecutableIsLookedForInTheApplicationFolder) {
  Install("full.dll", "Orv_Spec.EXE");  // FileVersion "13, 1, 0, 10"
  Install("missing_table.dll", "bin/orv_spec.exe");  // must not be used
  Fichier fichier;
  EXPECT_EQ(Test(fichier, "Orv_Spec.EXE", "13.01.0010"), 1);  // [13, 1, 10] against [13, 1, 0, 10]
  EXPECT_EQ(fichier.Nom, "orv_spec.exe");
  EXPECT_EQ(Test(fichier, "Orv_Spec.exe", "13.1.0.10"), 0);
  EXPECT_EQ(Test(fichier, "Orv_Spec.exe", "13.1.0.9"), -1);
  EXPECT_EQ(Test(fichier, "Orv_Spec.exe", "13.1.0.10.0"), 1);
}

TEST_F(FichierTest, OtherFilesAreLookedForInTheBinFolder) {
  Install("missing_table.dll", "bin/Foo.DLL");  // FileVersion "6.2.9200.16384"
  Install("full.dll", "foo.dll");               // must not be used
  Fichier fichier;
  EXPECT_EQ(Test(fichier, "Foo.DLL", "6.2.9200.16384"), 0);
  EXPECT_EQ(fichier.Nom, "foo.dll");
  EXPECT_EQ(Test(fichier, "foo.dll", "6.2.9200.16385"), 1);
  EXPECT_EQ(Test(fichier, "foo.dll", "006.002.9200.16383"), -1);
}

TEST_F(FichierTest, MissingOrUnversionedInstalledCopyIsOlderThanAnyVersion) {
  Install("no_version.dll", "bin/plain.dll");
  Fichier fichier;
  EXPECT_EQ(Test(fichier, "absent.dll", "0"), 1);
  EXPECT_EQ(Test(fichier, "absent.exe", "1.0"), 1);
  EXPECT_EQ(Test(fichier, "plain.dll", "0.0.1"), 1);
  EXPECT_EQ(Test(fichier, "absent.dll", ""), 0);
}

TEST_F(FichierTest, BinFolderIsCreatedForAnInstallNotForAVersionTest) {
  ASSERT_FALSE(fs::exists(app_.path() / "bin"));
  Fichier fichier;
  EXPECT_EQ(Test(fichier, "report.ocx", "1.0"), 1);
  EXPECT_FALSE(fs::exists(app_.path() / "bin"));
  EXPECT_EQ(InstalledPath("report.ocx"), app_.str() + "/bin/report.ocx");
  EXPECT_TRUE(fs::is_directory(app_.path() / "bin"));
  EXPECT_EQ(InstalledPath("setup.EXE"), app_.str() + "/setup.EXE");
}

TEST(PublishedNameTest, NamesThatCouldLeaveTheirFolderAreRefused) {
  for (const std::string_view bad : {"", ".", "..", "../x.dll", "..\\x.dll", "c:x.dll", "/etc/x"}) {
    EXPECT_THROW(RequirePlainFileName(bad), std::runtime_error) << bad;
  }
  EXPECT_NO_THROW(RequirePlainFileName("l'aide..chm"));
}

}  // namespace
}  // namespace maj::engine
