#include "archive/rar_volume_names.h"

#include <cctype>

namespace maj::archive {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string NextOldStyle(std::string path, std::size_t nameStart) {
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) {
    path.append(".r00");
    return path;
  }
  std::string extension = path.substr(dot + 1);
  if (extension.size() != 3 || !IsDigit(extension[1]) || !IsDigit(extension[2])) {
    const bool upper = !extension.empty() && std::isupper(static_cast<unsigned char>(extension[0]));
    path.resize(dot);
    path.append(upper ? ".R00" : ".r00");
    return path;
  }
  // Increment the two digits; a carry out of them moves the letter on (".r99" -> ".s00").
  for (std::size_t at = path.size() - 1;; --at) {
    if (at == dot + 1) {
      ++path[at];
      break;
    }
    if (path[at] == '9') {
      path[at] = '0';
      continue;
    }
    ++path[at];
    break;
  }
  return path;
}

}  // namespace

std::string NextRarVolumeName(std::string_view volumePath, bool newNumbering) {
  std::string path(volumePath);
  std::size_t slash = path.find_last_of('/');
  std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (!newNumbering) return NextOldStyle(path, nameStart);

  std::size_t dot = path.rfind('.');
  std::size_t stemEnd = (dot == std::string::npos || dot < nameStart) ? path.size() : dot;
  std::size_t last = stemEnd;
  while (last > nameStart && !IsDigit(path[last - 1])) --last;
  if (last == nameStart) return NextOldStyle(path, nameStart);
  std::size_t at = last - 1;
  while (true) {
    if (path[at] != '9') {
      ++path[at];
      break;
    }
    path[at] = '0';
    if (at == nameStart || !IsDigit(path[at - 1])) {
      path.insert(path.begin() + static_cast<std::ptrdiff_t>(at), '1');
      break;
    }
    --at;
  }
  return path;
}

}  // namespace maj::archive
