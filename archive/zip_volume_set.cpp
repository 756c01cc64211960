#include "archive/zip_volume_set.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "archive/zip_error.h"
#include "platform/unique_fd.h"

namespace fs = std::filesystem;

namespace maj::archive {
namespace {

bool IsRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::uint64_t SizeOf(const std::string& path) {
  std::error_code ec;
  auto size = fs::file_size(path, ec);
  if (ec) throw ZipError("Lecture impossible du volume « " + path + " » : " + ec.message());
  return size;
}

// The volume number carried by `fileName` when it is `baseName` + "." + at least three digits, else 0.
unsigned VolumeNumberOf(std::string_view fileName, std::string_view baseName) {
  if (fileName.size() < baseName.size() + 4 || fileName.substr(0, baseName.size()) != baseName ||
      fileName[baseName.size()] != '.') {
    return 0;
  }
  std::string_view digits = fileName.substr(baseName.size() + 1);
  if (digits.size() > 9) return 0;
  unsigned number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  return number;
}

VolumeSet FindSplitVolumes(const std::string& base, const std::string& shownName) {
  VolumeSet set;
  set.split = true;
  for (unsigned n = 1; IsRegularFile(VolumeName(base, n)); ++n) {
    set.files.push_back(VolumeName(base, n));
  }

  // A later volume beside the last one found means one in the middle is missing.
  fs::path basePath(base);
  fs::path folder = basePath.has_parent_path() ? basePath.parent_path() : fs::path(".");
  std::string baseName = basePath.filename().string();
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (VolumeNumberOf(entry.path().filename().string(), baseName) > set.files.size()) {
      throw ZipError("Archive « " + shownName + " » : le volume « " +
                     VolumeName(base, static_cast<unsigned>(set.files.size()) + 1) + " » est manquant");
    }
  }

  for (const auto& file : set.files) set.sizes.push_back(SizeOf(file));
  for (size_t i = 1; i + 1 < set.files.size(); ++i) {
    if (set.sizes[i] != set.sizes[0]) {
      throw ZipError("Archive « " + shownName + " » : le volume « " + set.files[i] + " » fait " +
                     std::to_string(set.sizes[i]) + " octets au lieu de " + std::to_string(set.sizes[0]) +
                     " : il est tronqué ou vient d'un autre ensemble");
    }
  }
  if (set.files.size() > 1 && set.sizes.back() > set.sizes[0]) {
    throw ZipError("Archive « " + shownName + " » : le dernier volume « " + set.files.back() +
                   " » est plus grand que les autres : il vient d'un autre ensemble");
  }
  return set;
}

// Reads the volumes as one stream; one volume is open at a time, so a set of any length needs one
// descriptor.
class VolumeReader {
 public:
  explicit VolumeReader(const VolumeSet& set) : set_(set) {
    zip_error_init(&error_);
    std::uint64_t start = 0;
    for (auto size : set_.sizes) {
      starts_.push_back(start);
      start += size;
    }
  }
  ~VolumeReader() {
    CloseVolume();
    zip_error_fini(&error_);
  }
  VolumeReader(const VolumeReader&) = delete;
  VolumeReader& operator=(const VolumeReader&) = delete;

  static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* reader = static_cast<VolumeReader*>(state);
    switch (command) {
      case ZIP_SOURCE_OPEN:
        reader->position_ = 0;
        return 0;
      case ZIP_SOURCE_READ:
        return reader->Read(static_cast<char*>(data), length);
      case ZIP_SOURCE_CLOSE:
        reader->CloseVolume();
        return 0;
      case ZIP_SOURCE_STAT: {
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &reader->error_);
        if (stat == nullptr) return -1;
        zip_stat_init(stat);
        stat->size = reader->set_.totalSize;
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
      }
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&reader->error_, data, length);
      case ZIP_SOURCE_FREE:
        delete reader;
        return 0;
      case ZIP_SOURCE_SEEK: {
        zip_int64_t target = zip_source_seek_compute_offset(reader->position_, reader->set_.totalSize, data,
                                                             length, &reader->error_);
        if (target < 0) return -1;
        reader->position_ = static_cast<std::uint64_t>(target);
        return 0;
      }
      case ZIP_SOURCE_TELL:
        return static_cast<zip_int64_t>(reader->position_);
      case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_SUPPORTS, -1);
      default:
        zip_error_set(&reader->error_, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }

 private:
  zip_int64_t Read(char* buffer, zip_uint64_t length) {
    zip_uint64_t done = 0;
    while (done < length && position_ < set_.totalSize) {
      size_t index = static_cast<size_t>(
          std::upper_bound(starts_.begin(), starts_.end(), position_) - starts_.begin() - 1);
      if (!OpenVolume(index)) return -1;
      std::uint64_t offset = position_ - starts_[index];
      std::uint64_t wanted = std::min<std::uint64_t>(length - done, set_.sizes[index] - offset);
      ssize_t got = pread(fd_.get(), buffer + done, wanted, static_cast<off_t>(offset));
      if (got < 0) {
        zip_error_set(&error_, ZIP_ER_READ, errno);
        return -1;
      }
      if (got == 0) {  // the volume became shorter since the set was found
        zip_error_set(&error_, ZIP_ER_EOF, 0);
        return -1;
      }
      done += static_cast<zip_uint64_t>(got);
      position_ += static_cast<std::uint64_t>(got);
    }
    return static_cast<zip_int64_t>(done);
  }

  bool OpenVolume(size_t index) {
    if (fd_.valid() && fdIndex_ == index) return true;
    CloseVolume();
    fd_.reset(open(set_.files[index].c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd_.valid()) {
      zip_error_set(&error_, ZIP_ER_OPEN, errno);
      return false;
    }
    fdIndex_ = index;
    return true;
  }

  void CloseVolume() { fd_.reset(); }

  VolumeSet set_;
  std::vector<std::uint64_t> starts_;
  std::uint64_t position_ = 0;
  platform::UniqueFd fd_;
  size_t fdIndex_ = 0;
  zip_error_t error_;
};

}  // namespace

std::string VolumeName(const std::string& base, unsigned number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, ".%03u", number);
  return base + digits;
}

VolumeSet FindVolumes(const std::string& path) {
  VolumeSet set;
  if (IsRegularFile(path)) {
    std::string_view name(path);
    if (name.size() > 4 && name.substr(name.size() - 4) == ".001") {
      set = FindSplitVolumes(path.substr(0, path.size() - 4), path);
    } else {
      set.files = {path};
      set.sizes = {SizeOf(path)};
    }
  } else if (IsRegularFile(VolumeName(path, 1))) {
    set = FindSplitVolumes(path, path);
  } else {
    throw ZipError("Archive « " + path + " » introuvable");
  }
  for (auto size : set.sizes) set.totalSize += size;
  return set;
}

zip_source_t* NewVolumeSource(const VolumeSet& set, zip_error_t* error) {
  auto* reader = new VolumeReader(set);
  zip_source_t* source = zip_source_function_create(&VolumeReader::Callback, reader, error);
  if (source == nullptr) delete reader;
  return source;
}

}  // namespace maj::archive
