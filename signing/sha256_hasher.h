#pragma once
// SHA-256 of content that arrives in pieces (rows streamed from the database, files read in blocks). The digest
// comes from OpenSSL's libcrypto, which uses the processor's SHA instructions: libsodium's portable SHA-256 is
// about ten times slower and would double the time of an update run.
#include <array>
#include <cstddef>
#include <memory>
#include <string>

namespace maj::signing {

using Sha256 = std::array<unsigned char, 32>;

class Sha256Hasher {
 public:
  Sha256Hasher();
  ~Sha256Hasher();
  Sha256Hasher(const Sha256Hasher&) = delete;
  Sha256Hasher& operator=(const Sha256Hasher&) = delete;
  // Adds `size` bytes at `data` after those already added.
  void Update(const void* data, std::size_t size);
  // Adds the whole content of the local file `path`, read in blocks. Throws std::runtime_error (French,
  // naming the file) when it cannot be read.
  void UpdateFromFile(const std::string& path);
  // The digest of everything added. The hasher may not be used afterwards.
  Sha256 Final();

 private:
  struct Context;
  std::unique_ptr<Context> context_;
};

// Lower-case hexadecimal of `bytes`.
std::string ToHex(const unsigned char* bytes, std::size_t size);
inline std::string ToHex(const Sha256& digest) { return ToHex(digest.data(), digest.size()); }

}  // namespace maj::signing
