#pragma once
// Which private key publishing signs with, found the same way by the publishing panel and `maj --publish`.
#include <memory>
#include <optional>
#include <string>

#include "signing/keys.h"

namespace maj::signing {

// Environment variable naming the private key file.
inline constexpr const char kSigningKeyVariable[] = "MAJ_SIGNING_KEY";
// Section and key of the settings file naming the private key file.
inline constexpr const char kSigningKeySection[] = "MAJ";
inline constexpr const char kSigningKeyEntry[] = "cleSignature";

// The key publishing signs with: the file `keyFile` when given (the command line), else the file named by
// MAJ_SIGNING_KEY, else by key cleSignature of section [MAJ] of the settings file (config::SettingsFilePath(),
// so after config::LocateSettingsFile()). When none is named: nullptr when this installation trusts no key
// (InstallationTrustedKeys: the site does not sign), otherwise std::runtime_error with a French description of
// where to name one. Throws LoadSigningKey's and InstallationTrustedKeys' errors as they are.
std::shared_ptr<const SigningKey> ResolvePublishingKey(const std::optional<std::string>& keyFile);

}  // namespace maj::signing
