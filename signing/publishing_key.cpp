#include "signing/publishing_key.h"

#include <stdexcept>

#include "config/installation.h"
#include "config/profile_reader.h"
#include "platform/environment.h"
#include "signing/key_files.h"
#include "signing/trusted_keys.h"

namespace maj::signing {

std::shared_ptr<const SigningKey> ResolvePublishingKey(const std::optional<std::string>& keyFile) {
  std::string path = keyFile.value_or("");
  if (path.empty()) path = platform::GetEnvironmentVariable(kSigningKeyVariable).value_or("");
  if (path.empty() && !config::SettingsFilePath().empty()) {
    path = config::ReadProfileString(kSigningKeySection, kSigningKeyEntry, "", 4096, config::SettingsFilePath());
  }
  if (!path.empty()) return LoadSigningKey(path);
  if (InstallationTrustedKeys().Empty()) return nullptr;
  throw std::runtime_error(std::string("Aucune clé de signature : ce site signe ses publications. Indiquez le "
                                       "fichier de la clé privée avec --signing-key, la variable ") +
                           kSigningKeyVariable + " ou la clé " + kSigningKeyEntry + " de la section [" +
                           kSigningKeySection + "] du fichier de paramètres.");
}

}  // namespace maj::signing
