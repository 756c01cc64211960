#include "tests/support/large_files.h"

#include <fstream>
#include <random>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace maj::testing {
namespace {

constexpr std::size_t kPiece = 1 << 20;

}  // namespace

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
  return bytes;
}

void WriteRandomFile(const std::string& path, std::uint64_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<char> piece(kPiece);
  for (std::uint64_t written = 0; written < size;) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, size - written));
    for (std::size_t i = 0; i < count; ++i) piece[i] = static_cast<char>(generator() & 0xFF);
    out.write(piece.data(), static_cast<std::streamsize>(count));
    written += count;
  }
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

bool SameFileContent(const std::string& a, const std::string& b) {
  std::ifstream first(a, std::ios::binary), second(b, std::ios::binary);
  if (!first || !second) return false;
  std::vector<char> left(kPiece), right(kPiece);
  for (;;) {
    first.read(left.data(), static_cast<std::streamsize>(left.size()));
    second.read(right.data(), static_cast<std::streamsize>(right.size()));
    if (first.gcount() != second.gcount()) return false;
    if (!std::equal(left.begin(), left.begin() + first.gcount(), right.begin())) return false;
    if (first.gcount() == 0) return true;
  }
}

}  // namespace maj::testing
