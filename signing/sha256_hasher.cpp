#include "signing/sha256_hasher.h"

#include <sodium.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "signing/keys.h"

namespace maj::signing {

static_assert(sizeof(crypto_hash_sha256_state) <= 128, "state buffer too small");

Sha256Hasher::Sha256Hasher() {
  RequireSodium();
  crypto_hash_sha256_init(reinterpret_cast<crypto_hash_sha256_state*>(state_));
}

void Sha256Hasher::Update(const void* data, std::size_t size) {
  crypto_hash_sha256_update(reinterpret_cast<crypto_hash_sha256_state*>(state_),
                            static_cast<const unsigned char*>(data), size);
}

void Sha256Hasher::UpdateFromFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) throw std::runtime_error("lecture de « " + path + " » impossible pour son empreinte");
  std::vector<char> block(1 << 16);
  std::size_t count;
  while ((count = std::fread(block.data(), 1, block.size(), file)) > 0) Update(block.data(), count);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw std::runtime_error("lecture de « " + path + " » interrompue pour son empreinte");
}

Sha256 Sha256Hasher::Final() {
  Sha256 digest{};
  crypto_hash_sha256_final(reinterpret_cast<crypto_hash_sha256_state*>(state_), digest.data());
  return digest;
}

std::string ToHex(const unsigned char* bytes, std::size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

}  // namespace maj::signing
