#pragma once
// The number that stands for a published version of the main executable in the documentation range.
#include <cstdint>
#include <optional>
#include <string_view>

namespace maj::engine {

// The last two characters of the first three dotted parts joined, read as a number: 13.01.0010 gives
// 130110, 2.5.1 gives 251. A missing second or third part counts as "00" (13.01 gives 130100). nullopt for an
// empty text and when the joined text does not start with a digit.
std::optional<std::int32_t> MainVersionNumber(std::string_view version);

}  // namespace maj::engine
