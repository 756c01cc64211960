// Volume sets with CRxUnrar: one entry across volumes, the volume events and their answers, missing and
// misplaced volumes; the names of the next volumes.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/rar_volume_names.h"
#include "archive/rx_unrar.h"
#include "tests/archive/rar_test_support.h"

namespace maj::archive {
namespace {

namespace fs = std::filesystem;
using testing::RarFixture;
using testing::RecordingListener;
using testing::Sha256OfFile;
using testing::TempFolder;

constexpr char kRar4Part1[] = "test_rar_multivolume_single_file.part1.rar";
constexpr char kRar4Part2[] = "test_rar_multivolume_single_file.part2.rar";
constexpr char kRar4Part3[] = "test_rar_multivolume_single_file.part3.rar";
constexpr char kHtmlSha256Start[] = "ee16390e87152d7d";

// Runs extractions of volume sets copied under other names into a temporary folder, with a listener that
// lets every change of volume go on.
class RxUnrarVolumes : public ::testing::Test {
 protected:
  RxUnrarVolumes() { listener_.continueVolumes = true; }

  // Copies each fixture to the given name in the folder; returns the path of the first.
  std::string Place(const std::vector<std::pair<std::string, std::string>>& copies) {
    for (const auto& [fixture, name] : copies) {
      folder_.WriteFile(name, maj::testing::ReadFileText(RarFixture(fixture)));
    }
    return Path(copies.front().second);
  }
  std::string Path(const std::string& name) const { return folder_.str() + "/" + name; }
  std::string ExtractedHtml() const { return Path("out/LibarchiveAddingTest.html"); }

  TempFolder folder_;
  RecordingListener listener_;
  CRxUnrar unrar_{&listener_};
};

TEST_F(RxUnrarVolumes, EntryOverThreeVolumesGivesOneProcessingFileAndOneSlotWhateverTheNaming) {
  std::vector<std::string> names(3);
  ASSERT_TRUE(unrar_.ListRarFiles(RarFixture(kRar4Part1), names));
  EXPECT_EQ(names, (std::vector<std::string>{"LibarchiveAddingTest.html", "", ""}));
  EXPECT_EQ(listener_.processedFiles.size(), 1u);
  EXPECT_EQ(listener_.volumes,
            (std::vector<std::string>{RarFixture(kRar4Part1), RarFixture(kRar4Part2), RarFixture(kRar4Part3)}));

  ASSERT_TRUE(unrar_.ExtractRarFiles(RarFixture(kRar4Part1), Path("out")));
  EXPECT_EQ(Sha256OfFile(ExtractedHtml()).substr(0, 16), kHtmlSha256Start);

  // Old-style volume names are followed too.
  listener_.volumes.clear();
  const std::string first = Place({{kRar4Part1, "set.rar"}, {kRar4Part2, "set.r00"}, {kRar4Part3, "set.r01"}});
  ASSERT_TRUE(unrar_.TestRarFiles(first));
  EXPECT_EQ(listener_.volumes, (std::vector<std::string>{first, Path("set.r00"), Path("set.r01")}));
}

TEST_F(RxUnrarVolumes, ASetLibarchiveCannotParseIsReadWholeVolumeByVolume) {
  using testing::Rar5Block;
  using testing::Rar5StoredEntry;
  // Main headers (volume flag, then number 1) with bytes their fields do not use; ends saying whether
  // another volume follows.
  const std::string signature("Rar!\x1a\x07\x01\x00", 8);
  const std::string unused(8, '\0');
  const std::string whole = "first half;second half\n";
  folder_.WriteFile("set.part1.rar", signature + Rar5Block(std::string("\x01\x00\x01", 3) + unused) +
                                         Rar5StoredEntry("span.txt", whole, whole.substr(0, 11), 0x10) +
                                         Rar5Block(std::string("\x05\x00\x01", 3)));
  folder_.WriteFile("set.part2.rar", signature + Rar5Block(std::string("\x01\x00\x03\x01", 4) + unused) +
                                         Rar5StoredEntry("span.txt", whole, whole.substr(11), 0x08) +
                                         Rar5Block(std::string("\x05\x00\x00", 3)));
  ASSERT_TRUE(unrar_.ExtractRarFiles(Path("set.part1.rar"), Path("out")));
  EXPECT_EQ(maj::testing::ReadFileText(Path("out/span.txt")), whole);
  EXPECT_EQ(listener_.events,
            (std::vector<std::string>{"NextVolumne " + Path("set.part1.rar"),
                                      "ProcessingFile span.txt 23 5.0 m30 a100644",
                                      "NextVolumne " + Path("set.part2.rar"), "Progress 23 23"}));
  // A listener that does not let the change of volume go on stops the set (the program's always does).
  listener_.continueVolumes = false;
  std::vector<std::string> names(2);
  EXPECT_FALSE(unrar_.ListRarFiles(Path("set.part1.rar"), names));
  EXPECT_EQ(listener_.events.back(), "ProcessError 15 Volume open error | span.txt");
}

// The program's listener names no other place for a missing volume.
TEST_F(RxUnrarVolumes, AMissingVolumeStopsTheSet) {
  const std::string first = Place({{kRar4Part1, "set.part1.rar"}, {kRar4Part2, "set.part2.rar"}});
  EXPECT_FALSE(unrar_.ExtractRarFiles(first, Path("out")));
  EXPECT_EQ(listener_.events.back(), "ProcessError 15 Volume open error | LibarchiveAddingTest.html");
  EXPECT_FALSE(fs::exists(ExtractedHtml()));
}

TEST_F(RxUnrarVolumes, VolumesOutOfOrderOrALaterVolumeFirstFail) {
  const std::string first =
      Place({{kRar4Part1, "set.part1.rar"}, {kRar4Part3, "set.part2.rar"}, {kRar4Part2, "set.part3.rar"}});
  EXPECT_FALSE(unrar_.ExtractRarFiles(first, Path("out")));
  EXPECT_EQ(listener_.events.back(), "ProcessError 13 Bad volume | LibarchiveAddingTest.html");
  EXPECT_FALSE(fs::exists(ExtractedHtml()));

  // RAR 5: the third volume in the place of the second.
  const std::string rar5 = Place({{"test_read_format_rar5_multiarchive.part01.rar", "r5.part01.rar"},
                                  {"test_read_format_rar5_multiarchive.part03.rar", "r5.part02.rar"}});
  EXPECT_FALSE(unrar_.TestRarFiles(rar5));
  EXPECT_EQ(unrar_.strLastErrorMsg(), "Bad volume");

  // A later volume cannot be opened as the archive.
  listener_.events.clear();
  EXPECT_FALSE(unrar_.TestRarFiles(RarFixture(kRar4Part2)));
  EXPECT_EQ(listener_.events, (std::vector<std::string>{"OpenError 13 File is not RAR archive | " +
                                                        RarFixture(kRar4Part2)}));
  EXPECT_FALSE(unrar_.TestRarFiles(RarFixture("test_read_format_rar5_multiarchive.part02.rar")));
  EXPECT_EQ(unrar_.strLastErrorMsg(), "File is not RAR archive");
}

TEST(RarVolumeNames, NewNumberingKeepsWidthAndWidensOldNumberingRunsToS00) {
  EXPECT_EQ(NextRarVolumeName("/d/set.part1.rar", true), "/d/set.part2.rar");
  EXPECT_EQ(NextRarVolumeName("/d/set.part9.rar", true), "/d/set.part10.rar");
  EXPECT_EQ(NextRarVolumeName("/d/set.part0099.rar", true), "/d/set.part0100.rar");
  // Old numbering runs from .rar through .r00 (followed in a whole set) to .s00.
  EXPECT_EQ(NextRarVolumeName("/d/set.r09", false), "/d/set.r10");
  EXPECT_EQ(NextRarVolumeName("/d/set.r99", false), "/d/set.s00");
  EXPECT_EQ(NextRarVolumeName("/d/SET.RAR", false), "/d/SET.R00");
  // New numbering without digits in the name falls back to the old names.
  EXPECT_EQ(NextRarVolumeName("/v2/set.rar", true), "/v2/set.r00");
}

}  // namespace
}  // namespace maj::archive
