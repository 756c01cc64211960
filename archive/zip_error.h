#pragma once
// The failure reported by the zip component.
#include <stdexcept>
#include <string>

namespace maj::archive {

// Thrown by every operation of the zip component. The text names the archive (or the file) concerned and
// what went wrong, in French, so that it can be shown to the user as it stands.
class ZipError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The start of a ZipError text about the archive `archiveName`: "Archive « name » : ".
inline std::string ZipErrorPrefix(const std::string& archiveName) { return "Archive « " + archiveName + " » : "; }

}  // namespace maj::archive
