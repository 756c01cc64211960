#include "sysinfo/os_identification.h"

#include <sys/utsname.h>

#include <gtest/gtest.h>

#include "platform/registry_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::sysinfo {
namespace {

using platform::RegistryRoot;

constexpr std::string_view kNtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view k9xKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kEnvironmentKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

class OSIdentificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.Set("MAJ_REGISTRY", Registry().path()).Set("WINEPREFIX", temp_.str() + "/wine").Set("WINDIR", "C:\\Windows");
    ResetOSIdentificationForTesting();
  }
  void TearDown() override { ResetOSIdentificationForTesting(); }

  platform::RegistryFile Registry() const { return platform::RegistryFile(temp_.str() + "/registry.reg"); }
  void SetNt(std::string_view version) {
    Registry().WriteString(RegistryRoot::LocalMachine, kNtKey, "CurrentVersion", version);
  }
  void Set9x(std::string_view version) {
    Registry().WriteString(RegistryRoot::LocalMachine, k9xKey, "VersionNumber", version);
  }
  void SetArchitecture(std::string_view architecture) {
    Registry().WriteString(RegistryRoot::LocalMachine, kEnvironmentKey, "PROCESSOR_ARCHITECTURE", architecture);
  }
  std::string Windows() const { return temp_.str() + "/wine/dosdevices/c:/Windows"; }

  maj::testing::TempFolder temp_;
  maj::testing::ScopedEnvironment env_;
};

TEST_F(OSIdentificationTest, NtVersionsGiveTheirKeys) {
  const std::pair<const char*, const char*> rows[] = {
      {"4.0", "`winNT4`"}, {"5.0", "`win2000`"}, {"5.1", "`winXP`"}, {"5.2", "`win2003`"}, {"6.0", "`vista`"},
      {"6.1", "`win7`"},   {"6.2", "`win8`"},    {"4.1", ""},         {"6.3", ""},         {"10.0", ""},
      {"5.10", ""},
  };
  for (const auto& [version, key] : rows) {
    SetNt(version);
    ResetOSIdentificationForTesting();
    EXPECT_EQ(GetOSKey(), key) << "CurrentVersion " << version;
  }
}

TEST_F(OSIdentificationTest, NineXVersionsGiveTheirKeys) {
  const std::pair<const char*, const char*> rows[] = {
      {"4.00.950", "`win9x`"}, {"4.10.2222", "`win9x`"}, {"4.90.3000", "`winME`"}, {"4.45", ""}, {"5.1.2600", ""},
  };
  for (const auto& [version, key] : rows) {
    Set9x(version);
    ResetOSIdentificationForTesting();
    EXPECT_EQ(GetOSKey(), key) << "VersionNumber " << version;
  }
  // An NT version wins over a 9x one.
  SetNt("5.1");
  ResetOSIdentificationForTesting();
  EXPECT_EQ(GetOSKey(), "`winXP`");
}

TEST_F(OSIdentificationTest, AnUnreadableVersionIsAskedAgainUntilItIsRead) {
  EXPECT_EQ(GetOSKey(), "");
  SetNt("not a version");
  EXPECT_EQ(GetOSKey(), "");
  SetNt("6.1");
  EXPECT_EQ(GetOSKey(), "`win7`");
  // Once read, the version stays.
  SetNt("5.1");
  EXPECT_EQ(GetOSKey(), "`win7`");
}

TEST_F(OSIdentificationTest, AVersionOutsideTheTableIsReadOnce) {
  SetNt("10.0");
  EXPECT_EQ(GetOSKey(), "");
  SetNt("6.1");
  EXPECT_EQ(GetOSKey(), "");
}

TEST_F(OSIdentificationTest, TheWidthIsAskedOnce) {
  SetArchitecture("AMD64");
  EXPECT_TRUE(Is64Bit());
  SetArchitecture("x86");
  EXPECT_TRUE(Is64Bit());
  ResetOSIdentificationForTesting();
  EXPECT_FALSE(Is64Bit());
}

TEST_F(OSIdentificationTest, WithoutAnArchitectureTheMachinesWidthCounts) {
  utsname names;
  ASSERT_EQ(uname(&names), 0);
  const bool machine64 = std::string_view(names.machine).find("64") != std::string_view::npos;
  EXPECT_EQ(Is64Bit(), machine64);
  SetArchitecture("unknown");
  ResetOSIdentificationForTesting();
  EXPECT_EQ(Is64Bit(), machine64);
}

TEST_F(OSIdentificationTest, SystemFolderFollowsVersionAndWidth) {
  SetNt("6.1");
  SetArchitecture("AMD64");
  EXPECT_EQ(OSSystemFolder(), Windows() + "/SYSWOW64");
  ResetOSIdentificationForTesting();
  SetArchitecture("x86");
  EXPECT_EQ(OSSystemFolder(), Windows() + "/SYSTEM32");
  env_.Set("WINDIR", "/srv/windows");
  EXPECT_EQ(OSSystemFolder(), "/srv/windows/SYSTEM32");
}

TEST_F(OSIdentificationTest, NineXAndMeSystemFolderDoesNotAskTheWidth) {
  for (const char* version : {"4.10.2222", "4.90.3000"}) {
    ResetOSIdentificationForTesting();
    Set9x(version);
    SetArchitecture("AMD64");
    EXPECT_EQ(OSSystemFolder(), Windows() + "/SYSTEM");
    // Had the width been asked above, it would still be 64.
    SetArchitecture("x86");
    EXPECT_FALSE(Is64Bit());
  }
}

}  // namespace
}  // namespace maj::sysinfo
