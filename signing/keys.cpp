#include "signing/keys.h"

#include <sodium.h>

#include <stdexcept>

namespace maj::signing {

void RequireSodium() {
  static const int result = sodium_init();
  if (result < 0) throw std::runtime_error("la bibliothèque de chiffrement libsodium n'a pas pu démarrer");
}

std::string Base64(const unsigned char* bytes, std::size_t size) {
  std::string text(sodium_base64_encoded_len(size, sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), bytes, size, sodium_base64_VARIANT_ORIGINAL);
  text.resize(text.find('\0'));
  return text;
}

std::optional<std::string> FromBase64(std::string_view text) {
  RequireSodium();
  std::string bytes(text.size(), '\0');
  std::size_t length = 0;
  const char* end = nullptr;
  if (sodium_base642bin(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), text.data(), text.size(),
                        nullptr, &length, &end, sodium_base64_VARIANT_ORIGINAL) != 0 ||
      end != text.data() + text.size()) {
    return std::nullopt;
  }
  bytes.resize(length);
  return bytes;
}

std::optional<PublicKey> PublicKey::FromBase64(std::string_view text) {
  const std::optional<std::string> bytes = signing::FromBase64(text);
  if (!bytes || bytes->size() != kSize) return std::nullopt;
  std::array<unsigned char, kSize> key{};
  std::copy(bytes->begin(), bytes->end(), key.begin());
  return PublicKey(key);
}

std::string PublicKey::ToBase64() const { return Base64(bytes_.data(), bytes_.size()); }

std::string PublicKey::Identifier() const {
  RequireSodium();
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, bytes_.data(), bytes_.size());
  char hex[17];
  sodium_bin2hex(hex, sizeof hex, digest, 8);
  return hex;
}

bool PublicKey::Verifies(std::string_view message, const Signature& signature) const {
  RequireSodium();
  return crypto_sign_verify_detached(signature.data(), reinterpret_cast<const unsigned char*>(message.data()),
                                     message.size(), bytes_.data()) == 0;
}

SigningKey::SigningKey() : public_(std::array<unsigned char, PublicKey::kSize>{}) { RequireSodium(); }

SigningKey::SigningKey(const std::array<unsigned char, kSeedSize>& seed) : SigningKey() {
  std::array<unsigned char, PublicKey::kSize> publicBytes{};
  crypto_sign_seed_keypair(publicBytes.data(), secret_.data(), seed.data());
  public_ = PublicKey(publicBytes);
}

std::unique_ptr<SigningKey> SigningKey::Generate() {
  RequireSodium();
  std::array<unsigned char, kSeedSize> seed{};
  randombytes_buf(seed.data(), seed.size());
  auto key = std::make_unique<SigningKey>(seed);
  sodium_memzero(seed.data(), seed.size());
  return key;
}

SigningKey::~SigningKey() { sodium_memzero(secret_.data(), secret_.size()); }

std::string SigningKey::SeedBase64() const {
  // libsodium's secret key is the seed followed by the public key.
  return Base64(secret_.data(), kSeedSize);
}

Signature SigningKey::Sign(std::string_view message) const {
  Signature signature{};
  crypto_sign_detached(signature.data(), nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                       message.size(), secret_.data());
  return signature;
}

}  // namespace maj::signing
