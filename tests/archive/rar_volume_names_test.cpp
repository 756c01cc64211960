#include <gtest/gtest.h>

#include "archive/rar_volume_names.h"

namespace maj::archive {
namespace {

TEST(RarVolumeNames, NewNumberingKeepsWidthAndWidensOnOverflow) {
  EXPECT_EQ(NextRarVolumeName("/d/set.part1.rar", true), "/d/set.part2.rar");
  EXPECT_EQ(NextRarVolumeName("/d/set.part9.rar", true), "/d/set.part10.rar");
  EXPECT_EQ(NextRarVolumeName("/d/set.part01.rar", true), "/d/set.part02.rar");
  EXPECT_EQ(NextRarVolumeName("/d/set.part0099.rar", true), "/d/set.part0100.rar");
  EXPECT_EQ(NextRarVolumeName("/d/set.part99.rar", true), "/d/set.part100.rar");
}

TEST(RarVolumeNames, OldNumberingRunsFromRarThroughR00ToS00) {
  EXPECT_EQ(NextRarVolumeName("/d/set.rar", false), "/d/set.r00");
  EXPECT_EQ(NextRarVolumeName("/d/set.r00", false), "/d/set.r01");
  EXPECT_EQ(NextRarVolumeName("/d/set.r09", false), "/d/set.r10");
  EXPECT_EQ(NextRarVolumeName("/d/set.r99", false), "/d/set.s00");
  EXPECT_EQ(NextRarVolumeName("/d/SET.RAR", false), "/d/SET.R00");
}

TEST(RarVolumeNames, NewNumberingWithoutDigitsInTheNameFallsBackToOldNames) {
  EXPECT_EQ(NextRarVolumeName("/v2/set.rar", true), "/v2/set.r00");
  EXPECT_EQ(NextRarVolumeName("/v2/set.r00", true), "/v2/set.r01");
}

}  // namespace
}  // namespace maj::archive
