#pragma once
// Turning the name of a zip entry into a path under the extraction folder, refusing names that would leave it.
#include <optional>
#include <string>
#include <string_view>

namespace maj::archive {

struct EntryPath {
  // Relative local path, components separated by '/', never empty, never starting with '/'.
  std::string relative;
  // True for a folder entry (a name ending with a separator).
  bool isFolder = false;
};

// Where the entry named `entryName` goes, relative to the extraction folder. Archives made on Windows may
// separate folders with '\': it is treated like '/'. Empty and "." components are dropped. Returns nullopt
// for a name that could reach outside the folder: an absolute name ("/x", "\x", "C:x"), a ".." component, or
// a name with no component left.
std::optional<EntryPath> SafeEntryPath(std::string_view entryName);

}  // namespace maj::archive
