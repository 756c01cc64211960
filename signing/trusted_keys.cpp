#include "signing/trusted_keys.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "platform/paths.h"

namespace maj::signing {

void TrustedKeys::AddFile(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) return;
  std::ifstream file(path);
  if (!file || !S_ISREG(status.st_mode)) {
    throw std::runtime_error("Fichier de clés de confiance « " + path + " » illisible");
  }
  int number = 0;
  for (std::string line; std::getline(file, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    const std::size_t end = line.find_first_of(" \t", start);
    const std::optional<PublicKey> key = PublicKey::FromBase64(line.substr(start, end - start));
    if (!key) {
      throw std::runtime_error("Fichier de clés de confiance « " + path + " », ligne " + std::to_string(number) +
                               " : clé publique illisible (44 caractères base64 attendus, comme les écrit "
                               "maj --generate-key)");
    }
    keys_.push_back(*key);
  }
  if (file.bad()) throw std::runtime_error("Fichier de clés de confiance « " + path + " » illisible");
}

const PublicKey* TrustedKeys::Find(const std::string& identifier) const {
  for (const PublicKey& key : keys_) {
    if (key.Identifier() == identifier) return &key;
  }
  return nullptr;
}

TrustedKeys InstallationTrustedKeys() {
  TrustedKeys keys;
  keys.AddFile(platform::JoinPath(platform::ApplicationFolder(), kTrustedKeysFileName));
  keys.AddFile(kSystemTrustedKeysFile);
  return keys;
}

}  // namespace maj::signing
