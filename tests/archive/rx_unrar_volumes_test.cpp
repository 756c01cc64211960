// Volume sets with CRxUnrar: one entry across volumes, the volume events and their answers, missing and
// misplaced volumes.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/rx_unrar.h"
#include "tests/archive/rar_test_support.h"

namespace maj::archive {
namespace {

namespace fs = std::filesystem;
using testing::CopyFixture;
using testing::RarFixture;
using testing::RecordingListener;
using testing::Sha256OfFile;
using testing::TempFolder;

constexpr char kRar4Part1[] = "test_rar_multivolume_single_file.part1.rar";
constexpr char kRar4Part2[] = "test_rar_multivolume_single_file.part2.rar";
constexpr char kRar4Part3[] = "test_rar_multivolume_single_file.part3.rar";

TEST(RxUnrarVolumes, EntryOverThreeVolumesGivesOneProcessingFileAndOneSlot) {
  RecordingListener listener;
  listener.continueVolumes = true;
  CRxUnrar unrar(&listener);
  std::vector<std::string> names(3);
  ASSERT_TRUE(unrar.ListRarFiles(RarFixture(kRar4Part1), names));
  EXPECT_EQ(names, (std::vector<std::string>{"LibarchiveAddingTest.html", "", ""}));
  EXPECT_EQ(listener.processedFiles.size(), 1u);
  EXPECT_EQ(listener.volumes,
            (std::vector<std::string>{RarFixture(kRar4Part1), RarFixture(kRar4Part2), RarFixture(kRar4Part3)}));

  TempFolder dest;
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture(kRar4Part1), dest.str()));
  EXPECT_EQ(Sha256OfFile((dest.path() / "LibarchiveAddingTest.html").string()).substr(0, 16), "ee16390e87152d7d");
}

TEST(RxUnrarVolumes, ExtractsTheRar5SetOfEightVolumes) {
  TempFolder dest;
  RecordingListener listener;
  listener.continueVolumes = true;
  CRxUnrar unrar(&listener);
  ASSERT_TRUE(unrar.ExtractRarFiles(RarFixture("test_read_format_rar5_multiarchive.part01.rar"), dest.str()));
  const fs::path bin = dest.path() / "home/antek/temp/build/unrar5/libarchive/bin";
  EXPECT_EQ(Sha256OfFile((bin / "bsdcat_test").string()).substr(0, 16), "b858933c12f1b907");
  EXPECT_EQ(Sha256OfFile((bin / "bsdtar_test").string()).substr(0, 16), "30e80423a3ed56cf");
  EXPECT_EQ(listener.volumes.size(), 8u);
  EXPECT_EQ(listener.processedFiles.size(), 2u);
}

TEST(RxUnrarVolumes, ListenerThatDoesNotAnswerTrueStopsAtTheFirstChange) {
  TempFolder dest;
  RecordingListener listener;  // leaves blnContinue false
  CRxUnrar unrar(&listener);
  EXPECT_FALSE(unrar.ExtractRarFiles(RarFixture(kRar4Part1), dest.str()));
  EXPECT_EQ(listener.volumes, (std::vector<std::string>{RarFixture(kRar4Part1), RarFixture(kRar4Part2)}));
  EXPECT_EQ(listener.events.back(), "ProcessError 15 Volume open error | LibarchiveAddingTest.html");
  EXPECT_TRUE(fs::is_empty(dest.path()));

  CRxUnrar silent;  // no listener at all
  EXPECT_FALSE(silent.TestRarFiles(RarFixture(kRar4Part1)));
  EXPECT_EQ(silent.strLastErrorMsg(), "Volume open error");
}

TEST(RxUnrarVolumes, MissingVolumeFollowsTheNameGiven) {
  TempFolder folder;
  CopyFixture(kRar4Part1, folder.str() + "/set.part1.rar");
  CopyFixture(kRar4Part2, folder.str() + "/set.part2.rar");
  CopyFixture(kRar4Part3, folder.str() + "/elsewhere.rar");
  RecordingListener listener;
  listener.continueVolumes = true;
  listener.missingFileAnswers = {folder.str() + "/elsewhere.rar"};
  CRxUnrar unrar(&listener);
  ASSERT_TRUE(unrar.ExtractRarFiles(folder.str() + "/set.part1.rar", folder.str() + "/out"));
  EXPECT_TRUE(listener.Has("MissingFile " + folder.str() + "/set.part3.rar"));
  EXPECT_EQ(listener.volumes.back(), folder.str() + "/elsewhere.rar");
  EXPECT_EQ(Sha256OfFile(folder.str() + "/out/LibarchiveAddingTest.html").substr(0, 16), "ee16390e87152d7d");
}

TEST(RxUnrarVolumes, MissingVolumeWithoutANewNameStops) {
  TempFolder folder;
  CopyFixture(kRar4Part1, folder.str() + "/set.part1.rar");
  CopyFixture(kRar4Part2, folder.str() + "/set.part2.rar");
  RecordingListener listener;
  listener.continueVolumes = true;
  CRxUnrar unrar(&listener);
  EXPECT_FALSE(unrar.ExtractRarFiles(folder.str() + "/set.part1.rar", folder.str() + "/out"));
  EXPECT_TRUE(listener.Has("MissingFile " + folder.str() + "/set.part3.rar"));
  EXPECT_EQ(listener.events.back(), "ProcessError 15 Volume open error | LibarchiveAddingTest.html");
  EXPECT_FALSE(fs::exists(folder.path() / "out/LibarchiveAddingTest.html"));
}

TEST(RxUnrarVolumes, VolumesOutOfOrderFail) {
  TempFolder folder;
  CopyFixture(kRar4Part1, folder.str() + "/set.part1.rar");
  CopyFixture(kRar4Part3, folder.str() + "/set.part2.rar");
  CopyFixture(kRar4Part2, folder.str() + "/set.part3.rar");
  RecordingListener listener;
  listener.continueVolumes = true;
  CRxUnrar unrar(&listener);
  EXPECT_FALSE(unrar.ExtractRarFiles(folder.str() + "/set.part1.rar", folder.str() + "/out"));
  EXPECT_EQ(listener.events.back(), "ProcessError 13 Bad volume | LibarchiveAddingTest.html");
  EXPECT_FALSE(fs::exists(folder.path() / "out/LibarchiveAddingTest.html"));

  // RAR 5: the third volume in the place of the second.
  CopyFixture("test_read_format_rar5_multiarchive.part01.rar", folder.str() + "/r5.part01.rar");
  CopyFixture("test_read_format_rar5_multiarchive.part03.rar", folder.str() + "/r5.part02.rar");
  EXPECT_FALSE(unrar.TestRarFiles(folder.str() + "/r5.part01.rar"));
  EXPECT_EQ(unrar.strLastErrorMsg(), "Bad volume");
}

TEST(RxUnrarVolumes, ALaterVolumeCannotBeOpenedAsTheArchive) {
  RecordingListener listener;
  CRxUnrar unrar(&listener);
  EXPECT_FALSE(unrar.TestRarFiles(RarFixture(kRar4Part2)));
  EXPECT_EQ(listener.events, (std::vector<std::string>{"OpenError 13 File is not RAR archive | " +
                                                       RarFixture(kRar4Part2)}));
  EXPECT_FALSE(unrar.TestRarFiles(RarFixture("test_read_format_rar5_multiarchive.part02.rar")));
  EXPECT_EQ(unrar.strLastErrorMsg(), "File is not RAR archive");
}

TEST(RxUnrarVolumes, OldStyleVolumeNamesAreFollowed) {
  TempFolder folder;
  CopyFixture(kRar4Part1, folder.str() + "/set.rar");
  CopyFixture(kRar4Part2, folder.str() + "/set.r00");
  CopyFixture(kRar4Part3, folder.str() + "/set.r01");
  RecordingListener listener;
  listener.continueVolumes = true;
  CRxUnrar unrar(&listener);
  ASSERT_TRUE(unrar.TestRarFiles(folder.str() + "/set.rar"));
  EXPECT_EQ(listener.volumes, (std::vector<std::string>{folder.str() + "/set.rar", folder.str() + "/set.r00",
                                                        folder.str() + "/set.r01"}));
}

}  // namespace
}  // namespace maj::archive
