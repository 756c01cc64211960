#pragma once
// The running Windows version as an OS key, its address width and its system folder. On Linux the version
// and width come from the registry file (see the README).
#include <array>
#include <string>
#include <string_view>

namespace maj::sysinfo {

// Every OS key GetOSKey() can return. Each one, back-quoted, names the flag column of its Windows version in
// Fichier64 (column names ignore letter case).
inline constexpr std::array<std::string_view, 9> kKnownOSKeys = {
    "`win9x`", "`winME`", "`winNT4`", "`win2000`", "`winXP`", "`win2003`", "`vista`", "`win7`", "`win8`"};

// True when `key` is one of kKnownOSKeys, written exactly so.
bool IsKnownOSKey(std::string_view key);

// One of kKnownOSKeys, or empty when the version is unknown or cannot be read. The version is read once it
// has been read successfully; until then every call asks again.
std::string GetOSKey();

// True on a 64-bit Windows. Asked once per process, then remembered.
bool Is64Bit();

// WINDIR + "/SYSTEM" on 9x/ME (without asking the width), else "/SYSWOW64" on 64-bit, else "/SYSTEM32".
std::string OSSystemFolder();

// Forgets what GetOSKey() and Is64Bit() remembered (tests only).
void ResetOSIdentificationForTesting();

}  // namespace maj::sysinfo
