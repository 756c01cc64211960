#pragma once
// The entries of a RAR archive as the `lsar` tool lists them (its JSON listing), for the archives whose
// headers libarchive cannot parse.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace maj::archive {

// One entry of the listing; an entry continued over volumes is listed once.
struct ListedEntry {
  std::int64_t index = 0;  // the number `unar -i` takes
  std::string name;        // path with '/' separators
  std::uint64_t size = 0;
  std::optional<std::uint32_t> crc;  // CRC-32 of the unpacked data, when the archive gives a plain one
  bool directory = false;
  bool link = false;
  bool encrypted = false;
  std::uint32_t unpackVersion = 0;  // two digits, tens = major
  std::uint32_t method = 0x30;      // 0x30 (stored) .. 0x35 (best)
  std::uint32_t attributes = 0;     // as stored
};

// The entries of a listing printed by `lsar -j`; nullopt when it is not one, or not of a RAR archive.
std::optional<std::vector<ListedEntry>> ParseLsarListing(std::string_view json);

// Runs `lsar -j` on the archive whose first volume is `archivePath` (time limit as for `unar`, output of
// at most 32 MiB) and parses its listing. `whileWaiting` runs regularly meanwhile. nullopt when `lsar` is
// absent, fails or lists no RAR archive.
std::optional<std::vector<ListedEntry>> ListArchiveWithLsar(const std::string& archivePath,
                                                            const std::function<void()>& whileWaiting);

}  // namespace maj::archive
