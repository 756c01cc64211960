// Damaged or hostile archives: each gives a ZipError naming the archive and the problem, and leaves neither a
// partial entry nor anything outside the destination folder; the entry names that could leave it are refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "archive/zip_component.h"
#include "archive/zip_entry_names.h"
#include "tests/archive/zip_test_support.h"
#include "tests/support/failure_of.h"
#include "tests/support/temp_folder.h"

namespace maj::archive {
namespace {

namespace fs = std::filesystem;
using maj::testing::FailureOf;
using maj::testing::ReadFileText;
using maj::testing::TempFolder;
using namespace testing;  // the zip test helpers

// Expects `error` to name each of `parts`.
void ExpectMentions(const std::string& error, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) EXPECT_NE(error.find(part), std::string::npos) << part << " | " << error;
}

class ZipBadInputTest : public ::testing::Test {
 protected:
  // Writes a four-volume set of a 2.5 MB random file named `name`, returns the archive path.
  std::string WriteLargeSet(const std::string& name, unsigned seed) {
    const std::string source = temp_.WriteFile("src/" + name, RandomBytes(kLargeSize, seed));
    const std::string archive = (temp_.path() / (name + ".zip")).string();
    WriteZip(source, archive);
    EXPECT_TRUE(fs::exists(archive + ".004"));
    return archive;
  }

  // Opens and extracts `archive` into out/, returning the error message.
  std::string ExtractError(const std::string& archive) {
    return FailureOf<ZipError>([&] { ExtractZip(archive, out()); });
  }

  std::string out() const { return (temp_.path() / "out").string(); }

  TempFolder temp_;
};

TEST_F(ZipBadInputTest, DamagedSetsAreNamedAndExtractNothing) {
  const std::string archive = WriteLargeSet("big.dat", 1);
  const std::string other = WriteLargeSet("other.dat", 2);
  struct Case {
    std::function<void()> damage;
    std::vector<std::string> mentions;
  };
  const Case cases[] = {
      {[&] { fs::remove(archive + ".002"); }, {"big.dat.zip.002", "manquant"}},
      {[&] { fs::resize_file(archive + ".004", 1000); }, {"illisible"}},
      // A shortened middle volume is caught by its size before anything is read.
      {[&] { fs::resize_file(archive + ".002", 1000); }, {"big.dat.zip.002", "1000 octets"}},
      {[&] { fs::copy_file(other + ".002", archive + ".002", fs::copy_options::overwrite_existing); },
       {"autre ensemble"}},
  };
  for (const Case& test : cases) {
    WriteZip(temp_.str() + "/src/big.dat", archive);  // a sound set again
    test.damage();
    const std::string error = ExtractError(archive + ".001");
    ExpectMentions(error, {archive + ".001"});
    ExpectMentions(error, test.mentions);
    EXPECT_TRUE(ListTree(out()).empty()) << "partial entry left";
  }
  EXPECT_EQ(ListTree(temp_.path() / "src"), (std::vector<std::string>{"big.dat", "other.dat"}));
}

TEST_F(ZipBadInputTest, CrcMismatchRemovesTheEntryAndKeepsTheOlderFile) {
  const std::string second = RandomBytes(200000, 5);
  temp_.WriteFile("src/first.txt", "premier");
  temp_.WriteFile("src/second.bin", second);
  const std::string archive = (temp_.path() / "stored.zip").string();
  ASSERT_EQ(RunQuiet("cd " + ShellQuote((temp_.path() / "src").string()) + " && 7zz a -tzip -mx0 " +
                     ShellQuote(archive) + " first.txt second.bin"),
            0);
  testing::FlipByteAt(archive, second.substr(150000, 64));
  temp_.WriteFile("out/second.bin", "version précédente");

  const std::string error = ExtractError(archive);

  ExpectMentions(error, {archive, "second.bin", "CRC"});
  EXPECT_EQ(ListTree(out()), (std::vector<std::string>{"first.txt", "second.bin"}));
  EXPECT_EQ(ReadFileText(out() + "/first.txt"), "premier");
  EXPECT_EQ(ReadFileText(out() + "/second.bin"), "version précédente");
}

TEST_F(ZipBadInputTest, EntriesReachingOutsideTheFolderAreRefusedBeforeAnyWrite) {
  const std::string outsideFile = (temp_.path() / "evil.txt").string();
  for (const std::string& name :
       {std::string("../evil.txt"), std::string("sub/../../evil.txt"), std::string("..\\evil.txt"),
        outsideFile, std::string("C:\\evil.txt")}) {
    SCOPED_TRACE(name);
    const std::string archive = (temp_.path() / "hostile.zip").string();
    testing::WriteRawZip(archive, {{"ok.txt", "sain"}, {name, "mal"}});

    const std::string error = ExtractError(archive);

    ExpectMentions(error, {archive, name, "refusée"});
    EXPECT_TRUE(ListTree(out()).empty());
    EXPECT_EQ(ListTree(temp_.path()), std::vector<std::string>{"hostile.zip"});
  }
}

TEST_F(ZipBadInputTest, SymbolicLinksAreRefusedAndNeverFollowed) {
  fs::create_directories(temp_.path() / "src");
  fs::create_symlink("/etc", temp_.path() / "src/link");
  temp_.WriteFile("src/plain.txt", "simple");
  const std::string archive = (temp_.path() / "links.zip").string();
  ASSERT_EQ(RunQuiet("cd " + ShellQuote((temp_.path() / "src").string()) + " && zip -q --symlinks " +
                     ShellQuote(archive) + " plain.txt link"),
            0);

  const std::string error = ExtractError(archive);

  ExpectMentions(error, {archive, "lien symbolique"});
  EXPECT_TRUE(ListTree(out()).empty());

  // A link already in the folder is not followed.
  fs::create_directories(temp_.path() / "elsewhere");
  fs::create_directories(out());
  fs::create_symlink(temp_.path() / "elsewhere", temp_.path() / "out/bin");
  const std::string through = (temp_.path() / "through.zip").string();
  testing::WriteRawZip(through, {{"bin\\x.dll", "code"}});
  ExpectMentions(ExtractError(through), {"bin"});
  EXPECT_TRUE(ListTree(temp_.path() / "elsewhere").empty());
}

TEST_F(ZipBadInputTest, MissingOrForeignFilesAreNamed) {
  const std::string missing = (temp_.path() / "absent.zip").string();
  std::string error = FailureOf<ZipError>([&] { ZipComponent().OpenArchive(missing); });
  ExpectMentions(error, {missing, "introuvable"});

  const std::string notZip = temp_.WriteFile("texte.zip", RandomBytes(5000, 6));
  error = FailureOf<ZipError>([&] { ZipComponent().OpenArchive(notZip); });
  ExpectMentions(error, {notZip});
}

TEST_F(ZipBadInputTest, FailedWriteLeavesNoArchiveFile) {
  const std::string archive = (temp_.path() / "gone.zip").string();
  EXPECT_NE(FailureOf<ZipError>([&] { ZipComponent().AddFile((temp_.path() / "nothing").string(), "", ""); }), "");
  EXPECT_NE(FailureOf<ZipError>([&] { ZipComponent().WriteArchive(archive); }), "");

  // The source disappears between AddFile and WriteArchive.
  const std::string source = temp_.WriteFile("src/vanishing.bin", RandomBytes(3000, 7));
  ZipComponent zip;
  zip.AddFile(source, "", "");
  fs::remove(source);
  const std::string error = FailureOf<ZipError>([&] { zip.WriteArchive(archive); });
  ExpectMentions(error, {archive});
  EXPECT_EQ(ListTree(temp_.path()), std::vector<std::string>{"src"});
}

TEST(ZipEntryNamesTest, NormalizesSeparatorsAndRefusesNamesThatCouldLeaveTheFolder) {
  EXPECT_EQ(SafeEntryPath("bin\\fr\\aide.chm")->relative, "bin/fr/aide.chm");
  EXPECT_EQ(SafeEntryPath("./a//b/./c.txt")->relative, "a/b/c.txt");
  auto folder = SafeEntryPath("docs\\");
  ASSERT_TRUE(folder);
  EXPECT_TRUE(folder->isFolder);
  EXPECT_EQ(folder->relative, "docs");
  for (const char* name : {"", "/", "./", "/etc/passwd", "\\\\server\\share\\x", "\\x", "C:x", "c:\\x",
                           "..", "../x", "a/../../x", "a\\..\\x", "a/.."}) {
    EXPECT_FALSE(SafeEntryPath(name)) << name;
  }
}

}  // namespace
}  // namespace maj::archive
