#pragma once
// The public keys a workstation trusts: read from the trusted-keys file of its installation folder and from the
// system-wide one of packaged installs. One key per line (base64, as `maj --generate-key` prints it; anything
// after the key and a blank is a remark), blank lines and lines starting with # ignored. Several keys let a
// site replace its key: both are trusted while the versions signed by the old one are still installed.
#include <string>
#include <vector>

#include "signing/keys.h"

namespace maj::signing {

// Name of the trusted-keys file in the installation (application) folder.
inline constexpr const char kTrustedKeysFileName[] = "trusted-keys";
// The system-wide trusted-keys file of packaged installs.
inline constexpr const char kSystemTrustedKeysFile[] = "/etc/maj/trusted-keys";

class TrustedKeys {
 public:
  // Adds the keys of the file `path`; a missing file adds nothing. Throws std::runtime_error with a French
  // description naming the file and the line when a line is not a key, or when the file cannot be read.
  void AddFile(const std::string& path);
  void Add(const PublicKey& key) { keys_.push_back(key); }

  bool Empty() const { return keys_.empty(); }
  // The trusted key whose Identifier() is `identifier`, or nullptr.
  const PublicKey* Find(const std::string& identifier) const;

 private:
  std::vector<PublicKey> keys_;
};

// The keys of the installation folder's file (platform::ApplicationFolder()) and of the system-wide file.
// Throws as TrustedKeys::AddFile.
TrustedKeys InstallationTrustedKeys();

}  // namespace maj::signing
