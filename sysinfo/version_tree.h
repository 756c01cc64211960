#pragma once
// Queries over a version resource (the VS_VERSIONINFO tree), as VerQueryValue answers them.
//
// Each block of the tree is: length (16 bits, the whole block), value length (16 bits: characters for a
// text value, bytes for a binary one), type (16 bits: 1 text, 0 binary), the key in UTF-16 ending with a
// NUL, padding to 4 bytes, the value, padding to 4 bytes, then the child blocks, each starting on 4 bytes.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace maj::sysinfo {

struct VersionValue {
  // From the start of the value to the end of its block: never outside the resource.
  std::span<const std::uint8_t> bytes;
  // The block's stated value length: characters for a text value, bytes for a binary one.
  std::uint16_t declaredLength = 0;
  bool isText = false;
};

class VersionTree {
 public:
  // Takes the resource's bytes. A root block that claims more bytes than there are is cut at the end.
  explicit VersionTree(std::vector<std::uint8_t> resource);

  // True when the root block's header and key can be read.
  bool HasRoot() const;

  // The value of the block at `path`: names separated by '\', compared ignoring letter case, empty names
  // skipped ("\" is the root). nullopt when a name is not found. A child block that does not fit in its
  // parent ends the search among that parent's children.
  std::optional<VersionValue> Query(std::string_view path) const;

  // The text value at `path` up to its first NUL (or the end of its block), converted from UTF-16 to UTF-8.
  // Empty when the path is absent or its stated length is 0.
  std::string QueryText(std::string_view path) const;

 private:
  std::vector<std::uint8_t> resource_;
};

// UTF-16LE code units (up to the first NUL or the end) as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::span<const std::uint8_t> utf16);

}  // namespace maj::sysinfo
