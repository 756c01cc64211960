#include "config/registry_access.h"

#include <gtest/gtest.h>

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::config {
namespace {

using maj::testing::TempFolder;

constexpr RegistryRoot HKLM = RegistryRoot::LocalMachine;

class RegistryAccessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = temp_.WriteFile("registry.reg",
                            "REGEDIT4\n\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ODBC\\ODBCINST.INI\\MariaDB Unicode]\n"
                            "\"Driver\"=\"libmaodbc.so\"\n"
                            "\"UsageCount\"=dword:00000001\n"
                            "\"DriverODBCVer\"=\"\"\n"
                            "\"List\"=hex(7):61,00,00\n"
                            "\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\.NETFramework\\policy\\v2.0]\n"
                            "\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\.NETFramework\\policy\\v4.0]\n"
                            "\"30319\"=\"30319-30319\"\n"
                            "\"1\"=\"1\"\n");
    env_.Set("MAJ_REGISTRY", path_);
  }
  TempFolder temp_;
  maj::testing::ScopedEnvironment env_;
  std::string path_;
};

TEST_F(RegistryAccessTest, OnlyTextValuesAreTextAndValueNamesAreListedInOrder) {
  const std::string key = "SOFTWARE\\ODBC\\ODBCINST.INI\\MariaDB Unicode";
  EXPECT_EQ(ReadRegistryText(HKLM, key, "Driver"), "libmaodbc.so");
  // An empty text is a text; a number, a list or nothing at all is nothing.
  EXPECT_EQ(ReadRegistryText(HKLM, key, "DriverODBCVer"), std::optional<std::string>(""));
  EXPECT_EQ(ReadRegistryText(HKLM, key, "UsageCount"), std::nullopt);
  EXPECT_EQ(ReadRegistryText(HKLM, key, "List"), std::nullopt);
  EXPECT_EQ(ReadRegistryText(HKLM, key, "Absent"), std::nullopt);
  EXPECT_EQ(ReadRegistryText(HKLM, "SOFTWARE\\Absent", "Driver"), std::nullopt);
  EXPECT_EQ(ReadRegistryText(RegistryRoot::CurrentUser, key, "Driver"), std::nullopt);

  EXPECT_EQ(ListRegistryValueNames(HKLM, "SOFTWARE\\Microsoft\\.NETFramework\\policy\\v4.0"),
            (std::vector<std::string>{"30319", "1"}));
  EXPECT_TRUE(ListRegistryValueNames(HKLM, "SOFTWARE\\Microsoft\\.NETFramework\\policy\\v2.0").empty());
  EXPECT_TRUE(ListRegistryValueNames(HKLM, "SOFTWARE\\Microsoft\\.NETFramework\\policy\\v1.1").empty());
  // A missing registry file holds nothing.
  env_.Set("MAJ_REGISTRY", temp_.str() + "/absent.reg");
  EXPECT_TRUE(ListRegistryValueNames(HKLM, "SOFTWARE\\Microsoft\\.NETFramework\\policy\\v4.0").empty());
  EXPECT_EQ(ReadRegistryText(HKLM, "SOFTWARE\\ODBC\\ODBCINST.INI\\MariaDB Unicode", "Driver"), std::nullopt);
}

}  // namespace
}  // namespace maj::config
