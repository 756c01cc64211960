#include "config/profile_reader.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace maj::config {
namespace {

// Files named without a full path, in the Windows folder in any letter case or through the Wine prefix: the
// settings files that installation_test reads.
TEST(ProfileReaderTest, ReadsWithTheProfileReaderRules) {
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
}

}  // namespace
}  // namespace maj::config
