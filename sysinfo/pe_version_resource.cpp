#include "sysinfo/pe_version_resource.h"

#include <algorithm>

#include "sysinfo/byte_view.h"
#include "sysinfo/mapped_file.h"

namespace maj::sysinfo {
namespace {

constexpr std::uint16_t kDosSignature = 0x5A4D;      // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;   // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kVersionResourceType = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kMaxVersionTree = 0xFFFF;

struct Section {
  std::uint32_t virtualAddress = 0;
  std::uint32_t rawSize = 0;
  std::uint32_t rawOffset = 0;
};

// The headers needed to turn relative virtual addresses into file offsets.
class PeImage {
 public:
  explicit PeImage(ByteView file) : file_(file) {}

  // Reads the headers; false when the bytes are not a PE image or it has no resource directory.
  bool Parse() {
    if (file_.U16(0) != kDosSignature) return false;
    const auto peOffset = file_.U32(0x3C);
    if (!peOffset || file_.U32(*peOffset) != kPeSignature) return false;
    const std::size_t coff = std::size_t{*peOffset} + 4;
    const auto sectionCount = file_.U16(coff + 2);
    const auto optionalSize = file_.U16(coff + 16);
    if (!sectionCount || !optionalSize) return false;
    const std::size_t optional = coff + 20;
    const auto magic = file_.U16(optional);
    std::size_t directoryCountOffset = 0;
    if (magic == kPe32Magic) {
      directoryCountOffset = 92;
    } else if (magic == kPe32PlusMagic) {
      directoryCountOffset = 108;
    } else {
      return false;
    }
    const auto directoryCount = file_.U32(optional + directoryCountOffset);
    if (!directoryCount || *directoryCount <= kResourceDirectoryIndex) return false;
    const std::size_t resourceEntry = optional + directoryCountOffset + 4 + 8 * kResourceDirectoryIndex;
    // The data directory must lie inside the optional header that declares it.
    if (resourceEntry + 8 > optional + *optionalSize) return false;
    const auto resourceRva = file_.U32(resourceEntry);
    const auto resourceSize = file_.U32(resourceEntry + 4);
    if (!resourceRva || !resourceSize || *resourceRva == 0 || *resourceSize == 0) return false;
    resourceRva_ = *resourceRva;
    sectionTable_ = optional + *optionalSize;
    sectionCount_ = *sectionCount;
    return true;
  }

  std::uint32_t resourceRva() const { return resourceRva_; }

  // The file bytes from `rva` to the end of the raw data of the section that holds it; nullopt when no
  // section holds it in its raw data or the section's data lies outside the file.
  std::optional<ByteView> FromRva(std::uint32_t rva) const {
    for (std::size_t i = 0; i < sectionCount_; ++i) {
      const auto section = ReadSection(i);
      if (!section) return std::nullopt;
      if (rva < section->virtualAddress || rva - section->virtualAddress >= section->rawSize) continue;
      const std::uint32_t delta = rva - section->virtualAddress;
      return Clip(std::size_t{section->rawOffset} + delta, section->rawSize - delta);
    }
    return std::nullopt;
  }

 private:
  std::optional<Section> ReadSection(std::size_t index) const {
    const std::size_t at = sectionTable_ + index * kSectionHeaderSize;
    const auto virtualAddress = file_.U32(at + 12);
    const auto rawSize = file_.U32(at + 16);
    const auto rawOffset = file_.U32(at + 20);
    if (!virtualAddress || !rawSize || !rawOffset) return std::nullopt;
    return Section{*virtualAddress, *rawSize, *rawOffset};
  }

  // The bytes [offset, offset + length) cut at the end of the file; nullopt when offset is past the end.
  std::optional<ByteView> Clip(std::size_t offset, std::size_t length) const {
    if (offset > file_.size()) return std::nullopt;
    return file_.Slice(offset, std::min(length, file_.size() - offset));
  }

  ByteView file_;
  std::uint32_t resourceRva_ = 0;
  std::size_t sectionTable_ = 0;
  std::size_t sectionCount_ = 0;
};

struct DirectoryEntry {
  std::uint32_t name = 0;
  std::uint32_t target = 0;
  bool IsSubdirectory() const { return (target & kHighBit) != 0; }
  std::uint32_t TargetOffset() const { return target & ~kHighBit; }
};

// Entry `index` of the resource directory at `offset` (named entries first, then numbered ones).
std::optional<DirectoryEntry> ReadEntry(ByteView resources, std::size_t offset, std::size_t index) {
  const std::size_t at = offset + 16 + 8 * index;
  const auto name = resources.U32(at);
  const auto target = resources.U32(at + 4);
  if (!name || !target) return std::nullopt;
  return DirectoryEntry{*name, *target};
}

std::optional<std::size_t> EntryCount(ByteView resources, std::size_t offset) {
  const auto named = resources.U16(offset + 12);
  const auto numbered = resources.U16(offset + 14);
  if (!named || !numbered) return std::nullopt;
  return std::size_t{*named} + *numbered;
}

// The first entry of the directory at `offset`, which must be a subdirectory (`wantSubdirectory`) or a
// data entry.
std::optional<DirectoryEntry> FirstEntry(ByteView resources, std::size_t offset, bool wantSubdirectory) {
  const auto count = EntryCount(resources, offset);
  if (!count || *count == 0) return std::nullopt;
  const auto entry = ReadEntry(resources, offset, 0);
  if (!entry || entry->IsSubdirectory() != wantSubdirectory) return std::nullopt;
  return entry;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> FindVersionResource(std::span<const std::uint8_t> image) {
  PeImage pe{ByteView(image)};
  if (!pe.Parse()) return std::nullopt;
  const auto resources = pe.FromRva(pe.resourceRva());
  if (!resources) return std::nullopt;

  // Type level: the numbered entry 16. The walk has a fixed depth of three, so no directory can loop.
  const auto typeCount = EntryCount(*resources, 0);
  if (!typeCount) return std::nullopt;
  std::optional<DirectoryEntry> versionType;
  for (std::size_t i = 0; i < *typeCount && !versionType; ++i) {
    const auto entry = ReadEntry(*resources, 0, i);
    if (!entry) return std::nullopt;
    if (entry->name == kVersionResourceType && entry->IsSubdirectory()) versionType = entry;
  }
  if (!versionType) return std::nullopt;
  const auto name = FirstEntry(*resources, versionType->TargetOffset(), true);
  if (!name) return std::nullopt;
  const auto language = FirstEntry(*resources, name->TargetOffset(), false);
  if (!language) return std::nullopt;

  const auto dataRva = resources->U32(language->TargetOffset());
  const auto dataSize = resources->U32(std::size_t{language->TargetOffset()} + 4);
  if (!dataRva || !dataSize || *dataSize == 0) return std::nullopt;
  const auto data = pe.FromRva(*dataRva);
  if (!data || data->size() < *dataSize) return std::nullopt;
  const auto bytes = data->bytes().first(std::min<std::size_t>(*dataSize, kMaxVersionTree));
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::optional<std::vector<std::uint8_t>> ReadFileVersionResource(const std::string& path) {
  const auto file = MappedFile::Open(path);
  if (!file) return std::nullopt;
  return FindVersionResource(file->bytes());
}

}  // namespace maj::sysinfo
