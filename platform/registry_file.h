#pragma once
// The registry, kept in one text file in the Windows .reg format (REGEDIT4):
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\ODBC\ODBC.INI\ODBC Data Sources]
//   "proscenia"="MariaDB Unicode"
//   "Count"=dword:00000002
//   "Pending"=hex(7):61,00,62,00,00
//
// REG_MULTI_SZ data (hex(7)) holds narrow UTF-8 bytes, each text followed by a NUL and the list by one more
// NUL, as regedit writes REGEDIT4 files. "hex(1):" data reads as a text value, "hex(4):" as a number; other
// hex types read as RegistryValueType::Other. A text holding a line break is written as "hex(1):".
// Key paths and value names compare ignoring letter case; a value given twice reads as the later one. Each
// call reads the file anew, so that values written by another process are seen. A missing file is an empty
// registry. Lines that cannot be parsed are absent for reading, and a write keeps every line it does not
// understand exactly as it was. Writes go to a temporary file renamed over the original.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace maj::platform {

enum class RegistryRoot { LocalMachine, CurrentUser };

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER".
std::string_view RegistryRootName(RegistryRoot root);

enum class RegistryValueType { String, MultiString, Dword, Other };

struct RegistryValue {
  RegistryValueType type = RegistryValueType::Other;
  std::string text;                  // String
  std::vector<std::string> strings;  // MultiString
  std::uint32_t number = 0;          // Dword
};

class RegistryFile {
 public:
  explicit RegistryFile(std::string path);

  const std::string& path() const { return path_; }

  // The value `name` of `key` (relative to `root`, without a leading '\'); nullopt when the key or value is
  // absent. The unnamed default value is "@" in the file and an empty `name` here.
  std::optional<RegistryValue> ReadValue(RegistryRoot root, std::string_view key, std::string_view name) const;

  // Value names of `key` in file order; nullopt when the key does not exist.
  std::optional<std::vector<std::string>> ValueNames(RegistryRoot root, std::string_view key) const;

  // Creates or replaces a value, creating the key when needed. Throws std::runtime_error when the file
  // cannot be written, or when `key` or `name` holds a line break (the format cannot write one).
  void WriteString(RegistryRoot root, std::string_view key, std::string_view name, std::string_view text);
  void WriteMultiString(RegistryRoot root, std::string_view key, std::string_view name,
                        const std::vector<std::string>& strings);

  // Appends `strings` to a REG_MULTI_SZ value in one locked read-and-write, creating the value (or replacing a
  // value of another type) when needed. Throws std::runtime_error when the file cannot be written.
  void AppendMultiString(RegistryRoot root, std::string_view key, std::string_view name,
                         const std::vector<std::string>& strings);

  // Lets `edit` change the texts of a REG_MULTI_SZ value in one locked read-and-write, so that texts another
  // process adds meanwhile are not lost. Nothing happens when the value is absent or of another type; the value
  // is removed when `edit` leaves no text. Throws std::runtime_error when the file cannot be written.
  void EditMultiString(RegistryRoot root, std::string_view key, std::string_view name,
                       const std::function<void(std::vector<std::string>&)>& edit);

  // Removes a value; nothing happens when it is absent.
  void DeleteValue(RegistryRoot root, std::string_view key, std::string_view name);

 private:
  std::string path_;
};

// The file named by MAJ_REGISTRY, else <application folder>/registry.reg.
std::string RegistryFilePath();

// The registry of this process (RegistryFilePath(), evaluated at each call).
RegistryFile SystemRegistry();

}  // namespace maj::platform
