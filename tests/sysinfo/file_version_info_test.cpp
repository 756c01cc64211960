// Version information of PE files: the value the update check reads, fallbacks, damaged and lying files
// (random damage to images and version trees is fuzz/pe_version_fuzzer's).
#include "sysinfo/file_version_info.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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
    EXPECT_EQ(info.Language(), c.language) << c.fixture;
    EXPECT_EQ(info.FileVersion(), c.fileVersion) << c.fixture;
  }
}

TEST(FileVersionInfoTest, FilesWithoutReadableVersionAreNotAvailable) {
  testing::TempFolder temp;
  std::vector<std::string> unversioned = {
      PeFixture("no_version.dll"),     PeFixture("no_resources.dll"),
      std::string(MAJ_SOURCE_ROOT) + "/tests/data/pe/full.rc",  // not a PE file
      temp.WriteFile("empty.dll", ""), temp.WriteFile("mz_only.dll", "MZ"),
      temp.str() + "/missing.dll",     temp.str(),  // a folder
  };
  for (const char* name : {"truncated_headers", "truncated_resource", "pe_offset_past_end", "section_past_end",
                           "data_rva_past_end", "data_size_past_end", "directory_count_past_end",
                           "type_entry_to_root", "name_entry_to_itself", "language_entry_to_itself",
                           "data_entry_at_root"}) {
    unversioned.push_back(PeFixture(std::string("broken/") + name + ".dll"));
  }
  for (const auto& path : unversioned) EXPECT_FALSE(Read(path).Available()) << path;
  EXPECT_EQ(Read(PeFixture("no_translation.dll")).FileVersion(), "");
}

// The program reads installed copies by their full paths.
TEST(FileVersionInfoPathTest, ResolvesLongCaseMismatchedPathsAndReadsLargeFiles) {
  testing::TempFolder temp;
  fs::path longFolder = temp.path();
  for (char c = 'a'; c < 'i'; ++c) longFolder /= std::string(40, c);
  const fs::path longFile = longFolder / "Report.dll";
  for (const fs::path& copy : {temp.path() / "Bin" / "Report.OCX", longFile}) {
    fs::create_directories(copy.parent_path());
    fs::copy_file(PeFixture("full.dll"), copy);
  }
  ASSERT_GT(longFile.string().size(), 300u);
  // 768 MB of trailing zeros (a sparse file), mapped rather than read.
  fs::resize_file(longFile, std::uintmax_t{768} << 20);
  for (const std::string& path : {temp.str() + "/BIN/report.OCX", longFile.string()}) {
    const CFileVersionInfo info = Read(path);
    EXPECT_EQ(info.FullPathName(), path);
    EXPECT_EQ(info.FileVersion(), kFullVersion) << path;
  }
}

}  // namespace
}  // namespace maj::sysinfo
