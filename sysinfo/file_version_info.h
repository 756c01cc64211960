#pragma once
// CFileVersionInfo: the version resource of one file (an executable or library), exposed as text.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace maj::sysinfo {

class CFileVersionInfo {
 public:
  // Number of predefined values (Language, then the 14 string values of the version resource).
  static constexpr std::int32_t kPredefinedCount = 15;

  // Every text is empty and Available() false until a read.
  CFileVersionInfo() = default;

  // Resolves `path` (relative to the current folder, or absolute; a Windows path is turned into a local one)
  // to an absolute path and reads that file's version resource (Refresh). When the path cannot be resolved
  // (empty text, no current folder) nothing changes and no read is made. Paths of any length are accepted.
  void SetFullPathName(std::string_view path);

  // The absolute path resolved by the last SetFullPathName() that succeeded.
  const std::string& FullPathName() const { return fullPathName_; }

  // Reads the version resource of FullPathName() again; the file's name is matched ignoring letter case
  // when the exact name is absent. A file without a readable version resource sets Available() to false
  // and leaves every other value as it was. Otherwise the fixed values are set (all seven empty when the
  // root block has no fixed information), and when the resource has a translation array, Language and the
  // string values of the first translation are set; without one they keep their values.
  void Refresh();

  // True when the last read found a version resource.
  bool Available() const { return available_; }

  // Fixed information. VerFile and VerProduct are rendered "13.01.0010" (see the .cpp); FileFlags lists
  // the words of the set flags separated by one blank; FileOS, FileType and FileSubType are names.
  const std::string& VerStructure() const { return verStructure_; }
  const std::string& VerFile() const { return verFile_; }
  const std::string& VerProduct() const { return verProduct_; }
  const std::string& FileFlags() const { return fileFlags_; }
  const std::string& FileOS() const { return fileOS_; }
  const std::string& FileType() const { return fileType_; }
  const std::string& FileSubType() const { return fileSubType_; }

  // The language of the first translation, and the string values of its table, exactly as stored.
  const std::string& Language() const { return predefined_[0]; }
  const std::string& Comments() const { return predefined_[1]; }
  const std::string& CompanyName() const { return predefined_[2]; }
  const std::string& FileDescription() const { return predefined_[3]; }
  const std::string& FileVersion() const { return predefined_[4]; }
  const std::string& InternalName() const { return predefined_[5]; }
  const std::string& LegalCopyright() const { return predefined_[6]; }
  const std::string& LegalTrademarks() const { return predefined_[7]; }
  const std::string& OriginalFilename() const { return predefined_[8]; }
  const std::string& ProductName() const { return predefined_[9]; }
  const std::string& ProductVersion() const { return predefined_[10]; }
  const std::string& PrivateBuild() const { return predefined_[11]; }
  const std::string& SpecialBuild() const { return predefined_[12]; }

  // Display name ("Company Name") and current value of predefined value `which` (0 to 14: Language,
  // Comments, CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright, LegalTrademarks,
  // OriginalFilename, ProductName, ProductVersion, PrivateBuild, SpecialBuild, LegalTrademarks1,
  // LegalTrademarks2). Empty text for any other index.
  static std::string PredefinedName(std::int32_t which);
  std::string PredefinedValue(std::int32_t which) const;

 private:
  std::string fullPathName_;
  bool available_ = false;
  std::string verStructure_;
  std::string verFile_;
  std::string verProduct_;
  std::string fileFlags_;
  std::string fileOS_;
  std::string fileType_;
  std::string fileSubType_;
  std::array<std::string, kPredefinedCount> predefined_;
};

}  // namespace maj::sysinfo
