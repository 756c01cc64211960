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

using Bytes = std::vector<std::uint8_t>;

Bytes LoadFixture(const std::string& name) {
  const std::string text = testing::ReadFileText(testing::PeFixture(name));
  return {text.begin(), text.end()};
}

// Every query answers with a part of the resource.
void QueryEverything(const Bytes& resource) {
  const VersionTree tree(resource);
  for (const char* query : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040C04E4\\CompanyName",
                            "\\StringFileInfo\\040904B0\\FileVersion"}) {
    if (const auto value = tree.Query(query)) {
      ASSERT_LE(value->bytes.size(), resource.size());
    }
    ASSERT_LE(tree.QueryText(query).size(), resource.size() * 2);
  }
}

// Overwrites a few bytes (half of them in the last third, where the resource section lies) with 0, 0xFF or a
// random value, so that lengths and offsets point just past or far past the end; sometimes cuts the bytes.
Bytes Damage(Bytes bytes, std::mt19937& random, int changes) {
  for (int i = 0; i < changes && !bytes.empty(); ++i) {
    const std::size_t from = (random() % 2 == 0) ? bytes.size() * 2 / 3 : 0;
    const auto kind = random() % 3;
    bytes[from + random() % (bytes.size() - from)] = static_cast<std::uint8_t>(kind == 0 ? 0 : kind == 1 ? 0xFF : random());
  }
  if (random() % 8 == 0) bytes.resize(random() % (bytes.size() + 1));
  return bytes;
}

TEST(PeReaderRobustnessTest, DamagedImagesAndVersionTreesStayInBounds) {
  std::mt19937 random(20121310);
  for (const char* name : {"full.dll", "full32.dll", "missing_table.dll", "no_fixed_info.dll"}) {
    const Bytes good = LoadFixture(name);
    ASSERT_TRUE(FindVersionResource(good).has_value()) << name;
    for (int round = 0; round < 1500; ++round) {
      const Bytes damaged = Damage(good, random, 1 + random() % 8);
      const auto resource = FindVersionResource(damaged);
      if (!resource) continue;
      ASSERT_LE(resource->size(), 0xFFFFu);
      ASSERT_NE(std::search(damaged.begin(), damaged.end(), resource->begin(), resource->end()), damaged.end());
      QueryEverything(*resource);
    }
  }
  // The version tree alone, damaged.
  const auto resource = FindVersionResource(LoadFixture("full.dll"));
  ASSERT_EQ(VersionTree(*resource).QueryText("\\StringFileInfo\\040C04E4\\FileVersion"), "13, 1, 0, 10");
  for (int round = 0; round < 5000; ++round) QueryEverything(Damage(*resource, random, 4));
}

}  // namespace
}  // namespace maj::sysinfo
