// Version information of PE files: every value, fallbacks, damaged and lying files, and random damage to real
// images and version trees, where the reader must stay inside the bytes it is given.
#include "sysinfo/file_version_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "sysinfo/language_names.h"
#include "sysinfo/pe_version_resource.h"
#include "sysinfo/version_tree.h"
#include "tests/support/pe_fixtures.h"
#include "tests/support/temp_folder.h"

namespace maj::sysinfo {
namespace {

namespace fs = std::filesystem;
using testing::PeFixture;
using Texts = std::vector<std::string>;

CFileVersionInfo Read(const std::string& path) {
  CFileVersionInfo info;
  info.SetFullPathName(path);
  return info;
}

// The seven fixed values, then the 15 predefined values by index.
Texts AllTexts(const CFileVersionInfo& info) {
  Texts texts = {info.VerStructure(), info.VerFile(),  info.VerProduct(), info.FileFlags(),
                 info.FileOS(),       info.FileType(), info.FileSubType()};
  for (int i = 0; i < CFileVersionInfo::kPredefinedCount; ++i) texts.push_back(info.PredefinedValue(i));
  return texts;
}

Texts FixedTexts(const CFileVersionInfo& info) {
  const Texts all = AllTexts(info);
  return Texts(all.begin(), all.begin() + 7);
}

const Texts kFull = {"1.0", "13.01.0010", "1.02.0304", "Debug PreRel", "NT-Win32", "Application", "",
                     "French (France)", "Fichier d'essai", "Vélandre Systèmes", "Proscenia", "13, 1, 0, 10",
                     "Orv_Spec", "© 2012 Vélandre", "Proscenia™", "Orv_Spec.exe", "Proscenia Spectacles",
                     "13.01.0010", "interne", "spéciale", "Marque 1", "Marque 2"};

TEST(FileVersionInfoTest, ReadsEveryValueOfPe32AndPe32PlusFiles) {
  for (const char* name : {"full.dll", "full32.dll"}) {
    const CFileVersionInfo info = Read(PeFixture(name));
    EXPECT_TRUE(info.Available()) << name;
    EXPECT_EQ(info.FullPathName(), PeFixture(name));
    EXPECT_EQ(AllTexts(info), kFull) << name;
  }
  const CFileVersionInfo info = Read(PeFixture("full.dll"));
  const Texts named = {info.Language(),        info.Comments(),        info.CompanyName(),  info.FileDescription(),
                       info.FileVersion(),     info.InternalName(),    info.LegalCopyright(),
                       info.LegalTrademarks(), info.OriginalFilename(), info.ProductName(), info.ProductVersion(),
                       info.PrivateBuild(),    info.SpecialBuild()};
  EXPECT_EQ(named, Texts(kFull.begin() + 7, kFull.begin() + 20));
  // Indexes outside the 15 predefined values give nothing.
  EXPECT_EQ((Texts{info.PredefinedValue(15), info.PredefinedValue(-1), CFileVersionInfo::PredefinedName(15),
                   CFileVersionInfo::PredefinedName(-1)}),
            Texts(4));
  EXPECT_EQ((Texts{CFileVersionInfo::PredefinedName(0), CFileVersionInfo::PredefinedName(14)}),
            (Texts{"Language", "LegalTrademarks2"}));
}

TEST(FileVersionInfoTest, UsEnglishTableServesWhenTheTranslatedOneLacksACompanyName) {
  // Translation 040C/04B0 with only a 040904b0 table, whose value names are in another letter case.
  const CFileVersionInfo missing = Read(PeFixture("missing_table.dll"));
  EXPECT_EQ((Texts{missing.Language(), missing.CompanyName(), missing.FileVersion(), missing.ProductName(),
                   missing.Comments()}),
            (Texts{"French (France)", "Microsoft Corporation", "6.2.9200.16384", "Example", ""}));
  // Third number not 0: third and fourth numbers on two digits each, directly joined. Flags 0 give no word.
  EXPECT_EQ(FixedTexts(missing), (Texts{"1.0", "6.02.920016384", "6.02.920016384", "", "Unknown", "DLL", ""}));

  // A German table without CompanyName: the 0409 table is used only when it has one.
  const CFileVersionInfo withFallback = Read(PeFixture("company_in_0409.dll"));
  EXPECT_EQ(withFallback.Language(), "German (Germany)");
  EXPECT_EQ((Texts{withFallback.CompanyName(), withFallback.FileDescription(), withFallback.FileVersion()}),
            (Texts{"Example Corp", "English", "1.0 en"}));
  const CFileVersionInfo withoutFallback = Read(PeFixture("no_company.dll"));
  EXPECT_EQ((Texts{withoutFallback.CompanyName(), withoutFallback.FileDescription(), withoutFallback.FileVersion()}),
            (Texts{"", "Deutsch", "1.0 de"}));
}

TEST(FileVersionInfoTest, NoTranslationLeavesLanguageAndStringValuesAlone) {
  const CFileVersionInfo fresh = Read(PeFixture("no_translation.dll"));
  EXPECT_TRUE(fresh.Available());
  Texts expected = {"1.0", "2.00.0001", "2.00.0001", "Special", "DOS-Win16", "Lib", ""};
  expected.resize(22);
  EXPECT_EQ(AllTexts(fresh), expected);

  CFileVersionInfo reused = Read(PeFixture("full.dll"));
  reused.SetFullPathName(PeFixture("no_translation.dll"));
  EXPECT_TRUE(reused.Available());
  std::copy(kFull.begin() + 7, kFull.end(), expected.begin() + 7);
  EXPECT_EQ(AllTexts(reused), expected);
}

TEST(FileVersionInfoTest, TypesSubtypesSystemsAndFlags) {
  const std::pair<const char*, Texts> kinds[] = {
      {"kind_1_5.dll", {"Application", "", "DOS-Win16", "Patched"}},
      {"kind_2_0.dll", {"DLL", "", "DOS-Win32", "Private"}},
      {"kind_3_0.dll", {"Driver", "Unknown", "OS/2-16 PM-16", "Info"}},
      {"kind_3_1.dll", {"Driver", "Printer drv", "OS/2-16 PM-32", "Debug PreRel Patched Private Info Special"}},
      {"kind_3_7.dll", {"Driver", "System drv", "NT-Win32", ""}},
      {"kind_3_10.dll", {"Driver", "Comm drv", "NT-Win32", ""}},
      {"kind_3_11.dll", {"Driver", "", "NT-Win32", ""}},
      {"kind_4_1.dll", {"Font", "Raster Font", "NT-Win32", ""}},
      {"kind_4_2.dll", {"Font", "Vector Font", "NT-Win32", ""}},
      {"kind_4_3.dll", {"Font", "TrueType Font", "NT-Win32", ""}},
      {"kind_4_4.dll", {"Font", "", "NT-Win32", ""}},
      {"kind_5_0.dll", {"VxD", "", "Unknown", ""}},
      {"kind_6_0.dll", {"Unknown", "", "NT-Win32", ""}},
      {"kind_7_0.dll", {"Lib", "", "NT-Win32", ""}},
      {"kind_0_0.dll", {"Unknown", "", "NT-Win32", ""}},
      {"kind_8_2.dll", {"Unknown", "", "NT-Win32", ""}},
  };
  for (const auto& [fixture, typeSubtypeOsFlags] : kinds) {
    const CFileVersionInfo info = Read(PeFixture(fixture));
    EXPECT_EQ((Texts{info.FileType(), info.FileSubType(), info.FileOS(), info.FileFlags()}), typeSubtypeOsFlags)
        << fixture;
  }

  // Types and subtypes without a name leave the subtype's earlier text in place.
  CFileVersionInfo reused = Read(PeFixture("kind_3_7.dll"));
  EXPECT_EQ((Texts{reused.VerFile(), reused.VerProduct()}), (Texts{"1.02.0304", "1.02.0004"}));
  for (const char* unnamed : {"kind_1_5.dll", "kind_4_4.dll", "kind_3_11.dll", "kind_8_2.dll"}) {
    reused.SetFullPathName(PeFixture(unnamed));
    EXPECT_EQ(reused.FileSubType(), "System drv") << unnamed;
  }
}

TEST(FileVersionInfoTest, FilesWithoutVersionResourceLeaveEarlierValues) {
  testing::TempFolder temp;
  const Texts unversioned = {
      PeFixture("no_version.dll"),     PeFixture("no_resources.dll"),
      std::string(MAJ_SOURCE_ROOT) + "/tests/data/pe/full.rc",  // not a PE file
      temp.WriteFile("empty.dll", ""), temp.WriteFile("mz_only.dll", "MZ"),
      temp.str() + "/missing.dll",     temp.str(),  // a folder
  };
  for (const auto& path : unversioned) {
    const CFileVersionInfo fresh = Read(path);
    EXPECT_FALSE(fresh.Available()) << path;
    EXPECT_EQ(AllTexts(fresh), Texts(22)) << path;

    CFileVersionInfo reused = Read(PeFixture("full.dll"));
    reused.SetFullPathName(path);
    EXPECT_FALSE(reused.Available()) << path;
    EXPECT_EQ(reused.FullPathName(), path);
    EXPECT_EQ(AllTexts(reused), kFull) << path;
  }
  for (const char* name : {"truncated_headers", "truncated_resource", "pe_offset_past_end", "section_past_end",
                           "data_rva_past_end", "data_size_past_end", "directory_count_past_end",
                           "type_entry_to_root", "name_entry_to_itself", "language_entry_to_itself",
                           "data_entry_at_root"}) {
    EXPECT_FALSE(Read(PeFixture(std::string("broken/") + name + ".dll")).Available()) << name;
  }
}

TEST(FileVersionInfoTest, LyingVersionTreesGiveWhatCanBeRead) {
  struct Case {
    const char* fixture;
    const char* language;
    const char* fileVersion;
  };
  for (const Case& c : {Case{"child_overflows.dll", "English (United States)", ""},
                        Case{"zero_length_child.dll", "", ""},
                        Case{"root_too_long.dll", "English (United States)", "3.1"},
                        Case{"key_without_nul.dll", "", ""}}) {
    const CFileVersionInfo info = Read(PeFixture(c.fixture));
    EXPECT_TRUE(info.Available()) << c.fixture;
    EXPECT_EQ(info.Language(), c.language) << c.fixture;
    EXPECT_EQ(info.FileVersion(), c.fileVersion) << c.fixture;
  }
  EXPECT_EQ(AllTexts(Read(PeFixture("key_without_nul.dll"))), Texts(22));

  // A root without fixed information clears the fixed values read before.
  CFileVersionInfo info = Read(PeFixture("kind_3_7.dll"));
  info.SetFullPathName(PeFixture("no_fixed_info.dll"));
  EXPECT_TRUE(info.Available());
  EXPECT_EQ(FixedTexts(info), Texts(7));
  EXPECT_EQ((Texts{info.Language(), info.FileVersion()}), (Texts{"English (United States)", "3.1"}));
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
    EXPECT_EQ(AllTexts(info), kFull) << given;
    // A path that cannot be resolved changes nothing.
    info.SetFullPathName("");
    EXPECT_EQ(info.FullPathName(), resolved);
    EXPECT_TRUE(info.Available());
  }
}

TEST(LanguageNameTest, CommonIdentifiersAndUnknownOnes) {
  const std::pair<std::uint16_t, const char*> names[] = {
      {0x0409, "English (United States)"}, {0x040C, "French (France)"}, {0x0C0C, "French (Canada)"},
      {0x0000, "Language Neutral"},        {0x0414, "Norwegian, Bokmål (Norway)"},
      {0x4809, "English (Singapore)"},     {0x0001, ""},                {0xFFFF, ""}};
  for (const auto& [id, name] : names) EXPECT_EQ(VerLanguageName(id), name) << id;
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
