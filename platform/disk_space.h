#pragma once
// Free space of file systems, checked before a large write so that a run refuses early instead of filling
// the disk.
#include <cstdint>
#include <optional>
#include <string>

namespace maj::platform {

// Space left free on top of what a write needs: a file system filled to the last block is of use to nobody.
inline constexpr std::uint64_t kDiskSpaceMargin = 1 << 20;

// Bytes that this process may still write on the file system holding `path` (its nearest existing folder
// when `path` does not exist yet); nullopt when the system cannot tell.
std::optional<std::uint64_t> FreeDiskSpace(const std::string& path);

// Nothing when `bytes` plus kDiskSpaceMargin fit in FreeDiskSpace(`folder`) (or the free space is unknown);
// else the French description of the shortage: "Espace disque insuffisant : 4,0 Go nécessaires (marge
// comprise), 3,2 Mo libres dans « folder »".
std::optional<std::string> DiskSpaceShortage(const std::string& folder, std::uint64_t bytes);

// A size for the user: "512 octets", "12 Ko", "3,2 Mo", "4,0 Go".
std::string ShownSize(std::uint64_t bytes);

}  // namespace maj::platform
