#pragma once
// Bounds-checked little-endian reads over bytes that come from an untrusted file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace maj::sysinfo {

class ByteView {
 public:
  ByteView() = default;
  explicit ByteView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  std::span<const std::uint8_t> bytes() const { return bytes_; }

  // The value at `offset`; nullopt when any of its bytes lies outside the view.
  std::optional<std::uint16_t> U16(std::size_t offset) const {
    if (!Contains(offset, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
  }
  std::optional<std::uint32_t> U32(std::size_t offset) const {
    if (!Contains(offset, 4)) return std::nullopt;
    return static_cast<std::uint32_t>(bytes_[offset]) | (static_cast<std::uint32_t>(bytes_[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes_[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes_[offset + 3]) << 24);
  }

  // True when [offset, offset + length) lies inside the view (overflow-safe).
  bool Contains(std::size_t offset, std::size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  // The sub-range [offset, offset + length); nullopt when it does not lie inside the view.
  std::optional<ByteView> Slice(std::size_t offset, std::size_t length) const {
    if (!Contains(offset, length)) return std::nullopt;
    return ByteView(bytes_.subspan(offset, length));
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace maj::sysinfo
