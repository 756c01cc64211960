#include "tools/doc-service/document_folder.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace maj::docservice {
namespace {

// The versions a version text covers, as numbers; nullopt when the text does not read as a version.
std::optional<std::pair<std::int64_t, std::int64_t>> VersionRange(std::string_view text) {
  std::int64_t parts[3] = {0, 0, 0};
  int count = 0;
  for (const char* at = text.data(); count < 3;) {
    const auto [end, error] = std::from_chars(at, text.data() + text.size(), parts[count]);
    if (error != std::errc()) return std::nullopt;
    ++count;
    if (end == text.data() + text.size()) break;
    if (*end != '.') return std::nullopt;
    at = end + 1;
  }
  const std::int64_t low = parts[0] * 10000 + parts[1] * 100 + parts[2];
  return std::make_pair(low, count == 3 ? low : low + 99);
}

}  // namespace

DocumentFolder::DocumentFolder(std::string folder) : folder_(std::move(folder)) {}

std::vector<std::string> DocumentFolder::List(std::int32_t lOld, std::int32_t lNew) const {
  std::vector<std::string> lines;
  std::ifstream index(std::filesystem::path(folder_) / "index.txt");
  for (std::string line; std::getline(index, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::string_view version;
    const size_t first = line.find('|');
    const size_t second = first == std::string::npos ? first : line.find('|', first + 1);
    if (second != std::string::npos) version = std::string_view(line).substr(second + 1, line.find('|', second + 1) - second - 1);
    const auto range = VersionRange(version);
    if (!range || (range->first <= lNew && range->second >= lOld)) lines.push_back(line);
  }
  return lines;
}

std::optional<std::string> DocumentFolder::Find(double identifier) const {
  if (!std::isfinite(identifier) || identifier != std::floor(identifier)) return std::nullopt;
  const std::string name = std::to_string(static_cast<long long>(identifier));
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    const std::string file = entry.path().filename().string();
    if (entry.is_regular_file() && (file == name || file.starts_with(name + "."))) return entry.path().string();
  }
  return std::nullopt;
}

}  // namespace maj::docservice
