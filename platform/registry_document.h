#pragma once
// The lines of a registry file (.reg, REGEDIT4), parsed for reading and kept verbatim for writing back.
// Internal to the registry file; other code goes through RegistryFile.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_file.h"

namespace maj::platform::registry_internal {

// One logical line: a physical line, or a hex value with its continuation lines. `raw` holds the bytes
// exactly as read (line ends included), so that a line nobody changed is written back unchanged.
struct RegistryEntry {
  enum class Kind { Other, Section, Value };
  Kind kind = Kind::Other;
  std::string raw;
  // Section (any line opening with '['): the root (nullopt when it is not one MAJ knows, or the line is not a
  // key header it can read) and the key path below it.
  std::optional<RegistryRoot> root;
  std::string keyPath;
  // Value: its name ("" for the default value "@") and what it holds.
  std::string name;
  RegistryValue value;
};

class RegistryDocument {
 public:
  // Parses `content`; what cannot be understood becomes Kind::Other entries.
  static RegistryDocument Parse(std::string_view content);

  // The file text: every entry's raw bytes in order.
  std::string Serialize() const;

  std::optional<RegistryValue> Find(RegistryRoot root, std::string_view key, std::string_view name) const;
  std::optional<std::vector<std::string>> Names(RegistryRoot root, std::string_view key) const;

  // Replaces the value (its first line in the key; later duplicates are removed) or appends it to the
  // key's last section, adding the section at the end when the key has none (and the REGEDIT4 header when
  // the document is empty).
  void Set(RegistryRoot root, std::string_view key, std::string_view name, const RegistryValue& value);
  void Remove(RegistryRoot root, std::string_view key, std::string_view name);

 private:
  bool InKey(std::size_t sectionIndex, RegistryRoot root, std::string_view key) const;
  // Indices, in file order, of the value lines for `name` in the sections of `key`.
  std::vector<std::size_t> ValueLines(RegistryRoot root, std::string_view key, std::string_view name) const;
  std::string LineEnd() const;

  std::vector<RegistryEntry> entries_;
  bool crlf_ = false;
};

// The value line for `name` and `value` as regedit writes it: "name"="text", dword:, hex(7):... A long hex
// value is wrapped with a trailing '\' and `lineEnd`; the last line carries no line end.
std::string FormatValueLine(std::string_view name, const RegistryValue& value, std::string_view lineEnd);

}  // namespace maj::platform::registry_internal
