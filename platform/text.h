#pragma once
// Text helpers shared by every folder: letter case as Windows treats file names, registry names and
// column names. Every letter counts, accented ones included ("ÉTÉ.txt" and "été.txt" name one file): texts
// are UTF-8, mapped one character at a time by Unicode's case tables (utf8proc). A byte that does not
// belong to a valid UTF-8 sequence stands for itself, so text in another encoding keeps a byte-wise
// comparison (ASCII letters only) and never fails.
#include <string>
#include <string_view>

namespace maj::platform {

// `text` with every uppercase letter replaced by its lowercase (Unicode's simple lowercase mapping), as
// Windows' LCase lowers a file name: "ÉTÉ 2026.TXT" → "été 2026.txt".
std::string ToLowerCase(std::string_view text);

// `text` with only the ASCII letters uppercased: for searching English protocol texts (server messages),
// where no other letter matters.
std::string ToUpperAscii(std::string_view text);

// True when both texts are equal ignoring letter case (Unicode simple case folding).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// True when `text` starts / ends with `affix`, ignoring letter case.
bool StartsWithIgnoreCase(std::string_view text, std::string_view affix);
bool EndsWithIgnoreCase(std::string_view text, std::string_view affix);

// Replaces every occurrence of `from` (compared ignoring letter case) by `to`.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to);

// True when the whole of `text` matches `pattern` ignoring letter case, where `anyRun` in the pattern
// stands for any run of characters (none included) and `anyOne` for exactly one character (one letter,
// however many bytes it takes); every other character stands for itself. ('*', '?') gives file-name
// wildcards, ('%', '_') WQL's LIKE.
bool MatchesPatternIgnoreCase(std::string_view text, std::string_view pattern, char anyRun, char anyOne);

}  // namespace maj::platform
