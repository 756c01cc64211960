#pragma once
// Ed25519 keys of the publisher: the public key a workstation trusts, the private key that signs, and the
// short identifier that names a key in a signed record.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace maj::signing {

// Initialises libsodium once for the process. Throws std::runtime_error when it cannot.
void RequireSodium();

using Signature = std::array<unsigned char, 64>;

class PublicKey {
 public:
  static constexpr std::size_t kSize = 32;
  explicit PublicKey(const std::array<unsigned char, kSize>& bytes) : bytes_(bytes) {}

  // The key written as one line of standard base64 (44 characters), or nullopt when `text` is not exactly that.
  static std::optional<PublicKey> FromBase64(std::string_view text);
  std::string ToBase64() const;

  // The first 8 bytes of the SHA-256 of the key, in lower-case hexadecimal (16 characters).
  std::string Identifier() const;

  // True when `signature` is this key's Ed25519 signature of `message`.
  bool Verifies(std::string_view message, const Signature& signature) const;

  const std::array<unsigned char, kSize>& Bytes() const { return bytes_; }

 private:
  std::array<unsigned char, kSize> bytes_;
};

// A private signing key, wiped from memory when destroyed. Not copyable.
class SigningKey {
 public:
  static constexpr std::size_t kSeedSize = 32;
  // A new random key.
  static std::unique_ptr<SigningKey> Generate();
  // The key derived from a 32-byte seed (what a key file holds).
  explicit SigningKey(const std::array<unsigned char, kSeedSize>& seed);
  ~SigningKey();
  SigningKey(const SigningKey&) = delete;
  SigningKey& operator=(const SigningKey&) = delete;

  const PublicKey& Public() const { return public_; }
  // The seed in standard base64, as a key file holds it.
  std::string SeedBase64() const;
  // The Ed25519 signature of `message`.
  Signature Sign(std::string_view message) const;

 private:
  SigningKey();
  std::array<unsigned char, 64> secret_{};
  PublicKey public_;
};

// Standard base64 of `bytes`, and its reverse (nullopt for anything that is not exactly that).
std::string Base64(const unsigned char* bytes, std::size_t size);
std::optional<std::string> FromBase64(std::string_view text);

}  // namespace maj::signing
