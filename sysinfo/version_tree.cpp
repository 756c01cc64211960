#include "sysinfo/version_tree.h"

#include <algorithm>

#include "platform/text.h"
#include "sysinfo/byte_view.h"

namespace maj::sysinfo {
namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::uint16_t kTextType = 1;

std::size_t AlignUp4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

void AppendUtf8(std::string& out, std::uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

// One block of the tree, located by offsets into the resource.
struct Block {
  std::size_t end = 0;         // one past the block's last byte
  std::uint16_t valueLength = 0;
  bool isText = false;
  std::string key;
  std::size_t valueStart = 0;  // == end when the key fills the block
  std::size_t childrenStart = 0;
};

// Reads the block at `at`, which must end by `limit`; a root block (`clampToLimit`) is cut at `limit`
// instead. nullopt when its header does not fit or its length is too small to hold the header.
std::optional<Block> ReadBlock(ByteView resource, std::size_t at, std::size_t limit, bool clampToLimit) {
  if (at > limit) return std::nullopt;
  const ByteView bounded(resource.bytes().first(limit));
  const auto length = bounded.U16(at);
  const auto valueLength = bounded.U16(at + 2);
  const auto type = bounded.U16(at + 4);
  if (!length || !valueLength || !type || *length < kHeaderSize) return std::nullopt;
  Block block;
  block.end = at + *length;
  if (block.end > limit) {
    if (!clampToLimit) return std::nullopt;
    block.end = limit;
  }
  block.valueLength = *valueLength;
  block.isText = *type == kTextType;

  const std::size_t keyStart = at + kHeaderSize;
  std::size_t keyEnd = keyStart;
  while (keyEnd + 2 <= block.end && (resource.bytes()[keyEnd] != 0 || resource.bytes()[keyEnd + 1] != 0)) keyEnd += 2;
  block.key = Utf16ToUtf8(resource.bytes().subspan(keyStart, keyEnd - keyStart));
  if (keyEnd + 2 > block.end) {
    // The key has no terminating NUL inside the block: there is no value and there are no children.
    block.valueStart = block.childrenStart = block.end;
    return block;
  }
  block.valueStart = std::min(AlignUp4(keyEnd + 2), block.end);
  const std::size_t valueBytes = std::size_t{block.valueLength} * (block.isText ? 2 : 1);
  block.childrenStart = std::min(AlignUp4(block.valueStart + valueBytes), block.end);
  return block;
}

// The first child of `parent` whose key equals `name` ignoring case.
std::optional<Block> FindChild(ByteView resource, const Block& parent, std::string_view name) {
  std::size_t at = parent.childrenStart;
  // Every child is at least 6 bytes long, so each step advances and the walk ends within the parent.
  while (at + kHeaderSize <= parent.end) {
    const auto child = ReadBlock(resource, at, parent.end, false);
    if (!child) return std::nullopt;
    if (platform::EqualsIgnoreCase(child->key, name)) return child;
    at = AlignUp4(child->end);
  }
  return std::nullopt;
}

}  // namespace

std::string Utf16ToUtf8(std::span<const std::uint8_t> utf16) {
  std::string out;
  const std::size_t units = utf16.size() / 2;
  auto unit = [&](std::size_t i) { return static_cast<std::uint32_t>(utf16[2 * i] | (utf16[2 * i + 1] << 8)); };
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint32_t u = unit(i);
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

VersionTree::VersionTree(std::vector<std::uint8_t> resource) : resource_(std::move(resource)) {}

bool VersionTree::HasRoot() const {
  const ByteView resource(resource_);
  return ReadBlock(resource, 0, resource.size(), true).has_value();
}

std::optional<VersionValue> VersionTree::Query(std::string_view path) const {
  const ByteView resource(resource_);
  auto block = ReadBlock(resource, 0, resource.size(), true);
  if (!block) return std::nullopt;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t stop = std::min(path.find('\\', start), path.size());
    const std::string_view name = path.substr(start, stop - start);
    if (!name.empty()) {
      block = FindChild(resource, *block, name);
      if (!block) return std::nullopt;
    }
    start = stop + 1;
  }
  return VersionValue{std::span<const std::uint8_t>(resource_).subspan(block->valueStart, block->end - block->valueStart),
                      block->valueLength, block->isText};
}

std::string VersionTree::QueryText(std::string_view path) const {
  const auto value = Query(path);
  if (!value || value->declaredLength == 0) return {};
  return Utf16ToUtf8(value->bytes);
}

}  // namespace maj::sysinfo
