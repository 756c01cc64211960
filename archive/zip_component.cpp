#include "archive/zip_component.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "archive/zip_extraction.h"
#include "archive/zip_volume_set.h"
#include "platform/unique_fd.h"

namespace fs = std::filesystem;

namespace maj::archive {
namespace {

using platform::UniqueFd;
using platform::WriteAll;

constexpr size_t kCopyBufferSize = 256 * 1024;

void RemoveIfPresent(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

// Removes the volumes "<base>.NNN" found beside `base` (left by an earlier archive of that name).
void RemoveVolumes(const std::string& base) {
  fs::path basePath(base);
  fs::path folder = basePath.has_parent_path() ? basePath.parent_path() : fs::path(".");
  std::string prefix = basePath.filename().string() + ".";
  std::error_code ec;
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (name.size() < prefix.size() + 3 || name.compare(0, prefix.size(), prefix) != 0) continue;
    std::string digits = name.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") == std::string::npos) found.push_back(entry.path());
  }
  for (const auto& path : found) fs::remove(path, ec);
}

// Cuts the file `whole` of `size` bytes into volumes base.001, .002, … of `volumeSize` bytes (the last holds
// the rest) by streaming copy. Throws ZipError after removing the volumes already written.
void SplitIntoVolumes(const std::string& whole, std::uint64_t size, const std::string& base,
                      std::uint64_t volumeSize) {
  std::vector<std::string> written;
  try {
    UniqueFd input(open(whole.c_str(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0) {
      throw ZipError(ZipErrorPrefix(base) + "relecture impossible de l'archive : " + std::strerror(errno));
    }
    std::vector<char> buffer(kCopyBufferSize);
    std::uint64_t remaining = size;
    for (unsigned number = 1; remaining > 0; ++number) {
      std::string volume = VolumeName(base, number);
      UniqueFd output(open(volume.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
      if (output.get() < 0) {
        throw ZipError(ZipErrorPrefix(base) + "impossible de créer le volume « " + volume + " » : " +
                       std::strerror(errno));
      }
      written.push_back(volume);
      std::uint64_t left = std::min(volumeSize, remaining);
      while (left > 0) {
        ssize_t got = read(input.get(), buffer.data(), std::min<std::uint64_t>(left, buffer.size()));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
          throw ZipError(ZipErrorPrefix(base) + "relecture impossible de l'archive : " +
                         (got < 0 ? std::strerror(errno) : "fin de fichier inattendue"));
        }
        if (!WriteAll(output.get(), buffer.data(), static_cast<size_t>(got))) {
          throw ZipError(ZipErrorPrefix(base) + "écriture impossible du volume « " + volume + " » : " +
                         std::strerror(errno));
        }
        left -= static_cast<std::uint64_t>(got);
        remaining -= static_cast<std::uint64_t>(got);
      }
      if (!output.Close()) {
        throw ZipError(ZipErrorPrefix(base) + "écriture impossible du volume « " + volume + " » : " +
                       std::strerror(errno));
      }
    }
  } catch (...) {
    for (const auto& volume : written) RemoveIfPresent(volume);
    throw;
  }
}

}  // namespace

ZipComponent::ZipComponent() = default;
ZipComponent::~ZipComponent() = default;

void ZipComponent::AddFile(const std::string& sourcePath, const std::string& folderInArchive,
                           const std::string& nameInArchive) {
  std::error_code ec;
  if (!fs::is_regular_file(sourcePath, ec)) {
    throw ZipError("Fichier à compresser introuvable : « " + sourcePath + " »");
  }
  std::string entryName = folderInArchive;
  for (char& c : entryName) {
    if (c == '\\') c = '/';
  }
  if (!entryName.empty() && entryName.back() != '/') entryName += '/';
  entryName += nameInArchive.empty() ? fs::path(sourcePath).filename().string() : nameInArchive;
  sources_.push_back({sourcePath, entryName});
}

void ZipComponent::SetVolumeSize(double bytes) { volumeSize_ = bytes; }

void ZipComponent::WriteArchive(const std::string& archivePath) {
  if (sources_.empty()) throw ZipError(ZipErrorPrefix(archivePath) + "aucun fichier à compresser");

  // libzip writes the archive under a name of its own and renames it when complete; this name is then cut
  // into volumes or renamed to the archive's name.
  std::string whole = archivePath + ".part";
  RemoveIfPresent(whole);
  int code = 0;
  ZipArchivePtr archive(zip_open(whole.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
  if (!archive) {
    ZipErrorHolder error;
    zip_error_set(error.get(), code, errno);
    throw ZipError(ZipErrorPrefix(archivePath) + "création impossible (" + error.text() + ")");
  }
  for (const auto& source : sources_) {
    zip_source_t* data = zip_source_file(archive.get(), source.path.c_str(), 0, 0);
    if (data == nullptr) {
      throw ZipError(ZipErrorPrefix(archivePath) + "lecture impossible de « " + source.path + " » (" +
                     zip_strerror(archive.get()) + ")");
    }
    const zip_int64_t index = zip_file_add(archive.get(), source.entryName.c_str(), data, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(data);
      throw ZipError(ZipErrorPrefix(archivePath) + "ajout impossible de « " + source.path + " » (" +
                     zip_strerror(archive.get()) + ")");
    }
    // Deflate at level 6, as zip and 7-Zip do by default: libzip's default level is 9, about twice as slow
    // for archives barely smaller. (libzip ignores a level given with ZIP_CM_DEFAULT.)
    if (zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6) < 0) {
      throw ZipError(ZipErrorPrefix(archivePath) + "ajout impossible de « " + source.path + " » (" +
                     zip_strerror(archive.get()) + ")");
    }
  }
  if (zip_close(archive.get()) != 0) {
    std::string problem = zip_strerror(archive.get());
    RemoveIfPresent(whole);
    throw ZipError(ZipErrorPrefix(archivePath) + "écriture impossible (" + problem + ")");
  }
  archive.release();  // zip_close freed it

  std::error_code ec;
  std::uint64_t size = fs::file_size(whole, ec);
  if (ec) {
    RemoveIfPresent(whole);
    throw ZipError(ZipErrorPrefix(archivePath) + "archive écrite introuvable : " + ec.message());
  }

  // Only the new archive's files may remain under these names: the caller looks for the whole archive
  // first, then for the volumes.
  RemoveIfPresent(archivePath);
  RemoveVolumes(archivePath);
  double limit = std::floor(volumeSize_);
  if (!(limit >= 1) || static_cast<double>(size) <= limit) {
    fs::rename(whole, archivePath, ec);
    if (ec) {
      RemoveIfPresent(whole);
      throw ZipError(ZipErrorPrefix(archivePath) + "écriture impossible : " + ec.message());
    }
    return;
  }
  try {
    SplitIntoVolumes(whole, size, archivePath, static_cast<std::uint64_t>(limit));
  } catch (...) {
    RemoveIfPresent(whole);
    throw;
  }
  RemoveIfPresent(whole);
}

void ZipComponent::OpenArchive(const std::string& archivePath) {
  opened_.reset();
  VolumeSet set = FindVolumes(archivePath);
  ZipErrorHolder error;
  zip_source_t* source = NewVolumeSource(set, error.get());
  if (source == nullptr) throw ZipError(ZipErrorPrefix(archivePath) + "ouverture impossible (" + error.text() + ")");
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, error.get());
  if (archive == nullptr) {
    zip_source_free(source);
    std::string problem = error.text();
    throw ZipError(ZipErrorPrefix(archivePath) + "archive illisible (" + problem + ")" +
                   (set.split ? " : un volume est tronqué, manquant ou d'un autre ensemble"
                              : " : elle est tronquée ou n'est pas une archive zip"));
  }
  opened_.reset(archive);
  openedPath_ = archivePath;
  openedSplit_ = set.split;
}

std::vector<std::string> ZipComponent::EntryNames() const {
  if (!opened_) throw ZipError("Aucune archive ouverte pour en lister le contenu");
  const zip_int64_t count = zip_get_num_entries(opened_.get(), 0);
  std::vector<std::string> names;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(opened_.get(), static_cast<zip_uint64_t>(i), 0);
    if (name == nullptr) {
      throw ZipError(ZipErrorPrefix(openedPath_) + "nom d'entrée illisible (" + zip_strerror(opened_.get()) + ")");
    }
    names.emplace_back(name);
  }
  return names;
}

void ZipComponent::ExtractArchive(const std::string& folder) {
  if (!opened_) throw ZipError("Aucune archive ouverte pour l'extraction vers « " + folder + " »");
  // Volumes carry no mark of their set: one taken from another set shows only as corrupt data.
  ExtractEntries(opened_.get(), openedPath_, folder,
                 openedSplit_ ? " : un volume est peut-être endommagé ou d'un autre ensemble" : "", progress_);
}

}  // namespace maj::archive
