#pragma once
// Trimming of blanks around texts read by the data access layer. Internal to db/.
#include <string_view>

namespace maj::db::internal {

// `text` without the spaces and tabs at either end.
inline std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace maj::db::internal
