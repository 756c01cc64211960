#include "signing/sha256_hasher.h"

#include <openssl/evp.h>
#include <sodium.h>

#include <cstdio>
#include <stdexcept>
#include <vector>


namespace maj::signing {

struct Sha256Hasher::Context {
  EVP_MD_CTX* digest = EVP_MD_CTX_new();
  ~Context() { EVP_MD_CTX_free(digest); }
};

Sha256Hasher::Sha256Hasher() : context_(std::make_unique<Context>()) {
  if (!context_->digest || EVP_DigestInit_ex(context_->digest, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("le calcul d'empreinte SHA-256 n'a pas pu démarrer");
  }
}

Sha256Hasher::~Sha256Hasher() = default;

void Sha256Hasher::Update(const void* data, std::size_t size) {
  if (EVP_DigestUpdate(context_->digest, data, size) != 1) {
    throw std::runtime_error("le calcul d'empreinte SHA-256 a échoué");
  }
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
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context_->digest, digest.data(), &length) != 1 || length != digest.size()) {
    throw std::runtime_error("le calcul d'empreinte SHA-256 a échoué");
  }
  return digest;
}

std::string ToHex(const unsigned char* bytes, std::size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

}  // namespace maj::signing
