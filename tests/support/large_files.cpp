#include "tests/support/large_files.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <vector>

namespace maj::testing {
namespace {

constexpr std::size_t kPiece = 1 << 20;

// A "Vm...:" line of /proc/self/status, in bytes.
std::uint64_t StatusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
  }
  throw std::runtime_error("no " + field + " in /proc/self/status");
}

}  // namespace

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

std::uint64_t PeakMemoryGrowthOf(const std::function<void()>& work) {
  // "5" resets the peak resident set size (VmHWM) to the current one (VmRSS). Where the kernel refuses, the
  // earlier peak can only overstate the growth, never hide it.
  std::ofstream("/proc/self/clear_refs") << "5";
  const std::uint64_t before = StatusBytes("VmRSS");
  work();
  const std::uint64_t after = StatusBytes("VmHWM");
  return after > before ? after - before : 0;
}

}  // namespace maj::testing
