#include "engine/version_compare.h"

#include <algorithm>
#include <limits>

#include "sysinfo/file_version_info.h"

namespace maj::engine {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The number that `part` (already trimmed, not empty) starts with, held within the 32-bit range.
std::int32_t LeadingNumber(std::string_view part) {
  bool negative = false;
  if (!part.empty() && (part.front() == '+' || part.front() == '-')) {
    negative = part.front() == '-';
    part.remove_prefix(1);
  }
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t value = 0;
  for (char c : part) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(std::max(-value, std::int64_t{std::numeric_limits<std::int32_t>::min()}));
  return static_cast<std::int32_t>(std::min(value, std::int64_t{std::numeric_limits<std::int32_t>::max()}));
}

}  // namespace

VersionArray convertVersionStringToArray(std::string_view version) {
  VersionArray components;
  std::size_t start = 0;
  while (start <= version.size()) {
    const std::size_t stop = std::min(version.find('.', start), version.size());
    const std::string_view part = Trim(version.substr(start, stop - start));
    if (!part.empty()) components.push_back(LeadingNumber(part));
    start = stop + 1;
  }
  return components;
}

std::int32_t compareVersion(const VersionArray& a1, const VersionArray& a2) {
  const std::size_t shared = std::min(a1.size(), a2.size());
  for (std::size_t i = 0; i < shared; ++i) {
    if (a1[i] > a2[i]) return 1;
    if (a1[i] < a2[i]) return -1;
  }
  if (a1.size() > a2.size()) return 1;
  if (a1.size() < a2.size()) return -1;
  return 0;
}

std::int32_t compareVersionStr(std::string_view str1, std::string_view str2) {
  return compareVersion(convertVersionStringToArray(str1), convertVersionStringToArray(str2));
}

std::string LocalFileVersion(const std::string& path) {
  sysinfo::CFileVersionInfo info;
  info.SetFullPathName(path);
  if (!info.Available()) return {};
  const std::string& version = info.FileVersion();
  if (version.find(',') == std::string::npos) return version;
  std::string dotted;
  std::size_t start = 0;
  bool first = true;
  while (start <= version.size()) {
    const std::size_t stop = std::min(version.find(',', start), version.size());
    const std::string_view part = std::string_view(version).substr(start, stop - start);
    if (!first) dotted += '.';
    dotted += first ? part : Trim(part);
    first = false;
    start = stop + 1;
  }
  return dotted;
}

}  // namespace maj::engine
