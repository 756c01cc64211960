#include "platform/registry_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/environment.h"
#include "platform/paths.h"
#include "platform/registry_document.h"
#include "platform/unique_fd.h"

namespace maj::platform {
namespace {

using registry_internal::RegistryDocument;

std::runtime_error SystemError(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

bool IsUtf16(const std::string& content) {
  return content.size() >= 2 && ((content[0] == '\xFF' && content[1] == '\xFE') ||
                                 (content[0] == '\xFE' && content[1] == '\xFF'));
}

// The file's bytes; empty when it does not exist. Throws when it exists but cannot be read.
std::string ReadContent(const std::string& path) {
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::string();
    throw SystemError("cannot read the registry file", path);
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t count = read(fd.get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) throw SystemError("cannot read the registry file", path);
    if (count == 0) break;
    content.append(buffer, static_cast<std::size_t>(count));
  }
  return content;
}

RegistryDocument Load(const std::string& path) {
  const std::string content = ReadContent(path);
  // A UTF-16 file (regedit's version 5 format) is not understood: it reads as empty.
  if (IsUtf16(content)) return RegistryDocument();
  return RegistryDocument::Parse(content);
}

// Replaces the file with `content` through a temporary file in the same folder, so that a reader never sees
// a half-written registry.
void ReplaceContent(const std::string& path, const std::string& content) {
  const std::string folder = ParentFolder(path).empty() ? "." : ParentFolder(path);
  std::string temporary = JoinPath(folder, std::string(".").append(FileName(path)).append(".XXXXXX"));
  UniqueFd fd(mkostemp(temporary.data(), O_CLOEXEC));
  if (fd.get() < 0) throw SystemError("cannot write the registry file", path);
  try {
    struct stat existing;
    mode_t mode = 0644;
    if (stat(path.c_str(), &existing) == 0) {
      mode = existing.st_mode & 07777;
    } else {
      const mode_t mask = umask(0);
      umask(mask);
      mode &= ~mask;
    }
    fchmod(fd.get(), mode);
    if (!WriteAll(fd.get(), content.data(), content.size())) {
      throw SystemError("cannot write the registry file", path);
    }
    if (fsync(fd.get()) != 0) throw SystemError("cannot write the registry file", path);
    if (!fd.Close()) throw SystemError("cannot write the registry file", path);
    if (rename(temporary.c_str(), path.c_str()) != 0) throw SystemError("cannot write the registry file", path);
  } catch (...) {
    unlink(temporary.c_str());
    throw;
  }
}

// Reads, changes and writes back the file while holding a lock on its folder, so that two processes of MAJ
// writing at the same moment do not lose each other's values.
template <typename Change>
void Update(const std::string& givenPath, Change change) {
  // A registry file that is a symbolic link is replaced where the link points, and the link stays.
  std::string path = givenPath;
  if (char* real = realpath(givenPath.c_str(), nullptr)) {
    path = real;
    free(real);
  }
  const std::string folder = ParentFolder(path).empty() ? "." : ParentFolder(path);
  UniqueFd lock(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (lock.get() < 0) throw SystemError("cannot write the registry file", path);
  while (flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) throw SystemError("cannot lock the registry file", path);
  }
  const std::string content = ReadContent(path);
  if (IsUtf16(content)) throw std::runtime_error("the registry file " + path + " is not in the REGEDIT4 format");
  RegistryDocument document = RegistryDocument::Parse(content);
  change(document);
  ReplaceContent(path, document.Serialize());
}

}  // namespace

std::string_view RegistryRootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

RegistryFile::RegistryFile(std::string path) : path_(std::move(path)) {}

std::optional<RegistryValue> RegistryFile::ReadValue(RegistryRoot root, std::string_view key,
                                                     std::string_view name) const {
  return Load(path_).Find(root, key, name);
}

std::optional<std::vector<std::string>> RegistryFile::ValueNames(RegistryRoot root, std::string_view key) const {
  return Load(path_).Names(root, key);
}

void RegistryFile::WriteString(RegistryRoot root, std::string_view key, std::string_view name,
                               std::string_view text) {
  RegistryValue value;
  value.type = RegistryValueType::String;
  value.text = std::string(text);
  Update(path_, [&](RegistryDocument& document) { document.Set(root, key, name, value); });
}

void RegistryFile::WriteMultiString(RegistryRoot root, std::string_view key, std::string_view name,
                                    const std::vector<std::string>& strings) {
  RegistryValue value;
  value.type = RegistryValueType::MultiString;
  value.strings = strings;
  Update(path_, [&](RegistryDocument& document) { document.Set(root, key, name, value); });
}

void RegistryFile::AppendMultiString(RegistryRoot root, std::string_view key, std::string_view name,
                                     const std::vector<std::string>& strings) {
  Update(path_, [&](RegistryDocument& document) {
    RegistryValue value;
    if (auto existing = document.Find(root, key, name); existing && existing->type == RegistryValueType::MultiString) {
      value = std::move(*existing);
    }
    value.type = RegistryValueType::MultiString;
    value.strings.insert(value.strings.end(), strings.begin(), strings.end());
    document.Set(root, key, name, value);
  });
}

void RegistryFile::EditMultiString(RegistryRoot root, std::string_view key, std::string_view name,
                                   const std::function<void(std::vector<std::string>&)>& edit) {
  Update(path_, [&](RegistryDocument& document) {
    std::optional<RegistryValue> value = document.Find(root, key, name);
    if (!value || value->type != RegistryValueType::MultiString) return;
    const std::vector<std::string> before = value->strings;
    edit(value->strings);
    if (value->strings.empty()) {
      document.Remove(root, key, name);
    } else if (value->strings != before) {
      document.Set(root, key, name, *value);
    }
  });
}

void RegistryFile::DeleteValue(RegistryRoot root, std::string_view key, std::string_view name) {
  if (!Load(path_).Find(root, key, name)) return;
  Update(path_, [&](RegistryDocument& document) { document.Remove(root, key, name); });
}

std::string RegistryFilePath() {
  const std::string configured = GetEnvironmentText("MAJ_REGISTRY");
  if (!configured.empty()) return configured;
  return JoinPath(ApplicationFolder(), "registry.reg");
}

RegistryFile SystemRegistry() { return RegistryFile(RegistryFilePath()); }

}  // namespace maj::platform
