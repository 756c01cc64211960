#include "engine/main_version_number.h"

#include <string>

namespace maj::engine {
namespace {

std::string_view LastTwo(std::string_view part) { return part.size() <= 2 ? part : part.substr(part.size() - 2); }

}  // namespace

std::optional<std::int32_t> MainVersionNumber(std::string_view version) {
  if (version.empty()) return std::nullopt;
  std::string joined;
  std::size_t start = 0;
  for (int part = 0; part < 3; ++part) {
    if (start > version.size()) {
      joined += "00";
      continue;
    }
    std::size_t dot = version.find('.', start);
    if (dot == std::string_view::npos) dot = version.size();
    joined += LastTwo(version.substr(start, dot - start));
    start = dot + 1;
  }
  std::int32_t number = 0;
  std::size_t digits = 0;
  // At most six digits: the value always fits.
  while (digits < joined.size() && joined[digits] >= '0' && joined[digits] <= '9') {
    number = number * 10 + (joined[digits] - '0');
    ++digits;
  }
  if (digits == 0) return std::nullopt;
  return number;
}

}  // namespace maj::engine
