#include "config/profile_reader.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::config {
namespace {

TEST(ProfileReaderTest, ReadsWithTheProfileReaderRulesAlsoFromTheWindowsFolder) {
  maj::testing::TempFolder temp;
  const std::string path = temp.WriteFile("Orv_Spec.ini",
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
                                          "dsnBill=ignored duplicate\r\n");
  struct Case {
    const char* section;
    const char* key;
    std::size_t bufferSize;
    const char* value;
  };
  const Case cases[] = {
      {"DSN", "dsnBill", 255, "proscenia"}, {"general", "DSNBILL", 255, "wrong section"},
      {"DSN", "Single", 255, "single"},     {"DSN", "Unbalanced", 255, "\"left"},
      {"DSN", "Comment", 255, "a ; not a comment"}, {"DSN", "NoValue", 255, ""},
      {"DSN", "Empty", 255, ""},            {"DSN", "Accents", 255, "régie"},
      {"DSN", "Later", 255, "found in a second section"},
      // Absent: the default.
      {"DSN", "absent", 255, "default"},    {"absent", "dsnBill", 255, "default"},
      // Cut to the buffer, NUL included, never inside a UTF-8 character ('é' takes two bytes).
      {"DSN", "dsnBill", 5, "pros"},        {"DSN", "dsnBill", 10, "proscenia"},
      {"DSN", "dsnBill", 1, ""},            {"DSN", "dsnBill", 0, ""},
      {"DSN", "absent", 4, "def"},          {"DSN", "Accents", 3, "r"},
      {"DSN", "Accents", 4, "ré"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadProfileString(c.section, c.key, "default", c.bufferSize, path), c.value)
        << c.section << "/" << c.key << " in " << c.bufferSize;
  }
  // A missing file gives the default without its trailing blanks.
  EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "trailing  ", 255, temp.str() + "/missing.ini"), "trailing");
  EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "", 255, temp.str() + "/missing.ini"), "");

  // A path that is not full is looked for in the Windows folder, ignoring letter case, through the Wine prefix
  // when it names a drive.
  maj::testing::ScopedEnvironment env;
  env.Set("WINDIR", temp.str()).Set("WINEPREFIX", temp.str() + "/wine");
  temp.WriteFile("sub/Other.ini", "[a]\nb=c\n");
  temp.WriteFile("wine/dosdevices/d:/Settings/x.ini", "[a]\nb=wine\n");
  EXPECT_EQ(ReadProfileString("DSN", "dsnBill", "", 255, "orv_spec.ini"), "proscenia");
  EXPECT_EQ(ReadProfileString("A", "B", "", 255, "SUB\\other.ini"), "c");
  EXPECT_EQ(ReadProfileString("a", "b", "", 255, "D:\\settings\\X.INI"), "wine");
}

}  // namespace
}  // namespace maj::config
