#include "signing/key_files.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "platform/unique_fd.h"

namespace maj::signing {
namespace {

constexpr std::size_t kLargestKeyFile = 4096;

std::string Quoted(const std::string& path) { return "« " + path + " »"; }

[[noreturn]] void Refuse(const std::string& text) { throw std::runtime_error(text); }

std::string ModeText(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

}  // namespace

std::string PublicKeyLine(const PublicKey& key) { return key.ToBase64() + " " + key.Identifier(); }

std::string GenerateKeyFile(const std::string& path) {
  const std::unique_ptr<SigningKey> key = SigningKey::Generate();
  const std::string line = PublicKeyLine(key->Public());
  const platform::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!fd.valid()) {
    if (errno == EEXIST) Refuse("Le fichier " + Quoted(path) + " existe déjà : une clé n'est jamais écrite par-dessus");
    Refuse("Écriture de la clé dans " + Quoted(path) + " impossible : " + std::strerror(errno));
  }
  std::string seed = key->SeedBase64();
  const std::string content =
      "# Clé privée de signature des publications MAJ (Ed25519) : à garder, ne jamais la diffuser.\n"
      "# Clé publique : " + line + "\n" + seed + "\n";
  sodium_memzero(seed.data(), seed.size());
  if (::fchmod(fd.get(), 0600) != 0 || !platform::WriteAll(fd.get(), content.data(), content.size()) ||
      ::fsync(fd.get()) != 0) {
    const std::string cause = std::strerror(errno);
    ::unlink(path.c_str());
    Refuse("Écriture de la clé dans " + Quoted(path) + " impossible : " + cause);
  }
  return line;
}

std::shared_ptr<const SigningKey> LoadSigningKey(const std::string& path) {
  const platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) {
    if (errno == ENOENT) Refuse("Clé de signature introuvable : " + Quoted(path));
    Refuse("Clé de signature illisible : " + Quoted(path) + " (" + std::strerror(errno) + ")");
  }
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    Refuse("Clé de signature illisible : " + Quoted(path) + " n'est pas un fichier");
  }
  if ((status.st_mode & S_IRWXO) != 0) {
    Refuse("La clé de signature " + Quoted(path) + " est accessible à tous les utilisateurs (droits " +
           ModeText(status.st_mode) + ") : réservez-la à son propriétaire avec chmod 600");
  }
  std::string content(kLargestKeyFile + 1, '\0');
  const ssize_t count = ::read(fd.get(), content.data(), content.size());
  if (count < 0) Refuse("Clé de signature illisible : " + Quoted(path) + " (" + std::strerror(errno) + ")");
  content.resize(static_cast<std::size_t>(count));

  const std::string malformed = "La clé de signature " + Quoted(path) +
                                " est mal formée : une ligne de 44 caractères base64 (la clé) est attendue, "
                                "hors lignes de commentaire commençant par #";
  if (content.size() > kLargestKeyFile) Refuse(malformed);
  std::optional<std::string> seed;
  std::istringstream lines(content);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    if (seed) Refuse(malformed);
    seed = FromBase64(line);
    if (!seed || seed->size() != SigningKey::kSeedSize) Refuse(malformed);
  }
  if (!seed) Refuse(malformed);
  std::array<unsigned char, SigningKey::kSeedSize> bytes{};
  std::copy(seed->begin(), seed->end(), bytes.begin());
  sodium_memzero(seed->data(), seed->size());
  auto key = std::make_shared<const SigningKey>(bytes);
  sodium_memzero(bytes.data(), bytes.size());
  return key;
}

}  // namespace maj::signing
