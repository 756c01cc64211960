// Version information of PE files: every value, fallbacks, damaged and lying files, and random damage to real
// images and version trees, where the reader must stay inside the bytes it is given.
#include "sysinfo/file_version_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "sysinfo/pe_version_resource.h"
#include "sysinfo/version_tree.h"
#include "tests/support/pe_fixtures.h"
#include "tests/support/temp_folder.h"

namespace maj::sysinfo {
namespace {

namespace fs = std::filesystem;
using testing::PeFixture;

// The update check reads FileVersion, taken from the table of the first translation.
CFileVersionInfo Read(const std::string& path) {
  CFileVersionInfo info;
  info.SetFullPathName(path);
  return info;
}

constexpr char kFullVersion[] = "13, 1, 0, 10";

TEST(FileVersionInfoTest, FileVersionComesFromTheTableOfTheFirstTranslation) {
  struct Case {
    const char* fixture;
    const char* language;
    const char* fileVersion;
  };
  const Case cases[] = {
      {"full.dll", "French (France)", kFullVersion},  // PE32+
      {"full32.dll", "French (France)", kFullVersion},
      // Translation 040C/04B0 with only a 040904b0 table, whose value names are in another letter case.
      {"missing_table.dll", "French (France)", "6.2.9200.16384"},
      // A German table without CompanyName: the 0409 table is used only when it has one.
      {"company_in_0409.dll", "German (Germany)", "1.0 en"},
      {"no_company.dll", "German (Germany)", "1.0 de"},
      // Lying version trees give what can be read.
      {"child_overflows.dll", "English (United States)", ""},
      {"zero_length_child.dll", "", ""},
      {"root_too_long.dll", "English (United States)", "3.1"},
      {"key_without_nul.dll", "", ""},
      {"no_fixed_info.dll", "English (United States)", "3.1"},
  };
  for (const Case& c : cases) {
    const CFileVersionInfo info = Read(PeFixture(c.fixture));
    EXPECT_TRUE(info.Available()) << c.fixture;
    EXPECT_EQ(info.FullPathName(), PeFixture(c.fixture));
    EXPECT_EQ(info.Language(), c.language) << c.fixture;
    EXPECT_EQ(info.FileVersion(), c.fileVersion) << c.fixture;
  }
}

TEST(FileVersionInfoTest, AReadThatFindsLessLeavesEarlierValues) {
  // No translation array: the string values are left alone.
  EXPECT_EQ(Read(PeFixture("no_translation.dll")).FileVersion(), "");
  CFileVersionInfo reused = Read(PeFixture("full.dll"));
  reused.SetFullPathName(PeFixture("no_translation.dll"));
  EXPECT_TRUE(reused.Available());
  EXPECT_EQ(reused.FileVersion(), kFullVersion);

  testing::TempFolder temp;
  const std::vector<std::string> unversioned = {
      PeFixture("no_version.dll"),     PeFixture("no_resources.dll"),
      std::string(MAJ_SOURCE_ROOT) + "/tests/data/pe/full.rc",  // not a PE file
      temp.WriteFile("empty.dll", ""), temp.WriteFile("mz_only.dll", "MZ"),
      temp.str() + "/missing.dll",     temp.str(),  // a folder
  };
  for (const auto& path : unversioned) {
    EXPECT_FALSE(Read(path).Available()) << path;
    CFileVersionInfo earlier = Read(PeFixture("full.dll"));
    earlier.SetFullPathName(path);
    EXPECT_FALSE(earlier.Available()) << path;
    EXPECT_EQ(earlier.FullPathName(), path);
    EXPECT_EQ(earlier.FileVersion(), kFullVersion) << path;
  }
  for (const char* name : {"truncated_headers", "truncated_resource", "pe_offset_past_end", "section_past_end",
                           "data_rva_past_end", "data_size_past_end", "directory_count_past_end",
                           "type_entry_to_root", "name_entry_to_itself", "language_entry_to_itself",
                           "data_entry_at_root"}) {
    EXPECT_FALSE(Read(PeFixture(std::string("broken/") + name + ".dll")).Available()) << name;
  }
}

// Runs the rest of a test in another current folder, restored afterwards.
class CurrentFolderGuard {
 public:
  explicit CurrentFolderGuard(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
  ~CurrentFolderGuard() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

TEST(FileVersionInfoPathTest, ResolvesRelativeLongCaseMismatchedPathsAndLargeFiles) {
  testing::TempFolder temp;
  fs::path longFolder = temp.path();
  for (char c = 'a'; c < 'i'; ++c) longFolder /= std::string(40, c);
  const fs::path longFile = longFolder / "Report.dll";
  for (const fs::path& copy : {temp.path() / "Bin" / "Report.OCX", longFile}) {
    fs::create_directories(copy.parent_path());
    fs::copy_file(PeFixture("full.dll"), copy);
  }
  ASSERT_GT(longFile.string().size(), 300u);
  // 768 MB of trailing zeros (a sparse file): only the headers and the resource section are looked at.
  fs::resize_file(longFile, std::uintmax_t{768} << 20);
  const CurrentFolderGuard guard(temp.path() / "Bin");
  const std::pair<std::string, std::string> cases[] = {
      {"../bin/./report.ocx", temp.str() + "/bin/report.ocx"},
      {temp.str() + "/BIN/report.OCX", temp.str() + "/BIN/report.OCX"},
      {longFile.string(), longFile.string()},
  };
  for (const auto& [given, resolved] : cases) {
    CFileVersionInfo info = Read(given);
    EXPECT_EQ(info.FullPathName(), resolved);
    EXPECT_EQ(info.FileVersion(), kFullVersion) << given;
    // A path that cannot be resolved changes nothing.
    info.SetFullPathName("");
    EXPECT_EQ(info.FullPathName(), resolved);
    EXPECT_TRUE(info.Available());
  }
}

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
