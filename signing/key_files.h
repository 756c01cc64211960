#pragma once
// The files that hold keys: a private key file (written once, mode 0600) and the line that describes a
// public key, as a trusted-keys file takes it.
#include <memory>
#include <string>

#include "signing/keys.h"

namespace maj::signing {

// "<public key in base64> <identifier>": one line that a trusted-keys file accepts as it stands.
std::string PublicKeyLine(const PublicKey& key);

// Writes a new private key to `path` (mode 0600, never over an existing file) and returns its PublicKeyLine.
// Throws std::runtime_error with a French description when the file exists or cannot be written.
std::string GenerateKeyFile(const std::string& path);

// Reads the private key file `path`. Throws std::runtime_error with a French description naming the file
// when it is missing, unreadable (a folder, no right), readable or writable by every user, or malformed.
std::shared_ptr<const SigningKey> LoadSigningKey(const std::string& path);

}  // namespace maj::signing
