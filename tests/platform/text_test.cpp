#include "platform/text.h"

#include <gtest/gtest.h>

namespace maj::platform {
namespace {

TEST(TextTest, ComparesAndReplacesIgnoringAsciiCase) {
  EXPECT_TRUE(EqualsIgnoreCase("Orv_Spec.EXE", "orv_spec.exe"));
  EXPECT_FALSE(EqualsIgnoreCase("orv_spec.exe", "orv_spec.ex"));
  EXPECT_TRUE(StartsWithIgnoreCase("%maj%\\setup.exe", "%MAJ%"));
  EXPECT_TRUE(EndsWithIgnoreCase("Report.OCX", ".ocx"));
  EXPECT_FALSE(EndsWithIgnoreCase("x", ".ocx"));
  EXPECT_EQ(ReplaceAllIgnoreCase("%maj%\\a %MAJ%", "%MAJ%", "/w"), "/w\\a /w");
  EXPECT_EQ(ToLowerAscii("AbC_É"), "abc_É");
}

}  // namespace
}  // namespace maj::platform
