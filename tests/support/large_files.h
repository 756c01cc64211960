#pragma once
// Incompressible contents: small ones held whole, large files written and compared in pieces, never held
// whole (their memory is measured by the bench, not here).
#include <cstdint>
#include <string>

namespace maj::testing {

// `size` pseudo-random (incompressible) bytes, the same for the same seed.
std::string RandomBytes(std::size_t size, unsigned seed);

// Writes `size` pseudo-random (incompressible) bytes to `path`, the same for the same seed.
void WriteRandomFile(const std::string& path, std::uint64_t size, unsigned seed);

// True when both files can be read and hold the same bytes.
bool SameFileContent(const std::string& a, const std::string& b);

}  // namespace maj::testing
