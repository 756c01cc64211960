#include "archive/zip_entry_names.h"

#include <gtest/gtest.h>

namespace maj::archive {
namespace {

TEST(ZipEntryNamesTest, WindowsSeparatorsAndRedundantComponents) {
  EXPECT_EQ(SafeEntryPath("bin\\fr\\aide.chm")->relative, "bin/fr/aide.chm");
  EXPECT_EQ(SafeEntryPath("./a//b/./c.txt")->relative, "a/b/c.txt");
  EXPECT_FALSE(SafeEntryPath("a/b.txt")->isFolder);
  auto folder = SafeEntryPath("docs\\");
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->isFolder);
  EXPECT_EQ(folder->relative, "docs");
  EXPECT_EQ(SafeEntryPath("a..b/..c")->relative, "a..b/..c");  // dots inside a name are harmless
}

TEST(ZipEntryNamesTest, NamesThatCouldLeaveTheFolderAreRefused) {
  for (const char* name : {"", "/", "./", "/etc/passwd", "\\\\server\\share\\x", "\\x", "C:x", "c:\\x",
                           "..", "../x", "a/../../x", "a\\..\\x", "a/.."}) {
    EXPECT_FALSE(SafeEntryPath(name)) << name;
  }
}

}  // namespace
}  // namespace maj::archive
