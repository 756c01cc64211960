// Listing with CRxUnrar: names, entry details, the names array bounds and comments; the answers that
// RarCallback, the one callback the RAR library calls, writes into the library's buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <stdexcept>

#include "archive/m_rx_unrar.h"
#include "archive/rar_result_codes.h"
#include "archive/rx_unrar.h"
#include "tests/archive/rar_test_support.h"

namespace maj::archive {
namespace {

using testing::RarFixture;
using testing::RecordingListener;

constexpr char kArrayTooSmall[] = "ProcessError 5000 Supplied array to small to fit all files | ";

TEST(RxUnrarList, ListsNamesAndDetailsOfEachFormat) {
  struct Case {
    const char* fixture;
    std::map<std::size_t, std::string> names;  // index -> name
    std::size_t entries;
    std::string detail;  // a ProcessingFile line: name, size, version, method, attributes
  };
  const Case cases[] = {
      {"test_read_format_rar.rar",
       {{0, "test.txt"}, {1, "testlink"}, {2, "testdir/test.txt"}, {3, "testdir"}, {4, "testemptydir"}, {5, ""}},
       5, "ProcessingFile test.txt 20 2.0 m30"},
      // Windows attributes come through as stored: read-only + archive (0x21 = octal 41).
      {"test_read_format_rar5_win32.rar", {{0, "testdir"}, {7, "test6.bin"}}, 8,
       "ProcessingFile test2.bin 4096 5.0 m33 a41"},
      // Version 29: major 2, minor 9.
      {"test_read_format_rar_compress_normal.rar", {{0, "LibarchiveAddingTest.html"}}, 6,
       "ProcessingFile LibarchiveAddingTest.html 20111 2.9 m33"},
      // Names, links, folders and formats are also checked through extraction.
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.fixture);
    RecordingListener listener;
    CRxUnrar unrar(&listener);
    std::vector<std::string> names(10);
    ASSERT_TRUE(unrar.ListRarFiles(RarFixture(test.fixture), names));
    for (const auto& [index, name] : test.names) EXPECT_EQ(names[index], name) << index;
    EXPECT_EQ(listener.processedFiles.size(), test.entries);
    EXPECT_TRUE(listener.Has(test.detail));
    // The first volume is announced once, before the entries.
    EXPECT_EQ(listener.events[0], "NextVolumne " + RarFixture(test.fixture));
    EXPECT_TRUE(unrar.strLastErrorMsg().empty());
  }
}

// The names array's bound (nothing in the program lists archives): too small fails, none at all throws.
TEST(RxUnrarList, NamesArrayBounds) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> three(3);
  EXPECT_FALSE(unrar.ListRarFiles(RarFixture("test_read_format_rar.rar"), three));
  EXPECT_EQ(listener.events.back(), std::string(kArrayTooSmall) + "testdir");
  std::vector<std::string> none;
  EXPECT_THROW(unrar.ListRarFiles(RarFixture("test_read_format_rar.rar"), none), std::out_of_range);
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

std::intptr_t UserData(CRxUnrar& unrar) { return reinterpret_cast<std::intptr_t>(&unrar); }
std::intptr_t Buffer(char* buffer) { return reinterpret_cast<std::intptr_t>(buffer); }

// The answers to volume questions are checked through whole volume sets; a name longer than the library's
// buffer is cut so that its NUL still fits.
TEST(RarCallback, MissingVolumeNameIsBounded) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  char name[kRarVolumeNameBufferSize] = "set.part2.rar";
  listener.missingFileAnswers = {std::string(5000, 'x')};
  EXPECT_EQ(MRxUnrar::RarCallback(kRarChangeVolume, UserData(unrar), Buffer(name), kRarVolumeAsk), 1);
  EXPECT_EQ(std::strlen(name), kRarVolumeNameBufferSize - 1);
}

// The program's listener answers no password: one is made up, and the answer is cut to the library's bound.
TEST(RarCallback, PasswordAnswerIsNeverEmptyAndIsBounded) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  char password[kRarPasswordBufferSize] = {};
  EXPECT_EQ(MRxUnrar::RarCallback(kRarNeedPassword, UserData(unrar), Buffer(password), sizeof(password)), 0);
  EXPECT_EQ(std::string(password).rfind("CRxUnrar", 0), 0u);
  EXPECT_GT(std::strlen(password), std::strlen("CRxUnrar"));

  // Only the first p2 bytes are written.
  std::memset(password, '#', sizeof(password));
  MRxUnrar::RarCallback(kRarNeedPassword, UserData(unrar), Buffer(password), 2);
  EXPECT_EQ(std::string(password, 3), "CR#");
}

TEST(RarCallback, ThreeGibibyteEntryKeepsItsSize) {
  maj::testing::TempFolder folder;
  std::string archive = maj::testing::ReadFileText(testing::RarFixture("test_read_format_rar.rar"));
  testing::SetRar4UnpackedSize(archive, "test.txt", 3221225472u);
  const std::string path = folder.WriteFile("large.rar", archive);
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(6);
  unrar.ListRarFiles(path, names);
  ASSERT_FALSE(listener.processedFiles.empty());
  EXPECT_TRUE(listener.Has("ProcessingFile test.txt 3221225472 ")) << listener.events[1];
}

}  // namespace
}  // namespace maj::archive
