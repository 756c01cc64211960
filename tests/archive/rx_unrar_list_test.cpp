// Listing with CRxUnrar: names, entry details, the names array bounds and comments.
#include <gtest/gtest.h>

#include <stdexcept>

#include "archive/rx_unrar.h"
#include "tests/archive/rar_test_support.h"

namespace maj::archive {
namespace {

using testing::RarFixture;
using testing::RecordingListener;

TEST(RxUnrarList, ListsRar4StoredEntriesInArchiveOrder) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(10);
  ASSERT_TRUE(unrar.ListRarFiles(RarFixture("test_read_format_rar.rar"), names));
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 6),
            (std::vector<std::string>{"test.txt", "testlink", "testdir/test.txt", "testdir", "testemptydir", ""}));
  // The first volume is announced once before the entries.
  ASSERT_FALSE(listener.events.empty());
  EXPECT_EQ(listener.events[0], "NextVolumne " + RarFixture("test_read_format_rar.rar"));
  EXPECT_TRUE(listener.Has("ProcessingFile test.txt 20 2.0 m30"));
  EXPECT_TRUE(unrar.strLastErrorMsg().empty());
}

TEST(RxUnrarList, ListsRar5CompressedWithFolderAndAttributes) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(9);
  ASSERT_TRUE(unrar.ListRarFiles(RarFixture("test_read_format_rar5_win32.rar"), names));
  EXPECT_EQ(names[0], "testdir");
  EXPECT_EQ(names[7], "test6.bin");
  EXPECT_EQ(listener.processedFiles.size(), 8u);
  // Windows attributes come through as stored: read-only + archive (0x21 = octal 41).
  EXPECT_TRUE(listener.Has("ProcessingFile test2.bin 4096 5.0 m33 a41"));
}

TEST(RxUnrarList, ListsUnicodeNamesOfRar4AndTheEmptyFile) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(7);
  ASSERT_TRUE(unrar.ListRarFiles(RarFixture("test_read_format_rar_unicode.rar"), names));
  EXPECT_EQ(names[0], "表だよ/新しいフォルダ/新規テキスト ドキュメント.txt");
  EXPECT_EQ(names[1], "表だよ/漢字長いファイル名long-filename-in-漢字.txt");
  EXPECT_EQ(names[5], "abcdefghijklmnopqrsテスト.txt");
  EXPECT_TRUE(listener.Has("ProcessingFile 表だよ/新しいフォルダ/新規テキスト ドキュメント.txt 0 "));
}

TEST(RxUnrarList, VersionTwentyNineGivesMajorTwoMinorNine) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(10);
  ASSERT_TRUE(unrar.ListRarFiles(RarFixture("test_read_format_rar_compress_normal.rar"), names));
  EXPECT_TRUE(listener.Has("ProcessingFile LibarchiveAddingTest.html 20111 2.9 m33"));
}

TEST(RxUnrarList, UpperBoundZeroFailsBeforeOpening) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(1);
  EXPECT_FALSE(unrar.ListRarFiles(RarFixture("test_read_format_rar.rar"), names));
  EXPECT_EQ(listener.events,
            (std::vector<std::string>{"ProcessError 5000 Supplied array to small to fit all files | "}));
  EXPECT_EQ(unrar.strLastErrorMsg(), "Supplied array to small to fit all files");
}

TEST(RxUnrarList, UpperBoundNFailsAtEntryNPlusTwo) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(3);  // upper bound 2
  EXPECT_FALSE(unrar.ListRarFiles(RarFixture("test_read_format_rar.rar"), names));
  EXPECT_EQ(names, (std::vector<std::string>{"test.txt", "testlink", "testdir/test.txt"}));
  EXPECT_EQ(listener.processedFiles.size(), 4u);
  EXPECT_EQ(listener.events.back(), "ProcessError 5000 Supplied array to small to fit all files | testdir");

  RecordingListener fits;
  CRxUnrar roomy(&fits);
  std::vector<std::string> five(5);  // upper bound 4: exactly the five entries
  EXPECT_TRUE(roomy.ListRarFiles(RarFixture("test_read_format_rar.rar"), five));
  EXPECT_EQ(five[4], "testemptydir");
}

TEST(RxUnrarList, ArrayWithoutElementsReachesTheCaller) {
  CRxUnrar unrar;
  std::vector<std::string> names;
  EXPECT_THROW(unrar.ListRarFiles(RarFixture("test_read_format_rar.rar"), names), std::out_of_range);
}

TEST(RxUnrarList, CompressedCommentIsReportedAndTheRunGoesOn) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(3);
  EXPECT_TRUE(unrar.ListRarFiles(RarFixture("test_read_format_rar_subblock.rar"), names));
  EXPECT_EQ(names[0], "test.txt");
  EXPECT_EQ(listener.events[0],
            "CommentError 14 Unknown comment format | " + RarFixture("test_read_format_rar_subblock.rar"));
  EXPECT_EQ(unrar.strLastErrorMsg(), "Unknown comment format");
}

TEST(RxUnrarList, ArchiveWithoutEntriesReturnsFalseAfterOneVolumeEvent) {
  maj::testing::TempFolder folder;
  const std::string path = folder.str() + "/empty.rar";
  testing::WriteBytes(path, testing::EmptyRar4Archive());
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(3);
  EXPECT_FALSE(unrar.ListRarFiles(path, names));
  ASSERT_EQ(listener.events.size(), 1u);
  EXPECT_EQ(listener.events[0].rfind("NextVolumne", 0), 0u);
  EXPECT_TRUE(listener.processedFiles.empty());
}

}  // namespace
}  // namespace maj::archive
