#include "session/publishing_presets.h"

#include <gtest/gtest.h>

namespace maj::session {
namespace {

TEST(PublishingPresetsTest, TheFirstMatchingRuleGivesThePreset) {
  const struct {
    const char* name;
    PublishingPreset expected;
  } cases[] = {
      {"lib.ocx", kComponentPreset},        {"quenrax.dll", kPlainPreset},
      {"libmysql.dll", kPlainPreset},       {"orvane.outils.dll", kAssemblyPreset},
      {"Orvane.Outils.dll", kAssemblyPreset}, {"report.dll", kComponentPreset},
      {"orvane.ocx", kComponentPreset},     {"orv_spec.exe", kPlainPreset},
      {"notes.dll.txt", kComponentPreset},  {"LIBMYSQL.DLL", kPlainPreset},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyPublishedName(c.name), c.expected) << c.name;
}

}  // namespace
}  // namespace maj::session
