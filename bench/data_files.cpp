#include "bench/data_files.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace maj::bench {
namespace {

constexpr std::size_t kChunk = 1 << 20;

// splitmix64: fast, and good enough to defeat deflate.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t state_;
};

void FillIncompressible(std::vector<char>& buffer, Random& random) {
  for (std::size_t i = 0; i + 8 <= buffer.size(); i += 8) {
    const std::uint64_t value = random.Next();
    std::copy_n(reinterpret_cast<const char*>(&value), 8, buffer.data() + i);
  }
}

// Lines such as "0001234 entrée=valeur mot mot mot ... 5821\n" built from 4096 made-up words.
class TextSource {
 public:
  explicit TextSource(Random& random) : random_(random) {
    static constexpr std::array<const char*, 16> kSyllables = {"ma", "jo", "ur", "sce", "ni", "pro", "ta", "le",
                                                              "vre", "on", "di", "que", "ba", "rel", "to", "su"};
    for (int i = 0; i < 4096; ++i) {
      std::string word;
      const int length = 2 + static_cast<int>(random_.Next() % 3);
      for (int s = 0; s < length; ++s) word += kSyllables[random_.Next() % kSyllables.size()];
      words_.push_back(word);
    }
  }

  void Fill(std::vector<char>& buffer) {
    std::size_t used = 0;
    while (used < buffer.size()) {
      if (pending_.empty()) NextLine();
      const std::size_t count = std::min(pending_.size() - offset_, buffer.size() - used);
      std::copy_n(pending_.data() + offset_, count, buffer.data() + used);
      used += count;
      offset_ += count;
      if (offset_ == pending_.size()) {
        pending_.clear();
        offset_ = 0;
      }
    }
  }

 private:
  void NextLine() {
    pending_ = std::to_string(++line_);
    const int wordCount = 6 + static_cast<int>(random_.Next() % 8);
    for (int i = 0; i < wordCount; ++i) {
      pending_ += ' ';
      pending_ += words_[random_.Next() % words_.size()];
    }
    pending_ += ' ';
    pending_ += std::to_string(random_.Next() % 100000);
    pending_ += '\n';
  }

  Random& random_;
  std::vector<std::string> words_;
  std::string pending_;
  std::size_t offset_ = 0;
  std::uint64_t line_ = 0;
};

}  // namespace

const char* DataKindName(DataKind kind) {
  return kind == DataKind::kIncompressible ? "incompressible" : "compressible";
}

void WriteDataFile(const std::string& path, std::uint64_t size, DataKind kind, std::uint64_t seed) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot create " + path);
  Random random(seed);
  TextSource text(random);
  std::vector<char> buffer(kChunk);
  for (std::uint64_t written = 0; written < size;) {
    if (kind == DataKind::kIncompressible) {
      FillIncompressible(buffer, random);
    } else {
      text.Fill(buffer);
    }
    const std::uint64_t count = std::min<std::uint64_t>(buffer.size(), size - written);
    out.write(buffer.data(), static_cast<std::streamsize>(count));
    written += count;
  }
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool SameContent(const std::string& first, const std::string& second) {
  std::ifstream a(first, std::ios::binary);
  std::ifstream b(second, std::ios::binary);
  if (!a || !b) return false;
  std::vector<char> bufferA(kChunk), bufferB(kChunk);
  while (true) {
    a.read(bufferA.data(), static_cast<std::streamsize>(bufferA.size()));
    b.read(bufferB.data(), static_cast<std::streamsize>(bufferB.size()));
    if (a.gcount() != b.gcount()) return false;
    if (!std::equal(bufferA.begin(), bufferA.begin() + a.gcount(), bufferB.begin())) return false;
    if (a.gcount() == 0 || !a) return a.eof() && b.eof();
  }
}

std::uint64_t FileSize(const std::string& path) {
  std::error_code error;
  const std::uint64_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

}  // namespace maj::bench
