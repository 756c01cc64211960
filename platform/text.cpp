#include "platform/text.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace maj::platform {
namespace {

// Code given to a byte outside any valid UTF-8 sequence: beyond Unicode, so never equal to a character.
constexpr std::int32_t kStrayByte = 0x110000;

struct Character {
  std::int32_t code;
  std::size_t size;  // bytes taken in the text
};

Character CharacterAt(std::string_view text, std::size_t pos) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  if (byte < 0x80) return {byte, 1};
  utf8proc_int32_t code = 0;
  const utf8proc_ssize_t size =
      utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data() + pos),
                       static_cast<utf8proc_ssize_t>(text.size() - pos), &code);
  if (size <= 0) return {kStrayByte + byte, 1};
  return {code, static_cast<std::size_t>(size)};
}

// Simple case folding: Unicode's folding where it gives one character; where it gives several ("ß" → "ss"),
// which Windows never does for names, the character's lowercase.
std::int32_t Fold(std::int32_t code) {
  if (code < 0x80) return (code >= 'A' && code <= 'Z') ? code - 'A' + 'a' : code;
  if (code >= kStrayByte) return code;
  utf8proc_int32_t folded[4];
  int boundary = 0;
  if (utf8proc_decompose_char(code, folded, 4, UTF8PROC_CASEFOLD, &boundary) == 1) return folded[0];
  return utf8proc_tolower(code);
}

std::vector<std::int32_t> FoldedCharacters(std::string_view text) {
  std::vector<std::int32_t> folded;
  folded.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const Character c = CharacterAt(text, pos);
    folded.push_back(Fold(c.code));
    pos += c.size;
  }
  return folded;
}

// The number of bytes at the start of `text` that equal `affix` ignoring case; nothing when `text` does
// not start with `affix`. Both may take different numbers of bytes ("K" and the Kelvin sign).
std::optional<std::size_t> MatchedPrefixSize(std::string_view text, std::string_view affix) {
  std::size_t t = 0;
  for (std::size_t a = 0; a < affix.size();) {
    if (t >= text.size()) return std::nullopt;
    const Character x = CharacterAt(text, t);
    const Character y = CharacterAt(affix, a);
    if (Fold(x.code) != Fold(y.code)) return std::nullopt;
    t += x.size;
    a += y.size;
  }
  return t;
}

}  // namespace

std::string ToLowerCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const Character c = CharacterAt(text, pos);
    if (c.code < 0x80) {
      out += static_cast<char>(Fold(c.code));
    } else if (c.code >= kStrayByte) {
      out += text[pos];
    } else {
      utf8proc_uint8_t bytes[4];
      const utf8proc_ssize_t size = utf8proc_encode_char(utf8proc_tolower(c.code), bytes);
      out.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
    }
    pos += c.size;
  }
  return out;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  const std::optional<std::size_t> matched = MatchedPrefixSize(a, b);
  return matched && *matched == a.size();
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view affix) {
  return MatchedPrefixSize(text, affix).has_value();
}

bool EndsWithIgnoreCase(std::string_view text, std::string_view affix) {
  const std::vector<std::int32_t> folded = FoldedCharacters(text);
  const std::vector<std::int32_t> tail = FoldedCharacters(affix);
  return folded.size() >= tail.size() && std::equal(tail.begin(), tail.end(), folded.end() - tail.size());
}

std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (const std::optional<std::size_t> matched = MatchedPrefixSize(text.substr(pos), from)) {
      out += to;
      pos += *matched;
    } else {
      // Whole characters are copied, so that a match never starts inside one.
      const std::size_t size = CharacterAt(text, pos).size;
      out += text.substr(pos, size);
      pos += size;
    }
  }
  return out;
}

bool MatchesPatternIgnoreCase(std::string_view textBytes, std::string_view patternBytes, char anyRun,
                              char anyOne) {
  const std::vector<std::int32_t> text = FoldedCharacters(textBytes);
  const std::vector<std::int32_t> pattern = FoldedCharacters(patternBytes);
  const std::int32_t run = static_cast<unsigned char>(anyRun);
  const std::int32_t one = static_cast<unsigned char>(anyOne);
  // Iterative matching that remembers only the last anyRun: when a later part fails, that anyRun takes one
  // more character and the rest is tried again. Earlier ones never need to take more.
  std::size_t t = 0;
  std::size_t p = 0;
  std::optional<std::size_t> runPattern;
  std::size_t runText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == run) {
      runPattern = p++;
      runText = t;
    } else if (p < pattern.size() && (pattern[p] == one || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (runPattern) {
      p = *runPattern + 1;
      t = ++runText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == run) ++p;
  return p == pattern.size();
}

}  // namespace maj::platform
