#pragma once
// Settings (INI) files, read with the rules of the Windows profile reader.
#include <cstddef>
#include <string>
#include <string_view>

namespace maj::config {

// The value of `key` in `section` of `fileName`: section and key ignore letter case, the value is trimmed of
// blanks and of one pair of surrounding quotes, and it is cut to `bufferSize` - 1 characters. `defaultValue`
// when the file, section or key is absent (the default without its trailing blanks). A file name that is not
// a full path ("Orv_Spec.ini", "users\me\Orv_Spec.ini") is looked for below the Windows folder (environment
// variable WINDIR); Windows paths are turned into local ones and resolved ignoring case. A key line without
// '=' has an empty value; a section given twice is searched in both places.
std::string ReadProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                              std::size_t bufferSize, std::string_view fileName);

}  // namespace maj::config
