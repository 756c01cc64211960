#include "platform/text.h"

#include <algorithm>

namespace maj::platform {
namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
  return out;
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), UpperAscii);
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view affix) {
  return text.size() >= affix.size() && EqualsIgnoreCase(text.substr(0, affix.size()), affix);
}

bool EndsWithIgnoreCase(std::string_view text, std::string_view affix) {
  return text.size() >= affix.size() && EqualsIgnoreCase(text.substr(text.size() - affix.size()), affix);
}

std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (StartsWithIgnoreCase(text.substr(pos), from)) {
      out += to;
      pos += from.size();
    } else {
      out += text[pos++];
    }
  }
  return out;
}

bool MatchesPatternIgnoreCase(std::string_view text, std::string_view pattern, char anyRun, char anyOne) {
  // Iterative matching that remembers only the last anyRun: when a later part fails, that anyRun takes one
  // more character and the rest is tried again. Earlier ones never need to take more.
  std::size_t t = 0;
  std::size_t p = 0;
  std::size_t runPattern = std::string_view::npos;
  std::size_t runText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == anyRun) {
      runPattern = p++;
      runText = t;
    } else if (p < pattern.size() && (pattern[p] == anyOne || LowerAscii(pattern[p]) == LowerAscii(text[t]))) {
      ++p;
      ++t;
    } else if (runPattern != std::string_view::npos) {
      p = runPattern + 1;
      t = ++runText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == anyRun) ++p;
  return p == pattern.size();
}

}  // namespace maj::platform
