#pragma once
// The files that the benchmarks publish and fetch.
#include <cstdint>
#include <string>

namespace maj::bench {

enum class DataKind {
  kIncompressible,  // pseudo-random bytes: deflate cannot shrink them
  kCompressible,    // text lines from a small vocabulary: deflate shrinks them about three times
};

// "incompressible" or "compressible".
const char* DataKindName(DataKind kind);

// Writes `size` bytes of `kind` to `path` (created or replaced). The same seed gives the same bytes.
void WriteDataFile(const std::string& path, std::uint64_t size, DataKind kind, std::uint64_t seed);

// True when both files exist and hold the same bytes.
bool SameContent(const std::string& first, const std::string& second);

// Size of a file in bytes; 0 when missing.
std::uint64_t FileSize(const std::string& path);

}  // namespace maj::bench
