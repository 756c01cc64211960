// Random damage to real PE files and version trees: the reader must stay inside the bytes it is given,
// end, and return only bytes of the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "sysinfo/pe_version_resource.h"
#include "sysinfo/version_tree.h"
#include "tests/support/pe_fixtures.h"
#include "tests/support/temp_folder.h"

namespace maj::sysinfo {
namespace {

std::vector<std::uint8_t> LoadFixture(const std::string& name) {
  const std::string text = testing::ReadFileText(testing::PeFixture(name));
  return {text.begin(), text.end()};
}

const char* const kQueries[] = {"\\",
                                "\\VarFileInfo\\Translation",
                                "\\StringFileInfo\\040C04E4\\CompanyName",
                                "\\StringFileInfo\\040904B0\\FileVersion",
                                "\\StringFileInfo\\040904E4\\FileVersion"};

// Every query answers with a range inside the resource.
void QueryEverything(const std::vector<std::uint8_t>& resource) {
  const VersionTree tree(resource);
  tree.HasRoot();
  for (const char* query : kQueries) {
    if (const auto value = tree.Query(query); value && !value->bytes.empty()) {
      // The tree holds its own copy: compare offsets within equal-sized content instead of addresses.
      ASSERT_LE(value->bytes.size(), resource.size());
    }
    ASSERT_LE(tree.QueryText(query).size(), resource.size() * 2);
  }
}

// Overwrites a few bytes, mostly in the last third (where the resource section lies), sometimes cuts the file.
std::vector<std::uint8_t> Damage(std::vector<std::uint8_t> bytes, std::mt19937& random) {
  std::uniform_int_distribution<int> count(1, 8);
  std::uniform_int_distribution<int> byte(0, 255);
  const int changes = count(random);
  for (int i = 0; i < changes && !bytes.empty(); ++i) {
    const std::size_t from = (random() % 2 == 0) ? bytes.size() * 2 / 3 : 0;
    const std::size_t at = from + random() % (bytes.size() - from);
    // Small and large values make lengths and offsets point just past or far past the end.
    const int kind = random() % 4;
    bytes[at] = static_cast<std::uint8_t>(kind == 0 ? 0 : kind == 1 ? 0xFF : byte(random));
  }
  if (random() % 8 == 0) bytes.resize(random() % (bytes.size() + 1));
  return bytes;
}

TEST(PeReaderRobustnessTest, DamagedImagesStayInBounds) {
  std::mt19937 random(20121310);
  for (const char* name : {"full.dll", "full32.dll", "missing_table.dll", "no_fixed_info.dll"}) {
    const auto good = LoadFixture(name);
    ASSERT_TRUE(FindVersionResource(good).has_value()) << name;
    for (int round = 0; round < 1500; ++round) {
      const auto damaged = Damage(good, random);
      const auto resource = FindVersionResource(damaged);
      if (!resource) continue;
      ASSERT_LE(resource->size(), 0xFFFFu);
      // The resource is a run of the image's own bytes.
      ASSERT_NE(std::search(damaged.begin(), damaged.end(), resource->begin(), resource->end()), damaged.end());
      QueryEverything(*resource);
    }
  }
}

TEST(PeReaderRobustnessTest, DamagedVersionTreesStayInBounds) {
  std::mt19937 random(31012);
  const auto image = LoadFixture("full.dll");
  const auto resource = FindVersionResource(image);
  ASSERT_TRUE(resource.has_value());
  ASSERT_EQ(VersionTree(*resource).QueryText("\\StringFileInfo\\040C04E4\\FileVersion"), "13, 1, 0, 10");
  for (int round = 0; round < 5000; ++round) {
    auto damaged = *resource;
    for (int i = 0; i < 4; ++i) damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
    if (random() % 4 == 0) damaged.resize(random() % (damaged.size() + 1));
    QueryEverything(damaged);
  }
}

}  // namespace
}  // namespace maj::sysinfo
