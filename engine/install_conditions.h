#pragma once
// The install conditions of conditional packages: a package is wanted while its condition is not met.
#include <string_view>

namespace maj::engine {

// Type 1: `condition` is a file path, possibly in Windows form, where "%windir%" (any letter case) stands
// for the Windows folder (WINDIR). Met when a plain file matches it; the last component may hold the
// wildcards "*" and "?". Names compare ignoring letter case; folders do not count.
bool IsFileConditionMet(std::string_view condition);

// Type 2: `condition` is a key path, "\", a value name, under HKEY_LOCAL_MACHINE; the key path may start
// with "HKEY_LOCAL_MACHINE\" or "HKLM\". Met when that value exists as a text value. A text without any "\"
// names no value and is not met.
bool IsRegistryConditionMet(std::string_view condition);

// Windows file-name matching of `name` against `pattern` ignoring letter case: "*" any run of characters,
// "?" one character; "*.*" matches every name, with or without a dot.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace maj::engine
