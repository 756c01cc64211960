#pragma once
// Paths of the PE fixtures that the build makes from tests/data/pe (see its README).
#include <string>

namespace maj::testing {

// <build>/tests/data/pe/<name>, e.g. PeFixture("full.dll") or PeFixture("broken/truncated_headers.dll").
inline std::string PeFixture(const std::string& name) {
  return std::string(MAJ_BINARY_ROOT) + "/tests/data/pe/" + name;
}

}  // namespace maj::testing
