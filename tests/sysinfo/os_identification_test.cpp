#include "sysinfo/os_identification.h"

#include <sys/utsname.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/registry_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::sysinfo {
namespace {

// A registry file of its own, WINDIR "C:\Windows" through a Wine prefix in a temp folder, and nothing
// remembered from an earlier test.
class OSIdentificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.Set("MAJ_REGISTRY", temp_.str() + "/registry.reg")
        .Set("WINEPREFIX", temp_.str() + "/wine")
        .Set("WINDIR", "C:\\Windows");
    ResetOSIdentificationForTesting();
  }
  void TearDown() override { ResetOSIdentificationForTesting(); }

  void Write(std::string_view key, std::string_view name, std::string_view text) {
    platform::SystemRegistry().WriteString(platform::RegistryRoot::LocalMachine, key, name, text);
  }
  void SetNt(std::string_view v) { Write("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion", v); }
  void Set9x(std::string_view v) { Write("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "VersionNumber", v); }
  void SetArchitecture(std::string_view architecture) {
    Write("SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", "PROCESSOR_ARCHITECTURE",
          architecture);
  }
  std::string Windows() const { return temp_.str() + "/wine/dosdevices/c:/Windows"; }

  maj::testing::TempFolder temp_;
  maj::testing::ScopedEnvironment env_;
};

TEST_F(OSIdentificationTest, EveryVersionGivesItsKey) {
  // VersionNumber values first, then CurrentVersion values, which win over the VersionNumber left in place.
  const std::pair<const char*, const char*> versions[] = {
      {"4.00.950", "`win9x`"}, {"4.10.2222", "`win9x`"}, {"4.90.3000", "`winME`"}, {"4.45", ""}, {"5.1.2600", ""},
      {"4.0", "`winNT4`"},     {"5.0", "`win2000`"},     {"5.1", "`winXP`"},      {"5.2", "`win2003`"},
      {"6.0", "`vista`"},      {"6.1", "`win7`"},        {"6.2", "`win8`"},       {"4.1", ""},
      {"6.3", ""},             {"10.0", ""},             {"5.10", ""},            {"not a version", ""}};
  std::set<std::string> given;
  for (std::size_t i = 0; i < std::size(versions); ++i) {
    const auto [version, key] = versions[i];
    i < 5 ? Set9x(version) : SetNt(version);
    ResetOSIdentificationForTesting();
    EXPECT_EQ(GetOSKey(), key) << version;
    if (*key != '\0') given.insert(key);
  }
  // The list of known keys is exactly what the versions give.
  EXPECT_EQ(given, std::set<std::string>(kKnownOSKeys.begin(), kKnownOSKeys.end()));
  for (const std::string& key : given) EXPECT_TRUE(IsKnownOSKey(key)) << key;
  for (const char* unknown : {"", "`WINXP`", "winXP", "`winXP` <> 0 or 1"}) EXPECT_FALSE(IsKnownOSKey(unknown));
}

TEST_F(OSIdentificationTest, SystemFolderFollowsVersionAndWidth) {
  // 9x and ME: "SYSTEM", without asking the width (had it been asked, it would stay 64).
  for (const char* version : {"4.10.2222", "4.90.3000"}) {
    ResetOSIdentificationForTesting();
    Set9x(version);
    SetArchitecture("AMD64");
    EXPECT_EQ(OSSystemFolder(), Windows() + "/SYSTEM") << version;
    SetArchitecture("x86");
    EXPECT_FALSE(Is64Bit()) << version;
  }

  ResetOSIdentificationForTesting();
  SetNt("6.1");
  SetArchitecture("AMD64");
  EXPECT_EQ(OSSystemFolder(), Windows() + "/SYSWOW64");
  ResetOSIdentificationForTesting();
  SetArchitecture("x86");
  EXPECT_EQ(OSSystemFolder(), Windows() + "/SYSTEM32");
  env_.Set("WINDIR", "/srv/windows");
  EXPECT_EQ(OSSystemFolder(), "/srv/windows/SYSTEM32");

  // An architecture it does not know: the machine's own width.
  utsname names;
  ASSERT_EQ(uname(&names), 0);
  SetArchitecture("unknown");
  ResetOSIdentificationForTesting();
  EXPECT_EQ(Is64Bit(), std::string_view(names.machine).find("64") != std::string_view::npos);
}

}  // namespace
}  // namespace maj::sysinfo
