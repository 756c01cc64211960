#pragma once
// Large files for the tests that move big values: written and compared in pieces, never held whole, and the
// process's peak memory while some work runs.
#include <cstdint>
#include <functional>
#include <string>

namespace maj::testing {

// Writes `size` pseudo-random (incompressible) bytes to `path`, the same for the same seed.
void WriteRandomFile(const std::string& path, std::uint64_t size, unsigned seed);

// True when both files can be read and hold the same bytes.
bool SameFileContent(const std::string& a, const std::string& b);

// How far the peak resident memory of the process rose above its level at the start while `work` ran, in
// bytes.
std::uint64_t PeakMemoryGrowthOf(const std::function<void()>& work);

}  // namespace maj::testing
