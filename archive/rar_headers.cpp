#include "archive/rar_headers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/unique_fd.h"

namespace maj::archive {
namespace {

constexpr unsigned char kRar4Signature[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
constexpr unsigned char kRar5Signature[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
constexpr int kMaxHeaders = 200000;
constexpr std::size_t kMaxRar5HeaderBytes = 2 * 1024 * 1024;
constexpr std::size_t kMaxCommentBytes = 16384;  // one more than fits, so that the caller sees the overflow
// A self-extracting archive is a program followed by the archive: its signature is looked for this far.
constexpr std::uint64_t kMaxSfxStubBytes = 4 * 1024 * 1024;

// A file opened for reading at given offsets, counted from `base` (where the archive starts).
class InputFile {
 public:
  explicit InputFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  bool ok() const { return fd_.valid(); }
  void set_base(std::uint64_t base) { base_ = base; }
  std::uint64_t Size() const {
    struct stat info {};
    return fstat(fd_.get(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
  }

  // Reads exactly `size` bytes at `offset`.
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    offset += base_;
    auto* out = static_cast<unsigned char*>(buffer);
    while (size > 0) {
      ssize_t got = pread(fd_.get(), out, size, static_cast<off_t>(offset));
      if (got <= 0) return false;
      out += got;
      offset += static_cast<std::uint64_t>(got);
      size -= static_cast<std::size_t>(got);
    }
    return true;
  }

 private:
  platform::UniqueFd fd_;
  std::uint64_t base_ = 0;
};

// Bounds-checked little-endian reader over one header's bytes.
class Cursor {
 public:
  Cursor(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  std::size_t position() const { return at_; }
  std::size_t remaining() const { return ok_ ? size_ - at_ : 0; }

  std::uint64_t Fixed(int bytes) {
    if (!ok_ || size_ - at_ < static_cast<std::size_t>(bytes)) {
      ok_ = false;
      return 0;
    }
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data_[at_ + i];
    at_ += bytes;
    return value;
  }

  // RAR 5 variable-length integer: 7 bits per byte, high bit = more bytes follow.
  std::uint64_t Vint() {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (!ok_ || at_ >= size_) break;
      unsigned char byte = data_[at_++];
      value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) return value;
    }
    ok_ = false;
    return 0;
  }

  void Skip(std::uint64_t bytes) {
    if (!ok_ || bytes > size_ - at_) {
      ok_ = false;
      return;
    }
    at_ += static_cast<std::size_t>(bytes);
  }

  std::string Text(std::uint64_t bytes) {
    if (!ok_ || bytes > size_ - at_) {
      ok_ = false;
      return {};
    }
    std::string text(reinterpret_cast<const char*>(data_ + at_), static_cast<std::size_t>(bytes));
    at_ += static_cast<std::size_t>(bytes);
    return text;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

std::optional<std::string> ReadStoredComment(const InputFile& file, std::uint64_t offset, std::uint64_t size) {
  std::string text(static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxCommentBytes)), '\0');
  if (!file.ReadAt(offset, text.data(), text.size())) return std::nullopt;
  return text;
}

void WalkRar4(const InputFile& file, RarVolumeHeaders& result) {
  std::uint64_t offset = sizeof(kRar4Signature);
  for (int count = 0; count < kMaxHeaders; ++count) {
    unsigned char base[7];
    if (!file.ReadAt(offset, base, sizeof(base))) {
      if (count == 0) result.mainHeaderBroken = true;
      return;
    }
    Cursor head(base, sizeof(base));
    head.Fixed(2);  // header CRC
    auto type = static_cast<unsigned>(head.Fixed(1));
    auto flags = static_cast<unsigned>(head.Fixed(2));
    auto headSize = static_cast<std::size_t>(head.Fixed(2));
    if (headSize < 7) return;
    std::vector<unsigned char> bytes(headSize);
    if (!file.ReadAt(offset, bytes.data(), headSize)) return;
    Cursor header(bytes.data(), headSize);
    header.Skip(7);

    std::uint64_t dataSize = 0;
    if (type == 0x74 || type == 0x7A) {  // file header, service sub-block: packed size always present
      dataSize = header.Fixed(4);
    } else if (flags & 0x8000) {
      dataSize = header.Fixed(4);
    }

    if (count == 0) {
      // The first block must be a sound main header; libarchive accepts some broken ones and fails later.
      const auto crc = static_cast<std::uint32_t>(base[0] | (base[1] << 8));
      result.mainHeaderBroken = type != 0x73 || (Crc32(bytes.data() + 2, headSize - 2) & 0xFFFF) != crc;
      if (result.mainHeaderBroken) return;
    }
    if (type == 0x73) {  // main header
      result.isVolume = flags & 0x0001;
      result.solid = flags & 0x0008;
      result.newNumbering = flags & 0x0010;
      result.firstVolumeFlag = flags & 0x0100;
      if (flags & 0x0080) {
        result.headersEncrypted = true;
        return;
      }
      if (flags & 0x0002) result.commentUnreadable = true;  // old-style comment, always packed
    } else if (type == 0x74 || type == 0x7A) {
      std::uint64_t unpackedLow = header.Fixed(4);
      header.Fixed(1);  // host OS
      auto crc = static_cast<std::uint32_t>(header.Fixed(4));
      header.Fixed(4);  // time
      auto unpackVersion = static_cast<std::uint32_t>(header.Fixed(1));
      auto method = static_cast<std::uint32_t>(header.Fixed(1));
      auto nameSize = header.Fixed(2);
      auto attributes = static_cast<std::uint32_t>(header.Fixed(4));
      std::uint64_t unpackedHigh = 0;
      if (flags & 0x0100) {
        dataSize |= header.Fixed(4) << 32;
        unpackedHigh = header.Fixed(4);
      }
      std::string name = header.Text(nameSize);
      if (!header.ok()) return;
      if (type == 0x74) {
        RarFileHeader entry;
        entry.splitBefore = flags & 0x01;
        entry.splitAfter = flags & 0x02;
        entry.encrypted = flags & 0x04;
        entry.directory = (flags & 0xE0) == 0xE0;
        entry.unpackVersion = unpackVersion;
        entry.method = method;
        entry.attributes = attributes;
        entry.unpackedSize = (unpackedHigh << 32) | unpackedLow;
        if (!entry.splitAfter) entry.crc32 = crc;
        result.files.push_back(entry);
      } else if (name == "CMT" && result.files.empty()) {
        if (method == 0x30 && !(flags & 0x04)) {
          result.comment = ReadStoredComment(file, offset + headSize, dataSize);
          if (!result.comment) result.commentUnreadable = true;
        } else {
          result.commentUnreadable = true;
        }
      }
    } else if (type == 0x7B) {  // end of archive
      result.endFound = true;
      result.moreVolumes = flags & 0x0001;
      if (flags & 0x0002) header.Fixed(4);  // data CRC
      if (flags & 0x0008) {
        auto number = static_cast<std::uint32_t>(header.Fixed(2));
        if (header.ok()) result.volumeNumber = number;
      }
      return;
    }
    if (!header.ok()) return;
    offset += headSize + dataSize;
  }
}

void WalkRar5(const InputFile& file, RarVolumeHeaders& result) {
  result.newNumbering = true;
  std::uint64_t offset = sizeof(kRar5Signature);
  for (int count = 0; count < kMaxHeaders; ++count) {
    // CRC32 then the header size as a vint of at most 3 bytes.
    unsigned char prefix[7];
    if (!file.ReadAt(offset, prefix, 4)) {
      if (count == 0) result.mainHeaderBroken = true;
      return;
    }
    std::size_t prefixSize = 4;
    while (prefixSize < sizeof(prefix) && file.ReadAt(offset + prefixSize, &prefix[prefixSize], 1)) {
      ++prefixSize;
      if ((prefix[prefixSize - 1] & 0x80) == 0) break;
    }
    Cursor sizeCursor(prefix + 4, prefixSize - 4);
    std::uint64_t headSize = sizeCursor.Vint();
    if (!sizeCursor.ok() || headSize == 0 || headSize > kMaxRar5HeaderBytes) return;
    std::uint64_t headStart = offset + prefixSize;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(headSize));
    if (!file.ReadAt(headStart, bytes.data(), bytes.size())) return;
    Cursor header(bytes.data(), bytes.size());
    std::uint64_t type = header.Vint();
    if (count == 0) {
      // The first header must be a sound main header (CRC over the size field and the header).
      const auto crc = static_cast<std::uint32_t>(prefix[0] | (prefix[1] << 8) | (prefix[2] << 16) |
                                                  (static_cast<std::uint32_t>(prefix[3]) << 24));
      std::uint32_t actual = Crc32(prefix + 4, prefixSize - 4);
      actual = Crc32(bytes.data(), bytes.size(), actual);
      result.mainHeaderBroken = (type != 1 && type != 4) || actual != crc;
      if (result.mainHeaderBroken) return;
    }
    std::uint64_t headerFlags = header.Vint();
    std::uint64_t extraSize = (headerFlags & 0x0001) ? header.Vint() : 0;
    std::uint64_t dataSize = (headerFlags & 0x0002) ? header.Vint() : 0;
    if (!header.ok() || extraSize > headSize) return;
    const std::size_t extraStart = static_cast<std::size_t>(headSize - extraSize);

    if (type == 1) {  // main archive header
      std::uint64_t archiveFlags = header.Vint();
      result.isVolume = archiveFlags & 0x0001;
      result.solid = archiveFlags & 0x0004;
      result.volumeNumber = (archiveFlags & 0x0002) ? static_cast<std::uint32_t>(header.Vint()) : 0u;
      if (!header.ok()) return;
    } else if (type == 4) {  // archive encryption header
      result.headersEncrypted = true;
      return;
    } else if (type == 2 || type == 3) {  // file, service
      std::uint64_t fileFlags = header.Vint();
      std::uint64_t unpackedSize = header.Vint();
      std::uint64_t attributes = header.Vint();
      if (fileFlags & 0x0002) header.Fixed(4);  // modification time
      std::optional<std::uint32_t> crc;
      if (fileFlags & 0x0004) crc = static_cast<std::uint32_t>(header.Fixed(4));
      std::uint64_t compression = header.Vint();
      header.Vint();  // host OS
      std::uint64_t nameLength = header.Vint();
      std::string name = header.Text(nameLength);
      if (!header.ok()) return;
      bool encrypted = false;
      Cursor extra(bytes.data() + extraStart, static_cast<std::size_t>(extraSize));
      while (extra.ok() && extra.remaining() > 0) {
        std::uint64_t recordSize = extra.Vint();
        std::size_t recordStart = extra.position();
        std::uint64_t recordType = extra.Vint();
        if (!extra.ok()) break;
        if (recordType == 0x01) encrypted = true;
        std::size_t used = extra.position() - recordStart;
        if (recordSize < used) break;
        extra.Skip(recordSize - used);
      }
      const std::uint32_t method = static_cast<std::uint32_t>((compression >> 7) & 0x7);
      if (type == 2) {
        RarFileHeader entry;
        entry.splitBefore = headerFlags & 0x0008;
        entry.splitAfter = headerFlags & 0x0010;
        entry.encrypted = encrypted;
        entry.directory = fileFlags & 0x0001;
        entry.unpackVersion = (compression & 0x3F) == 0 ? 50 : 70;
        entry.method = 0x30 + method;
        entry.attributes = static_cast<std::uint32_t>(attributes);
        entry.unpackedSize = (fileFlags & 0x0008) ? 0 : unpackedSize;
        if (!entry.splitAfter) entry.crc32 = crc;
        result.files.push_back(entry);
      } else if (name == "CMT" && result.files.empty()) {
        if (method == 0 && !encrypted && !(headerFlags & 0x0010)) {
          result.comment = ReadStoredComment(file, headStart + headSize, dataSize);
          if (!result.comment) result.commentUnreadable = true;
        } else {
          result.commentUnreadable = true;
        }
      }
    } else if (type == 5) {  // end of archive
      std::uint64_t endFlags = header.Vint();
      result.endFound = true;
      result.moreVolumes = endFlags & 0x0001;
      return;
    }
    offset = headStart + headSize + dataSize;
  }
}

// Reads the headers of the archive that starts at `base`; kUnknown when no RAR signature is there.
RarVolumeHeaders ReadHeadersAt(InputFile& file, std::uint64_t base) {
  RarVolumeHeaders result;
  file.set_base(base);
  result.archiveOffset = base;
  unsigned char signature[8] = {};
  if (!file.ReadAt(0, signature, 7)) return result;
  if (std::memcmp(signature, kRar4Signature, sizeof(kRar4Signature)) == 0) {
    result.format = RarFormat::kRar4;
    WalkRar4(file, result);
  } else if (std::memcmp(signature, kRar5Signature, 7) == 0 && file.ReadAt(7, signature + 7, 1) &&
             signature[7] == 0x00) {
    result.format = RarFormat::kRar5;
    WalkRar5(file, result);
  }
  return result;
}

// The archive inside a self-extracting program (a Windows or ELF executable): the first signature, within
// the usual size of such programs, that a sound main header follows. The program's own code may hold the
// signature's bytes, so a candidate with a broken main header is passed over.
RarVolumeHeaders FindEmbeddedArchive(InputFile& file) {
  unsigned char magic[4] = {};
  if (!file.ReadAt(0, magic, sizeof(magic))) return {};
  if (std::memcmp(magic, "MZ", 2) != 0 && std::memcmp(magic, "\x7f" "ELF", 4) != 0) return {};
  constexpr std::size_t kSignatureStart = 6;  // "Rar!\x1a\x07", common to both formats
  std::vector<unsigned char> chunk(64 * 1024 + kSignatureStart);
  const std::uint64_t end = std::min(file.Size(), kMaxSfxStubBytes + kSignatureStart);
  for (std::uint64_t offset = 0; offset + kSignatureStart <= end; offset += chunk.size() - kSignatureStart) {
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), end - offset));
    if (!file.ReadAt(offset, chunk.data(), size)) break;
    for (std::size_t at = 0; at + kSignatureStart <= size; ++at) {
      if (std::memcmp(&chunk[at], kRar4Signature, kSignatureStart) != 0) continue;
      RarVolumeHeaders found = ReadHeadersAt(file, offset + at);
      file.set_base(0);
      if (found.format != RarFormat::kUnknown && !found.mainHeaderBroken) return found;
    }
  }
  return {};
}

}  // namespace

std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> values{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      values[n] = c;
    }
    return values;
  }();
  const auto* bytes = static_cast<const unsigned char*>(data);
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

RarVolumeHeaders ReadRarVolumeHeaders(const std::string& path) {
  InputFile file(path);
  if (!file.ok()) return {};
  RarVolumeHeaders result = ReadHeadersAt(file, 0);
  if (result.format == RarFormat::kUnknown) result = FindEmbeddedArchive(file);
  return result;
}

}  // namespace maj::archive
