#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace maj::platform {
namespace {

TEST(TextTest, ComparesLowersAndReplacesIgnoringLetterCase) {
  EXPECT_TRUE(EqualsIgnoreCase("Orv_Spec.EXE", "orv_spec.exe"));
  EXPECT_FALSE(EqualsIgnoreCase("orv_spec.exe", "orv_spec.ex"));
  EXPECT_TRUE(StartsWithIgnoreCase("%maj%\\setup.exe", "%MAJ%"));
  EXPECT_TRUE(EndsWithIgnoreCase("Report.OCX", ".ocx"));
  EXPECT_FALSE(EndsWithIgnoreCase("x", ".ocx"));
  EXPECT_EQ(ReplaceAllIgnoreCase("%maj%\\a %MAJ%", "%MAJ%", "/w"), "/w\\a /w");
  // Every letter, accented ones included.
  EXPECT_EQ(ToLowerCase("ÉTÉ 2026.TXT"), "été 2026.txt");
  EXPECT_TRUE(EqualsIgnoreCase("Nouveautés.PDF", "NOUVEAUTÉS.pdf"));
  EXPECT_FALSE(EqualsIgnoreCase("été.txt", "ete.txt"));
  EXPECT_TRUE(EndsWithIgnoreCase("Œuvres\\ÉTÉ", "\\été"));
  EXPECT_EQ(ReplaceAllIgnoreCase("Été\\ÉTÉ\\ete", "été", "x"), "x\\x\\ete");
  // Letters whose two cases take different numbers of bytes: the Kelvin sign and "k", "ẞ" and "ß".
  EXPECT_TRUE(StartsWithIgnoreCase("\u212Aelvin.dll", "KEL"));
  EXPECT_EQ(ReplaceAllIgnoreCase("a\u212Ab", "k", "-"), "a-b");
  EXPECT_TRUE(EqualsIgnoreCase("STRAẞE", "straße"));
  EXPECT_FALSE(EqualsIgnoreCase("straße", "strasse"));
  // Bytes that are not UTF-8 (Latin-1 "ÉTÉ", a sequence cut short) stand for themselves.
  EXPECT_EQ(ToLowerCase("\xC9T\xC9.TXT"), "\xC9t\xC9.txt");
  EXPECT_EQ(ToLowerCase("ÉT\xC3"), "ét\xC3");
  EXPECT_TRUE(EqualsIgnoreCase("\xC9t\xC9", "\xC9T\xC9"));
  EXPECT_FALSE(EqualsIgnoreCase("\xC9t\xC9", "\xE9t\xE9"));
  EXPECT_FALSE(StartsWithIgnoreCase("\xC3", "Ã"));
  EXPECT_EQ(ToUpperAscii("abc_é"), "ABC_é");
}

TEST(TextTest, MatchesPatternsWithEitherPairOfWildcards) {
  struct Case {
    const char* text;
    const char* pattern;  // written with '*' and '?'; the same case runs again with '%' and '_'
    bool matches;
  };
  const Case cases[] = {
      {"Orv_Spec.EXE", "orv_spec.exe", true}, {"orv_spec.exe", "orv_spec.ex", false},
      {"orv_spec.ex", "orv_spec.exe", false}, {"", "", true},
      {"", "*", true},                         {"", "?", false},
      {"abc", "*", true},                      {"abc", "a*", true},
      {"abc", "*c", true},                     {"abc", "*d", false},
      {"ABC", "a?c", true},                    {"abcd", "a?c", false},
      {"ac", "a?c", false},                    {"a.b.c", "*.c", true},
      {"aXbXc", "a*b*c", true},                {"aXbXb", "a*b*c", false},
      // The last run must give back characters several times before the tail fits.
      {"mississippi", "m*iss*ppi", true},      {"mississippi", "m*iss*ippix", false},
      {"abab", "*ab", true},                   {"ab", "**b", true},
      {"a*b", "a*b", true},                    {"xyz", "x**?", true},
      // One wildcard character stands for one letter, whatever its size; stray bytes count one each.
      {"Éditions.DLL", "é*.dll", true},        {"ÉTÉ.txt", "?t?.TXT", true},
      {"été.txt", "e*", false},                {"\xC9T\xC9", "?t?", true},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(MatchesPatternIgnoreCase(test.text, test.pattern, '*', '?'), test.matches)
        << test.text << " ~ " << test.pattern;
    std::string like = test.pattern;
    std::replace(like.begin(), like.end(), '*', '%');
    std::replace(like.begin(), like.end(), '?', '_');
    EXPECT_EQ(MatchesPatternIgnoreCase(test.text, like, '%', '_'), test.matches) << test.text << " ~ " << like;
  }
  // Each pair's characters are plain characters for the other.
  EXPECT_FALSE(MatchesPatternIgnoreCase("abc", "%", '*', '?'));
  EXPECT_TRUE(MatchesPatternIgnoreCase("50%", "50%", '*', '?'));
  EXPECT_FALSE(MatchesPatternIgnoreCase("orv_spec", "orv?spec", '%', '_'));
  EXPECT_TRUE(MatchesPatternIgnoreCase("orvXspec", "orv_spec", '%', '_'));
}

}  // namespace
}  // namespace maj::platform
