#include "sysinfo/file_version_info.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/paths.h"
#include "sysinfo/byte_view.h"
#include "sysinfo/language_names.h"
#include "sysinfo/pe_version_resource.h"
#include "sysinfo/version_tree.h"

namespace maj::sysinfo {
namespace {

constexpr std::size_t kFixedInfoSize = 52;
constexpr std::uint16_t kEnglishUnitedStates = 0x0409;

// Query names of predefined values 1 to 14, in index order.
constexpr std::string_view kValueNames[] = {
    "Comments",         "CompanyName",    "FileDescription", "FileVersion",      "InternalName",
    "LegalCopyright",   "LegalTrademarks", "OriginalFilename", "ProductName",     "ProductVersion",
    "PrivateBuild",     "SpecialBuild",   "LegalTrademarks1", "LegalTrademarks2"};

constexpr std::string_view kDisplayNames[] = {
    "Language",          "Comments",         "Company Name",     "File Description", "File Version",
    "Internal Name",     "Legal Copyright",  "Legal Trademarks", "Original Filename", "Product Name",
    "Product Version",   "Private Build",    "Special Build",    "LegalTrademarks1", "LegalTrademarks2"};

constexpr std::size_t kCompanyNameIndex = 2;

struct FixedInfo {
  std::uint32_t structureVersion = 0;
  std::uint32_t fileVersionHigh = 0;
  std::uint32_t fileVersionLow = 0;
  std::uint32_t productVersionHigh = 0;
  std::uint32_t productVersionLow = 0;
  std::uint32_t flags = 0;
  std::uint32_t os = 0;
  std::uint32_t type = 0;
  std::uint32_t subtype = 0;
};

// The VS_FIXEDFILEINFO of the root block; nullopt when the root states or holds fewer than its 52 bytes.
std::optional<FixedInfo> ReadFixedInfo(const VersionTree& tree) {
  const auto root = tree.Query("\\");
  if (!root) return std::nullopt;
  const std::size_t declaredBytes = std::size_t{root->declaredLength} * (root->isText ? 2 : 1);
  if (declaredBytes < kFixedInfoSize || root->bytes.size() < kFixedInfoSize) return std::nullopt;
  const ByteView value(root->bytes);
  FixedInfo info;
  info.structureVersion = *value.U32(4);
  info.fileVersionHigh = *value.U32(8);
  info.fileVersionLow = *value.U32(12);
  info.productVersionHigh = *value.U32(16);
  info.productVersionLow = *value.U32(20);
  // Offset 24 holds the flags mask, which is not applied.
  info.flags = *value.U32(28);
  info.os = *value.U32(32);
  info.type = *value.U32(36);
  info.subtype = *value.U32(40);
  return info;
}

std::string Format(const char* pattern, unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, pattern, value);
  return buffer;
}

// "13.01.0010" for 13.1.0.10; "1.02.0304" for 1.2.3.4: major, minor on two digits, then either the
// fourth number on four digits (third number 0) or the third and fourth on two digits each.
std::string RenderVersion(std::uint32_t high, std::uint32_t low) {
  std::string text = Format("%u", high >> 16) + "." + Format("%02u", high & 0xFFFF) + ".";
  if ((low >> 16) == 0) return text + Format("%04u", low & 0xFFFF);
  return text + Format("%02u", low >> 16) + Format("%02u", low & 0xFFFF);
}

std::string RenderFlags(std::uint32_t flags) {
  static constexpr std::pair<std::uint32_t, std::string_view> kWords[] = {
      {0x01, "Debug"}, {0x02, "PreRel"}, {0x04, "Patched"}, {0x08, "Private"}, {0x10, "Info"}, {0x20, "Special"}};
  std::string text;
  for (const auto& [bit, word] : kWords) {
    if ((flags & bit) == 0) continue;
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

std::string RenderOS(std::uint32_t os) {
  switch (os) {
    case 0x10001: return "DOS-Win16";
    case 0x10004: return "DOS-Win32";
    case 0x20002: return "OS/2-16 PM-16";
    case 0x30003: return "OS/2-16 PM-32";
    case 0x40004: return "NT-Win32";
    default: return "Unknown";
  }
}

std::string RenderType(std::uint32_t type) {
  switch (type) {
    case 1: return "Application";
    case 2: return "DLL";
    case 3: return "Driver";
    case 4: return "Font";
    case 5: return "VxD";
    case 7: return "Lib";
    default: return "Unknown";
  }
}

// The subtype's name for drivers and fonts; nullopt where the subtype keeps its earlier text.
std::optional<std::string> RenderSubType(std::uint32_t type, std::uint32_t subtype) {
  static constexpr std::string_view kDrivers[] = {"Unknown",      "Printer drv", "Keyboard drv", "Language drv",
                                                  "Display drv",  "Mouse drv",   "Network drv",  "System drv",
                                                  "Installable",  "Sound drv",   "Comm drv"};
  static constexpr std::string_view kFonts[] = {"Raster Font", "Vector Font", "TrueType Font"};
  if (type == 3 && subtype < std::size(kDrivers)) return std::string(kDrivers[subtype]);
  if (type == 4 && subtype >= 1 && subtype <= std::size(kFonts)) return std::string(kFonts[subtype - 1]);
  return std::nullopt;
}

// "\StringFileInfo\" followed by the language and code page as four upper-case hexadecimal digits each.
std::string StringTablePrefix(std::uint16_t language, std::uint16_t codePage) {
  char buffer[9];
  std::snprintf(buffer, sizeof buffer, "%04X%04X", static_cast<unsigned>(language), static_cast<unsigned>(codePage));
  return std::string("\\StringFileInfo\\") + buffer + "\\";
}

// Absolute, lexically normal form of `path`, as the Windows full-path resolver gives it.
std::optional<std::string> ResolveFullPath(std::string_view path) {
  if (path.empty()) return std::nullopt;
  std::filesystem::path local(platform::ToLocalPath(path));
  if (local.is_relative()) {
    std::error_code error;
    const auto current = std::filesystem::current_path(error);
    if (error) return std::nullopt;
    local = current / local;
  }
  return local.lexically_normal().string();
}

}  // namespace

void CFileVersionInfo::SetFullPathName(std::string_view path) {
  auto resolved = ResolveFullPath(path);
  if (!resolved) return;
  fullPathName_ = std::move(*resolved);
  Refresh();
}

void CFileVersionInfo::Refresh() {
  auto resource = ReadFileVersionResource(platform::ResolvePathCase(fullPathName_));
  if (!resource) {
    available_ = false;
    return;
  }
  const VersionTree tree(std::move(*resource));
  if (!tree.HasRoot()) {
    available_ = false;
    return;
  }
  available_ = true;

  if (const auto info = ReadFixedInfo(tree)) {
    verStructure_ = Format("%u", info->structureVersion >> 16) + "." + Format("%u", info->structureVersion & 0xFFFF);
    verFile_ = RenderVersion(info->fileVersionHigh, info->fileVersionLow);
    verProduct_ = RenderVersion(info->productVersionHigh, info->productVersionLow);
    fileFlags_ = RenderFlags(info->flags);
    fileOS_ = RenderOS(info->os);
    fileType_ = RenderType(info->type);
    if (auto subtype = RenderSubType(info->type, info->subtype)) fileSubType_ = std::move(*subtype);
  } else {
    // A resource without fixed information says nothing about these values: they must not describe the
    // previously read file.
    verStructure_.clear();
    verFile_.clear();
    verProduct_.clear();
    fileFlags_.clear();
    fileOS_.clear();
    fileType_.clear();
    fileSubType_.clear();
  }

  const auto translation = tree.Query("\\VarFileInfo\\Translation");
  if (!translation || translation->declaredLength == 0 || translation->bytes.size() < 4) return;
  const ByteView entry(translation->bytes);
  const std::uint16_t language = *entry.U16(0);
  const std::uint16_t codePage = *entry.U16(2);
  predefined_[0] = VerLanguageName(language);

  std::string prefix = StringTablePrefix(language, codePage);
  predefined_[kCompanyNameIndex] = tree.QueryText(prefix + "CompanyName");
  if (predefined_[kCompanyNameIndex].empty()) {
    // Many files name one language in their translation but carry only a US English table.
    const std::string fallback = StringTablePrefix(kEnglishUnitedStates, codePage);
    predefined_[kCompanyNameIndex] = tree.QueryText(fallback + "CompanyName");
    if (!predefined_[kCompanyNameIndex].empty()) prefix = fallback;
  }
  for (std::size_t i = 1; i < std::size(predefined_); ++i) {
    if (i == kCompanyNameIndex) continue;
    predefined_[i] = tree.QueryText(prefix + std::string(kValueNames[i - 1]));
  }
}

std::string CFileVersionInfo::PredefinedName(std::int32_t which) {
  if (which < 0 || which >= kPredefinedCount) return {};
  return std::string(kDisplayNames[which]);
}

std::string CFileVersionInfo::PredefinedValue(std::int32_t which) const {
  if (which < 0 || which >= kPredefinedCount) return {};
  return predefined_[which];
}

}  // namespace maj::sysinfo
