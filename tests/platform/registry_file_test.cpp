#include "platform/registry_file.h"

#include <sys/stat.h>

#include <filesystem>
#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace maj::platform {
namespace {

using maj::testing::ReadFileText;
using maj::testing::TempFolder;

constexpr RegistryRoot HKLM = RegistryRoot::LocalMachine;
constexpr RegistryRoot HKCU = RegistryRoot::CurrentUser;

// A file as regedit exports it, with lines of kinds MAJ does not understand among them.
const std::string kExported =
    "REGEDIT4\r\n"
    "\r\n"
    "; exported by hand\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI\\proscenia]\r\n"
    "\"Driver\"=\"C:\\\\Windows\\\\libmaodbc.dll\"\r\n"
    "@=\"default \\\"quoted\\\"\"\r\n"
    "\"Port\"=dword:00000cea\r\n"
    "\"Binary\"=hex:01,02,ff\r\n"
    "\"Expand\"=hex(2):25,00\r\n"
    "\"Pending\"=hex(7):61,00,62,\\\r\n"
    "  00,00\r\n"
    "\"Broken\"=\"unterminated\r\n"
    "\"Deleted\"=-\r\n"
    "this is not a registry line\r\n"
    "\"Empty\"=\"\"\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\.ocx]\r\n"
    "@=\"ocxfile\"\r\n"
    "\r\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Proscenia\\Sub]\r\n"
    "\"Late\"=\"1\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Bad] ; not a header\r\n"
    "\"Leak\"=\"x\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBC.INI\\proscenia]\r\n"
    "\"Port\"=dword:00000ceb\r\n"
    "\"Later\"=\"2\"\r\n";

class RegistryFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& content) { return temp_.WriteFile("registry.reg", content); }
  std::string PathInTemp() const { return (temp_.path() / "registry.reg").string(); }
  TempFolder temp_;
};

TEST_F(RegistryFileTest, ReadsAndListsEveryKindOfValueRegeditWrites) {
  const RegistryFile registry(Write(kExported));
  const std::string key = "SOFTWARE\\ODBC\\ODBC.INI\\proscenia";

  auto driver = registry.ReadValue(HKLM, key, "Driver");
  ASSERT_TRUE(driver);
  EXPECT_EQ(driver->type, RegistryValueType::String);
  EXPECT_EQ(driver->text, "C:\\Windows\\libmaodbc.dll");
  EXPECT_EQ(registry.ReadValue(HKLM, key, "")->text, "default \"quoted\"");
  EXPECT_EQ(registry.ReadValue(HKLM, key, "Empty")->text, "");

  // Key and value names ignore case; a value given twice takes the later one.
  auto port = registry.ReadValue(HKLM, "software\\odbc\\odbc.ini\\PROSCENIA", "port");
  ASSERT_TRUE(port);
  EXPECT_EQ(port->type, RegistryValueType::Dword);
  EXPECT_EQ(port->number, 0xcebu);

  auto pending = registry.ReadValue(HKLM, key, "Pending");
  ASSERT_TRUE(pending);
  EXPECT_EQ(pending->type, RegistryValueType::MultiString);
  EXPECT_EQ(pending->strings, (std::vector<std::string>{"a", "b"}));

  // Lines that are not understood are absent.
  EXPECT_FALSE(registry.ReadValue(HKLM, key, "Broken"));
  EXPECT_FALSE(registry.ReadValue(HKLM, key, "Deleted"));
  // Values under a root MAJ does not know do not leak into the key above them.
  EXPECT_FALSE(registry.ReadValue(HKLM, key, "Late"));
  EXPECT_EQ(registry.ReadValue(HKCU, "Software\\Proscenia\\Sub", "Late")->text, "1");
  EXPECT_FALSE(registry.ReadValue(HKCU, "Software\\Proscenia\\Sub", "Leak"));
  EXPECT_FALSE(registry.ReadValue(HKCU, key, "Driver"));

  // Value names come in file order.
  EXPECT_EQ(registry.ValueNames(HKLM, "SOFTWARE\\ODBC\\ODBC.INI\\proscenia"),
            (std::vector<std::string>{"Driver", "", "Port", "Binary", "Expand", "Pending", "Empty", "Later"}));
  // A key that only has subkeys exists, without values; a key with no section does not.
  EXPECT_EQ(registry.ValueNames(HKCU, "Software\\Proscenia"), std::vector<std::string>{});
  EXPECT_FALSE(registry.ValueNames(HKLM, "SOFTWARE\\Gone"));
  EXPECT_FALSE(registry.ValueNames(HKLM, "SOFTWARE\\ODBC\\ODBC.INI\\prosceni"));

  // A hex value cut short before a key header does not swallow the header.
  const RegistryFile cut(Write("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=hex:01,\\\n[HKEY_LOCAL_MACHINE\\B]\n\"y\"=\"1\"\n"));
  EXPECT_FALSE(cut.ReadValue(HKLM, "A", "y"));
  ASSERT_TRUE(cut.ReadValue(HKLM, "B", "y"));
  EXPECT_EQ(cut.ReadValue(HKLM, "B", "y")->text, "1");
}

TEST_F(RegistryFileTest, AWriteKeepsEveryOtherLineByteForByte) {
  RegistryFile registry(Write(kExported));
  registry.WriteString(HKLM, "software\\odbc\\odbc.ini\\proscenia", "DRIVER", "/usr/lib/libmaodbc.so");
  registry.WriteString(HKLM, "SOFTWARE\\ODBC\\ODBC.INI\\proscenia", "Port", "text now");
  registry.WriteString(HKCU, "Software\\Proscenia\\Sub", "New", "n");
  registry.WriteMultiString(HKLM, "SOFTWARE\\Other", "List", {"x"});

  // A replaced value keeps the place of its first line and the file's line ends (a later duplicate goes);
  // the name is written as given. A new value ends its key's last section; a new key ends the file.
  std::string expected = kExported;
  const auto replace = [&](const std::string& from, const std::string& to) {
    expected.replace(expected.find(from), from.size(), to);
  };
  replace("\"Driver\"=\"C:\\\\Windows\\\\libmaodbc.dll\"", "\"DRIVER\"=\"/usr/lib/libmaodbc.so\"");
  replace("\"Port\"=dword:00000cea", "\"Port\"=\"text now\"");
  replace("\"Port\"=dword:00000ceb\r\n", "");
  replace("\"Late\"=\"1\"\r\n", "\"Late\"=\"1\"\r\n\"New\"=\"n\"\r\n");
  expected += "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"List\"=hex(7):78,00,00\r\n";
  EXPECT_EQ(ReadFileText(PathInTemp()), expected);
  EXPECT_EQ(registry.ReadValue(HKLM, "SOFTWARE\\ODBC\\ODBC.INI\\proscenia", "driver")->text, "/usr/lib/libmaodbc.so");
  EXPECT_EQ(registry.ReadValue(HKLM, "SOFTWARE\\ODBC\\ODBC.INI\\proscenia", "port")->text, "text now");
}

// Deleting values and removing an emptied list: the run-once commands and next-start moves of tests/pending.
TEST_F(RegistryFileTest, AppendsAndEditsLists) {
  RegistryFile registry(PathInTemp());
  registry.WriteString(HKLM, "K", "List", "was text");
  registry.AppendMultiString(HKLM, "K", "List", {"a", ""});
  registry.AppendMultiString(HKLM, "K", "List", {"b", "c"});
  EXPECT_EQ(registry.ReadValue(HKLM, "K", "list")->strings, (std::vector<std::string>{"a", "", "b", "c"}));

  // A list is edited in place; a value of another type is left as it is.
  registry.WriteString(HKLM, "K", "Text", "t");
  const auto dropB = [](std::vector<std::string>& strings) { std::erase(strings, "b"); };
  registry.EditMultiString(HKLM, "k", "LIST", dropB);
  EXPECT_EQ(registry.ReadValue(HKLM, "K", "List")->strings, (std::vector<std::string>{"a", "", "c"}));
  registry.EditMultiString(HKLM, "K", "Text", dropB);
  EXPECT_EQ(registry.ReadValue(HKLM, "K", "Text")->text, "t");

  // Line breaks, quotes and backslashes survive a write and a read (long lists of paths: tests/pending).
  registry.WriteString(HKLM, "K", "Lines", "one\ntwo \"2\" \\");
  EXPECT_EQ(RegistryFile(PathInTemp()).ReadValue(HKLM, "K", "Lines")->text, "one\ntwo \"2\" \\");
}

TEST_F(RegistryFileTest, WritesARegedit4FileAtomicallyKeepingPermissionsAndLinks) {
  const std::string target = temp_.WriteFile("shared/registry.reg", "REGEDIT4\n");
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  std::filesystem::create_symlink(target, PathInTemp());
  const std::string runOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  const std::string command = "C:\\Windows\\system32\\regsvr32.exe /s \"C:\\a b\\report.ocx\"";
  RegistryFile registry(PathInTemp());
  registry.WriteString(HKLM, runOnce, "register report.ocx", command);
  EXPECT_TRUE(std::filesystem::is_symlink(PathInTemp()));
  EXPECT_EQ(ReadFileText(target),
            "REGEDIT4\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\n"
            "\"register report.ocx\"=\"C:\\\\Windows\\\\system32\\\\regsvr32.exe /s \\\"C:\\\\a b\\\\report.ocx\\\"\"\n");
  EXPECT_EQ(registry.ReadValue(HKLM, runOnce, "register report.ocx")->text, command);
  struct stat info;
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.path() / "shared"),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(RegistryFileTest, AWriteThatCannotHappenThrowsAndChangesNothing) {
  RegistryFile inMissingFolder((temp_.path() / "missing folder" / "registry.reg").string());
  EXPECT_THROW(inMissingFolder.WriteString(HKLM, "K", "V", "1"), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(temp_.path() / "missing folder"));

  // A UTF-16 file (regedit's version 5 format) reads as empty and is never overwritten.
  const std::string utf16("\xFF\xFEW\0i\0n\0", 8);
  RegistryFile unicode(Write(utf16));
  EXPECT_FALSE(unicode.ValueNames(HKLM, "SOFTWARE"));
  EXPECT_THROW(unicode.WriteString(HKLM, "K", "V", "1"), std::runtime_error);
  EXPECT_EQ(ReadFileText(PathInTemp()), utf16);

  // A line break cannot stand in a name or a key path of a .reg file.
  RegistryFile registry(Write(kExported));
  EXPECT_THROW(registry.WriteString(HKLM, "SOFTWARE\\K", "register a\nb.ocx", "x"), std::runtime_error);
  EXPECT_THROW(registry.WriteMultiString(HKLM, "SOFTWARE\\K\r\n[x]", "v", {"x"}), std::runtime_error);
  EXPECT_EQ(ReadFileText(PathInTemp()), kExported);
}

}  // namespace
}  // namespace maj::platform
