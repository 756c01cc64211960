#include "config/profile_reader.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::config {
namespace {

using maj::testing::TempFolder;

const std::string kSettings =
    "\xEF\xBB\xBF; Proscenia\r\n"
    "[General]\r\n"
    "dsnBill=wrong section\r\n"
    "  [ dsn ]  \r\n"
    "  DSNBILL  =   \"proscenia\"  \r\n"
    "Single='single'\r\n"
    "Unbalanced=\"left\r\n"
    "Comment=a ; not a comment\r\n"
    "NoValue\r\n"
    "Empty=\r\n"
    "Accents=régie\r\n"
    "[DSN]\r\n"
    "Later=found in a second section\r\n"
    "dsnBill=ignored duplicate\r\n";

class ProfileReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = temp_.WriteFile("Orv_Spec.ini", kSettings); }
  std::string Read(std::string_view section, std::string_view key, std::size_t size = 255) {
    return ReadProfileString(section, key, "default", size, path_);
  }
  TempFolder temp_;
  std::string path_;
};

TEST_F(ProfileReaderTest, ReadsWithTheProfileReaderRules) {
  EXPECT_EQ(Read("DSN", "dsnBill"), "proscenia");
  EXPECT_EQ(Read("general", "DSNBILL"), "wrong section");
  EXPECT_EQ(Read("DSN", "Single"), "single");
  EXPECT_EQ(Read("DSN", "Unbalanced"), "\"left");
  EXPECT_EQ(Read("DSN", "Comment"), "a ; not a comment");
  EXPECT_EQ(Read("DSN", "NoValue"), "");
  EXPECT_EQ(Read("DSN", "Empty"), "");
  EXPECT_EQ(Read("DSN", "Accents"), "régie");
  EXPECT_EQ(Read("DSN", "Later"), "found in a second section");
}

TEST_F(ProfileReaderTest, GivesTheDefaultWhenSomethingIsAbsent) {
  EXPECT_EQ(Read("DSN", "absent"), "default");
  EXPECT_EQ(Read("absent", "dsnBill"), "default");
  EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "trailing  ", 255, temp_.str() + "/missing.ini"), "trailing");
  EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "", 255, temp_.str() + "/missing.ini"), "");
}

TEST_F(ProfileReaderTest, CutsTheValueToTheBuffer) {
  EXPECT_EQ(Read("DSN", "dsnBill", 5), "pros");
  EXPECT_EQ(Read("DSN", "dsnBill", 10), "proscenia");
  EXPECT_EQ(Read("DSN", "dsnBill", 1), "");
  EXPECT_EQ(Read("DSN", "dsnBill", 0), "");
  EXPECT_EQ(Read("DSN", "absent", 4), "def");
  // "régie": 'é' takes two bytes and is not cut in two.
  EXPECT_EQ(Read("DSN", "Accents", 3), "r");
  EXPECT_EQ(Read("DSN", "Accents", 4), "ré");
}

TEST_F(ProfileReaderTest, LooksForAPathThatIsNotFullInTheWindowsFolder) {
  maj::testing::ScopedEnvironment env;
  env.Set("WINDIR", temp_.str()).Set("WINEPREFIX", temp_.str() + "/wine");
  EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "", 255, "orv_spec.ini"), "proscenia");
  temp_.WriteFile("sub/Other.ini", "[a]\nb=c\n");
  EXPECT_EQ(ReadProfileString("A", "B", "", 255, "SUB\\other.ini"), "c");
  temp_.WriteFile("wine/dosdevices/d:/Settings/x.ini", "[a]\nb=wine\n");
  EXPECT_EQ(ReadProfileString("a", "b", "", 255, "D:\\settings\\X.INI"), "wine");
}

}  // namespace
}  // namespace maj::config
