#pragma once
// Settings (INI) files, read with the rules of the Windows profile reader.
#include <cstddef>
#include <string>
#include <string_view>

namespace maj::config {

// The value of `key` in `section` of `fileName`: section and key ignore letter case, the value is trimmed of
// blanks and of one pair of surrounding quotes, and it is cut to `bufferSize` - 1 characters. `defaultValue`
// when the file, section or key is absent. A bare file name (no folder) is looked for in the Windows folder
// (environment variable WINDIR); Windows paths are turned into local ones.
std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize, std::string_view fileName);

}  // namespace maj::config
