#include "platform/disk_space.h"

#include <sys/statvfs.h>

#include <cstdio>
#include <filesystem>

namespace maj::platform {

std::optional<std::uint64_t> FreeDiskSpace(const std::string& path) {
  std::filesystem::path existing = path.empty() ? std::filesystem::path(".") : std::filesystem::path(path);
  std::error_code error;
  while (!std::filesystem::exists(existing, error) && existing.has_relative_path()) existing = existing.parent_path();
  struct statvfs info;
  if (statvfs(existing.c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::optional<std::string> DiskSpaceShortage(const std::string& folder, std::uint64_t bytes) {
  const std::optional<std::uint64_t> free = FreeDiskSpace(folder);
  const std::uint64_t needed = bytes + kDiskSpaceMargin;
  if (!free || (needed >= bytes && *free >= needed)) return std::nullopt;
  return "Espace disque insuffisant : " + ShownSize(needed) + " nécessaires (marge comprise), " + ShownSize(*free) +
         " libres dans « " + folder + " »";
}

std::string ShownSize(std::uint64_t bytes) {
  constexpr double kKilo = 1024.0;
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%llu octets", static_cast<unsigned long long>(bytes));
    return text;
  }
  if (bytes < (1u << 20)) {
    std::snprintf(text, sizeof text, "%.0f Ko", static_cast<double>(bytes) / kKilo);
    return text;
  }
  const bool giga = bytes >= (std::uint64_t{1} << 30);
  std::snprintf(text, sizeof text, "%.1f %s", static_cast<double>(bytes) / (giga ? kKilo * kKilo * kKilo : kKilo * kKilo),
                giga ? "Go" : "Mo");
  std::string shown = text;
  // A decimal comma, whichever separator the process's locale gave printf.
  for (char& c : shown) {
    if (c == '.') c = ',';
  }
  return shown;
}

}  // namespace maj::platform
