#include "sysinfo/os_identification.h"

#include <sys/utsname.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <stdexcept>

#include "platform/environment.h"
#include "platform/paths.h"
#include "platform/registry_file.h"
#include "platform/text.h"

namespace maj::sysinfo {
namespace {

using platform::RegistryRoot;

struct VersionRecord {
  int major = 0;
  int minor = 0;
  int platformId = 0;
};

struct State {
  std::optional<VersionRecord> version;  // set once the version has been read
  std::optional<bool> is64Bit;           // set by the first width query
};

State& OSState() {
  static State state;
  return state;
}

std::optional<std::string> ReadText(std::string_view key, std::string_view name) {
  const auto value = platform::SystemRegistry().ReadValue(RegistryRoot::LocalMachine, key, name);
  if (!value || value->type != platform::RegistryValueType::String) return std::nullopt;
  return value->text;
}

// "5.1" or "4.10.2222": the first two numbers.
std::optional<std::pair<int, int>> ParseVersion(std::string_view text) {
  int major = 0;
  int minor = 0;
  const char* end = text.data() + text.size();
  auto first = std::from_chars(text.data(), end, major);
  if (first.ec != std::errc() || first.ptr == end || *first.ptr != '.') return std::nullopt;
  auto second = std::from_chars(first.ptr + 1, end, minor);
  if (second.ec != std::errc() || (second.ptr != end && *second.ptr != '.')) return std::nullopt;
  return std::make_pair(major, minor);
}

// The version query: an NT version (platform id 2) when the NT key names one, else a 9x version (platform
// id 1); nullopt when neither can be read.
std::optional<VersionRecord> QueryVersion() {
  try {
    if (auto nt = ReadText("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion")) {
      if (auto parsed = ParseVersion(*nt)) return VersionRecord{parsed->first, parsed->second, 2};
    }
    if (auto nine = ReadText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "VersionNumber")) {
      if (auto parsed = ParseVersion(*nine)) return VersionRecord{parsed->first, parsed->second, 1};
    }
  } catch (const std::runtime_error&) {
    // An unreadable registry is a failed query: asked again on the next call.
  }
  return std::nullopt;
}

bool MachineIs64Bit() {
  utsname names;
  if (uname(&names) != 0) return sizeof(void*) == 8;
  return std::string_view(names.machine).find("64") != std::string_view::npos;
}

bool QueryIs64Bit() {
  try {
    if (auto architecture = ReadText("SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment",
                                     "PROCESSOR_ARCHITECTURE")) {
      if (platform::EqualsIgnoreCase(*architecture, "x86")) return false;
      if (platform::EqualsIgnoreCase(*architecture, "AMD64") || platform::EqualsIgnoreCase(*architecture, "IA64") ||
          platform::EqualsIgnoreCase(*architecture, "ARM64")) {
        return true;
      }
    }
  } catch (const std::runtime_error&) {
  }
  return MachineIs64Bit();
}

std::string KeyFor(const VersionRecord& version) {
  if (version.platformId != 2) {
    if (version.major == 4 && (version.minor == 0 || version.minor == 10)) return "`win9x`";
    if (version.major == 4 && version.minor == 90) return "`winME`";
    return std::string();
  }
  if (version.major == 4 && version.minor == 0) return "`winNT4`";
  if (version.major == 5 && version.minor == 0) return "`win2000`";
  if (version.major == 5 && version.minor == 1) return "`winXP`";
  if (version.major == 5 && version.minor == 2) return "`win2003`";
  if (version.major == 6 && version.minor == 0) return "`vista`";
  if (version.major == 6 && version.minor == 1) return "`win7`";
  if (version.major == 6 && version.minor == 2) return "`win8`";
  return std::string();
}

}  // namespace

bool IsKnownOSKey(std::string_view key) {
  return std::find(kKnownOSKeys.begin(), kKnownOSKeys.end(), key) != kKnownOSKeys.end();
}

std::string GetOSKey() {
  State& state = OSState();
  if (!state.version) state.version = QueryVersion();
  return state.version ? KeyFor(*state.version) : std::string();
}

bool Is64Bit() {
  State& state = OSState();
  if (!state.is64Bit) state.is64Bit = QueryIs64Bit();
  return *state.is64Bit;
}

std::string OSSystemFolder() {
  const std::string windowsFolder = platform::ToLocalPath(platform::GetEnvironmentText("WINDIR"));
  const std::string key = GetOSKey();
  if (key == "`winME`" || key == "`win9x`") return windowsFolder + "/SYSTEM";
  return windowsFolder + (Is64Bit() ? "/SYSWOW64" : "/SYSTEM32");
}

void ResetOSIdentificationForTesting() { OSState() = State(); }

}  // namespace maj::sysinfo
