#include "archive/zip_entry_names.h"

#include <cctype>

namespace maj::archive {

std::optional<EntryPath> SafeEntryPath(std::string_view entryName) {
  std::string name(entryName);
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  if (name.empty() || name.front() == '/') return std::nullopt;
  // A drive letter makes a Windows name absolute, even without a separator after it ("C:x").
  if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
    return std::nullopt;
  }

  EntryPath result;
  result.isFolder = name.back() == '/';
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    std::string_view component(name.data() + start, end - start);
    if (component == "..") return std::nullopt;
    if (!component.empty() && component != ".") {
      if (!result.relative.empty()) result.relative += '/';
      result.relative += component;
    }
    start = end + 1;
  }
  if (result.relative.empty()) return std::nullopt;
  return result;
}

}  // namespace maj::archive
