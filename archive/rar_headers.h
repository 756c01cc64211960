#pragma once
// A reader of the block headers of one RAR volume (RAR 1.5-4.x and RAR 5 formats). It gives what
// libarchive does not expose or gets wrong: the volume flags and number (to check a set is read in order),
// the version needed, packing method, raw attributes and encryption of each file, and a stored comment.
// It reads untrusted bytes: every field is bounds-checked and a malformed header ends the walk.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace maj::archive {

enum class RarFormat { kUnknown, kRar4, kRar5 };

// One file header as stored. A file continued over volumes has one header per volume; the later ones have
// `splitBefore` set.
struct RarFileHeader {
  bool splitBefore = false;
  bool splitAfter = false;
  bool encrypted = false;
  bool directory = false;
  std::uint32_t unpackVersion = 0;  // two digits, tens = major (29 = 2.9, 50 = 5.0)
  std::uint32_t method = 0;         // 0x30 (stored) .. 0x35 (best)
  std::uint32_t attributes = 0;     // as stored (Windows attributes or a Unix mode)
  std::uint64_t unpackedSize = 0;
  std::optional<std::uint32_t> crc32;  // CRC of the unpacked data (of the whole file on its last part)
};

struct RarVolumeHeaders {
  RarFormat format = RarFormat::kUnknown;
  std::uint64_t archiveOffset = 0;  // where the signature starts (past the program of a self-extracting one)
  bool isVolume = false;          // part of a multi-volume set
  bool newNumbering = false;      // RAR4: volumes named name.partN.rar (always true for RAR 5)
  bool firstVolumeFlag = false;   // RAR4: the archive says it is the first volume
  bool headersEncrypted = false;  // nothing after the main header can be read without the password
  bool mainHeaderBroken = false;  // the archive's first header is missing or fails its CRC
  bool solid = false;
  std::optional<std::uint32_t> volumeNumber;  // 0 for the first volume, when the archive records it
  bool endFound = false;          // the end-of-archive block was reached
  bool moreVolumes = false;       // the end-of-archive block says another volume follows
  std::vector<RarFileHeader> files;
  std::optional<std::string> comment;  // a stored (uncompressed) archive comment
  bool commentUnreadable = false;      // a comment exists but is compressed or damaged
};

// CRC-32 (the one RAR and zip use) of `size` bytes, continuing from `crc` (0 to start).
std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc = 0);

// Reads the headers of the volume at `path`. The format is kUnknown when the file neither starts with a
// RAR signature nor is a self-extracting program holding a RAR archive, or cannot be read.
RarVolumeHeaders ReadRarVolumeHeaders(const std::string& path);

}  // namespace maj::archive
