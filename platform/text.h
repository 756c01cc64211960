#pragma once
// Text helpers shared by every folder: ASCII case folding and comparisons as Windows does them for
// file names, registry names and column names.
#include <string>
#include <string_view>

namespace maj::platform {

std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);

// True when both texts are equal ignoring ASCII letter case.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// True when `text` starts / ends with `affix`, ignoring ASCII letter case.
bool StartsWithIgnoreCase(std::string_view text, std::string_view affix);
bool EndsWithIgnoreCase(std::string_view text, std::string_view affix);

// Replaces every occurrence of `from` (compared ignoring ASCII case) by `to`.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to);

// True when the whole of `text` matches `pattern` ignoring ASCII letter case, where `anyRun` in the pattern
// stands for any run of characters (none included) and `anyOne` for exactly one character; every other
// character stands for itself. ('*', '?') gives file-name wildcards, ('%', '_') WQL's LIKE.
bool MatchesPatternIgnoreCase(std::string_view text, std::string_view pattern, char anyRun, char anyOne);

}  // namespace maj::platform
