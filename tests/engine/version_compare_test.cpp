// Version texts compared part by part (the installed copy's FileVersion in dotted form: fichier_test).
#include "engine/version_compare.h"

#include <gtest/gtest.h>

namespace maj::engine {
namespace {

TEST(VersionCompareTest, ComparesVersionTexts) {
  struct Case {
    const char* left;
    const char* right;
    int expected;
  };
  const Case cases[] = {
      {"1.2.3", "1.2.3", 0},
      {"1.10", "1.9", 1},            // numbers, not texts
      {"2", "10", -1},
      {"01.002", "1.2", 0},          // leading zeros
      {"1.2", "1.2.0", -1},          // a trailing .0 counts
      {"1..2", "1.2", 0},            // empty parts are skipped
      {".1.2.", "1.2", 0},
      {"", "0", -1},                 // the empty version is lower than any other
      {"", "", 0},
      {"13.01.0010", "13.1.0.10", 1},  // [13, 1, 10] against [13, 1, 0, 10]
      {"13.01.0010", "13.1.10", 0},
      {" 1 . 2 ", "1.2", 0},         // blanks around a part
      {"1. .2", "1.2", 0},           // a blank part is skipped like an empty one
      {"6.2.9200.16384", "6.2.9200.16385", -1},
      {"5512 (build)", "5512", 0},   // the number a part starts with
      {"1.x", "1.0", 0},             // no number at all counts as 0
      {"99999999999", "2147483647", 0},  // held at the 32-bit limit
      {"-3", "0", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(compareVersionStr(c.left, c.right), c.expected) << '"' << c.left << "\" vs \"" << c.right << '"';
  }
}

}  // namespace
}  // namespace maj::engine
