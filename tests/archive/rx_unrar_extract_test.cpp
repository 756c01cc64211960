// Extracting with CRxUnrar (testing an archive is not something the program asks): contents on disk,
// progress, the decoder-gap fallback and refusal of entries that would land outside the destination.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "archive/rx_unrar.h"
#include "tests/archive/rar_test_support.h"

namespace maj::archive {
namespace {

namespace fs = std::filesystem;
using testing::RarFixture;
using testing::ReadFileText;
using testing::RecordingListener;
using testing::Sha256OfFile;
using testing::TempFolder;

TEST(RxUnrarExtract, ExtractsRar4StoredTreeWithLinkAndEmptyFolder) {
  TempFolder dest;
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar.rar"), dest.str()));
  EXPECT_EQ(ReadFileText(dest.path() / "test.txt"), "test text document\r\n");
  EXPECT_EQ(ReadFileText(dest.path() / "testdir/test.txt"), "test text document\r\n");
  EXPECT_TRUE(fs::is_directory(dest.path() / "testemptydir"));
  ASSERT_TRUE(fs::is_symlink(dest.path() / "testlink"));
  EXPECT_EQ(fs::read_symlink(dest.path() / "testlink"), "test.txt");
  // No temporary file is left behind.
  for (const auto& item : fs::recursive_directory_iterator(dest.path())) {
    EXPECT_EQ(item.path().filename().string().find(".maj-"), std::string::npos) << item.path();
  }
}

TEST(RxUnrarExtract, ExtractsRar4CompressedAndRar5IntoAFolderItCreates) {
  TempFolder dest;
  CRxUnrar unrar;
  const fs::path target = dest.path() / "new/sub";
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar_compress_normal.rar"), target.string()));
  EXPECT_EQ(fs::file_size(target / "LibarchiveAddingTest.html"), 20111u);
  EXPECT_EQ(Sha256OfFile((target / "LibarchiveAddingTest.html").string()),
            Sha256OfFile((target / "testdir/LibarchiveAddingTest.html").string()));
  EXPECT_EQ(ReadFileText(target / "testdir/test.txt"), "test text document\r\n");

  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar5_stored.rar"), dest.str()));
  EXPECT_EQ(ReadFileText(dest.path() / "helloworld.txt"), "hello libarchive test suite!\n");
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar5_win32.rar"), dest.str()));
  EXPECT_TRUE(fs::is_directory(dest.path() / "testdir"));
  EXPECT_EQ(fs::file_size(dest.path() / "test.bin"), 1200u);
  EXPECT_EQ(fs::file_size(dest.path() / "test6.bin"), 4096u);
}

TEST(RxUnrarExtract, ExtractsUnicodeNamesAndTheEmptyFileWithoutProgressForIt) {
  TempFolder dest;
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar_unicode.rar"), dest.str()));
  const fs::path empty = dest.path() / "表だよ/新しいフォルダ/新規テキスト ドキュメント.txt";
  ASSERT_TRUE(fs::exists(empty));
  EXPECT_EQ(fs::file_size(empty), 0u);
  EXPECT_EQ(fs::file_size(dest.path() / "表だよ/漢字長いファイル名long-filename-in-漢字.txt"), 5u);
  EXPECT_EQ(fs::file_size(dest.path() / "abcdefghijklmnopqrsテスト.txt"), 16u);
  // One progress report for each of the other two, none for the empty one.
  EXPECT_EQ(listener.progressExtracted, (std::vector<double>{5, 16}));
}

TEST(RxUnrarExtract, ArchivesLibarchiveCannotDecodeAreExtractedWithUnar) {
  TempFolder dest;
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("decoder-gaps/test_read_format_rar3_lowdist_reset.rar"), dest.str()))
      << unrar.strLastErrorMsg();
  EXPECT_EQ(Sha256OfFile((dest.path() / "lowdist-reset.bin").string()),
            "353d5f7a0789034186922e5834f666f36fa1f98e18f53fb4140b336ba090a923");
  // Stored as ---r-----: the user who extracts it can read and write it all the same.
  EXPECT_EQ(fs::status(dest.path() / "lowdist-reset.bin").permissions() & fs::perms::owner_all,
            fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("decoder-gaps/test_read_format_rar_multi_lzss_blocks.rar"), dest.str()))
      << unrar.strLastErrorMsg();
  EXPECT_EQ(Sha256OfFile((dest.path() / "multi_lzss_blocks_test.txt").string()),
            "49a84a381599f749f93beaf486f3d661883d45659d9f46bfde9d34f72644f208");
  // Progress is reported for the entry however it was decoded.
  ASSERT_FALSE(listener.progressExtracted.empty());
  EXPECT_LE(listener.progressExtracted.back(), 20131111);
}

TEST(RxUnrarExtract, SelfExtractingArchivesAndArchivesLibarchiveCannotParse) {
  TempFolder dest;
  CRxUnrar unrar;
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar_sfx.exe"), dest.str()));
  EXPECT_EQ(ReadFileText(dest.path() / "test.txt"), "test text file\r\n");
  EXPECT_EQ(ReadFileText(dest.path() / "testdir/test.txt"), "test text file\r\n");
  EXPECT_EQ(fs::file_size(dest.path() / "testshortcut.lnk"), 441u);
  EXPECT_TRUE(fs::is_directory(dest.path() / "testemptydir"));

  // Read whole by unar, with the events of any archive.
  for (const char* name :
       {"test_read_format_rar5_main_block_extra_bytes.rar", "test_read_format_rar5_skip_block_extra_bytes.rar"}) {
    TempFolder out;
    RecordingListener listener;
    CRxUnrar whole(&listener);
    ASSERT_TRUE(whole.ExtractRarFiles(RarFixture(name), out.str())) << name;
    EXPECT_EQ(ReadFileText(out.path() / "helloworld.txt"), "hello libarchive test suite!\n");
    EXPECT_EQ(listener.events, (std::vector<std::string>{"NextVolumne " + RarFixture(name),
                                                         "ProcessingFile helloworld.txt 29 5.0 m30 a100644",
                                                         "Progress 29 29"}));
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1) << name;
  }
}

TEST(RxUnrarExtract, TheRar5SetOfEightVolumesKeepsTheProgramsExecutable) {
  TempFolder dest;
  RecordingListener listener;
  listener.continueVolumes = true;
  CRxUnrar unrar(&listener);
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar5_multiarchive.part01.rar"), dest.str()));
  EXPECT_EQ(listener.volumes.size(), 8u);
  const fs::path bin = dest.path() / "home/antek/temp/build/unrar5/libarchive/bin";
  EXPECT_EQ(Sha256OfFile((bin / "bsdcat_test").string()).substr(0, 16), "b858933c12f1b907");
  EXPECT_EQ(Sha256OfFile((bin / "bsdtar_test").string()).substr(0, 16), "30e80423a3ed56cf");
  // Stored as rwxr-xr-x: it stays a program.
  EXPECT_NE(fs::status(bin / "bsdtar_test").permissions() & fs::perms::owner_exec, fs::perms::none);
}

TEST(RxUnrarExtract, NothingIsWrittenOrLinkedOutsideTheDestination) {
  using testing::InsertRar4Copy;
  using testing::PatchRar4Entry;
  struct Case {
    std::function<void(std::string&)> patch;
    std::string refused;  // the entry that fails
  };
  const Case cases[] = {
      {[](std::string& a) { PatchRar4Entry(a, "test.txt", "../a.txt"); }, "../a.txt"},
      {[](std::string& a) { PatchRar4Entry(a, "test.txt", "/a/b.txt"); }, "/a/b.txt"},
      {[](std::string& a) { PatchRar4Entry(a, "testlink", "testlink", "../x.txt"); }, "testlink"},
      {[](std::string& a) { PatchRar4Entry(a, "testlink", "testlink", "/etc/hos"); }, "testlink"},
      // "a" leads back to the destination itself, so "a/l" -> ".." would be the destination's parent.
      {[](std::string& a) {
         InsertRar4Copy(a, "testlink", "a/l", "..");
         InsertRar4Copy(a, "testlink", "a", ".");
       },
       "a/l"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.refused);
    TempFolder root;
    const fs::path dest = root.path() / "dest";
    std::string bytes = ReadFileText(RarFixture("test_read_format_rar.rar"));
    test.patch(bytes);
    RecordingListener listener;
    CRxUnrar unrar(&listener);
    EXPECT_FALSE(unrar.ExtractRarFiles(root.WriteFile("hostile.rar", bytes), dest.string()));
    EXPECT_EQ(listener.events.back(), "ProcessError 16 File create error | " + test.refused);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dest / test.refused)));
    for (const auto& item : fs::directory_iterator(root.path())) {
      EXPECT_TRUE(item.path() == dest || item.path().filename() == "hostile.rar") << item.path();
    }
  }
}

}  // namespace
}  // namespace maj::archive
