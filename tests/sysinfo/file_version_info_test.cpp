#include "sysinfo/file_version_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sysinfo/language_names.h"
#include "tests/support/pe_fixtures.h"
#include "tests/support/temp_folder.h"

namespace maj::sysinfo {
namespace {

using testing::PeFixture;

CFileVersionInfo Read(const std::string& fixture) {
  CFileVersionInfo info;
  info.SetFullPathName(PeFixture(fixture));
  return info;
}

// Every text property, in one list, so that "all empty" and "unchanged" can be checked at once.
std::vector<std::string> AllTexts(const CFileVersionInfo& info) {
  std::vector<std::string> texts = {info.VerStructure(), info.VerFile(),  info.VerProduct(), info.FileFlags(),
                                    info.FileOS(),       info.FileType(), info.FileSubType()};
  for (int i = 0; i < CFileVersionInfo::kPredefinedCount; ++i) texts.push_back(info.PredefinedValue(i));
  return texts;
}

class FullFixtureTest : public ::testing::TestWithParam<const char*> {};

TEST_P(FullFixtureTest, RendersFixedInformationAndEveryStringValue) {
  const CFileVersionInfo info = Read(GetParam());
  EXPECT_EQ(info.FullPathName(), PeFixture(GetParam()));
  ASSERT_TRUE(info.Available());
  EXPECT_EQ(info.VerStructure(), "1.0");
  EXPECT_EQ(info.VerFile(), "13.01.0010");
  EXPECT_EQ(info.VerProduct(), "1.02.0304");
  EXPECT_EQ(info.FileFlags(), "Debug PreRel");
  EXPECT_EQ(info.FileOS(), "NT-Win32");
  EXPECT_EQ(info.FileType(), "Application");
  EXPECT_EQ(info.FileSubType(), "");

  EXPECT_EQ(info.Language(), "French (France)");
  EXPECT_EQ(info.Comments(), "Fichier d'essai");
  EXPECT_EQ(info.CompanyName(), "Vélandre Systèmes");
  EXPECT_EQ(info.FileDescription(), "Proscenia");
  EXPECT_EQ(info.FileVersion(), "13, 1, 0, 10");
  EXPECT_EQ(info.InternalName(), "Orv_Spec");
  EXPECT_EQ(info.LegalCopyright(), "© 2012 Vélandre");
  EXPECT_EQ(info.LegalTrademarks(), "Proscenia™");
  EXPECT_EQ(info.OriginalFilename(), "Orv_Spec.exe");
  EXPECT_EQ(info.ProductName(), "Proscenia Spectacles");
  EXPECT_EQ(info.ProductVersion(), "13.01.0010");
  EXPECT_EQ(info.PrivateBuild(), "interne");
  EXPECT_EQ(info.SpecialBuild(), "spéciale");
  EXPECT_EQ(info.PredefinedValue(0), "French (France)");
  EXPECT_EQ(info.PredefinedValue(4), "13, 1, 0, 10");
  EXPECT_EQ(info.PredefinedValue(13), "Marque 1");
  EXPECT_EQ(info.PredefinedValue(14), "Marque 2");
  EXPECT_EQ(info.PredefinedValue(15), "");
  EXPECT_EQ(info.PredefinedValue(-1), "");
}

// The same resource in a PE32+ (x86-64) and a PE32 (i386) file.
INSTANTIATE_TEST_SUITE_P(BothImageFormats, FullFixtureTest, ::testing::Values("full.dll", "full32.dll"));

TEST(FileVersionInfoTest, PredefinedNamesByIndex) {
  const std::vector<std::string> expected = {
      "Language",        "Comments",         "Company Name",  "File Description", "File Version",
      "Internal Name",   "Legal Copyright",  "Legal Trademarks", "Original Filename", "Product Name",
      "Product Version", "Private Build",    "Special Build", "LegalTrademarks1", "LegalTrademarks2"};
  for (int i = 0; i < 15; ++i) EXPECT_EQ(CFileVersionInfo::PredefinedName(i), expected[i]) << i;
  EXPECT_EQ(CFileVersionInfo::PredefinedName(15), "");
  EXPECT_EQ(CFileVersionInfo::PredefinedName(-1), "");
}

TEST(FileVersionInfoTest, NewObjectIsEmpty) {
  const CFileVersionInfo info;
  EXPECT_FALSE(info.Available());
  EXPECT_EQ(info.FullPathName(), "");
  for (const auto& text : AllTexts(info)) EXPECT_EQ(text, "");
}

TEST(FileVersionInfoTest, TranslatedTableMissingFallsBackToUsEnglish) {
  // Translation 040C/04B0, only a 040904b0 table, value names in another letter case.
  const CFileVersionInfo info = Read("missing_table.dll");
  ASSERT_TRUE(info.Available());
  EXPECT_EQ(info.Language(), "French (France)");
  EXPECT_EQ(info.CompanyName(), "Microsoft Corporation");
  EXPECT_EQ(info.FileVersion(), "6.2.9200.16384");
  EXPECT_EQ(info.ProductName(), "Example");
  EXPECT_EQ(info.Comments(), "");
  // Third number not 0: third and fourth numbers on at least two digits each, directly joined.
  EXPECT_EQ(info.VerFile(), "6.02.920016384");
  EXPECT_EQ(info.FileFlags(), "");
  EXPECT_EQ(info.FileType(), "DLL");
  EXPECT_EQ(info.FileOS(), "Unknown");
}

TEST(FileVersionInfoTest, TableWithoutCompanyNameUsesUsEnglishOnlyWhenItHasOne) {
  const CFileVersionInfo withFallback = Read("company_in_0409.dll");
  EXPECT_EQ(withFallback.Language(), "German (Germany)");
  EXPECT_EQ(withFallback.CompanyName(), "Example Corp");
  EXPECT_EQ(withFallback.FileDescription(), "English");
  EXPECT_EQ(withFallback.FileVersion(), "1.0 en");

  const CFileVersionInfo withoutFallback = Read("no_company.dll");
  EXPECT_EQ(withoutFallback.CompanyName(), "");
  EXPECT_EQ(withoutFallback.FileDescription(), "Deutsch");
  EXPECT_EQ(withoutFallback.FileVersion(), "1.0 de");
}

TEST(FileVersionInfoTest, NoTranslationLeavesLanguageAndStringValuesAlone) {
  const CFileVersionInfo fresh = Read("no_translation.dll");
  ASSERT_TRUE(fresh.Available());
  EXPECT_EQ(fresh.VerFile(), "2.00.0001");
  EXPECT_EQ(fresh.FileFlags(), "Special");
  EXPECT_EQ(fresh.FileOS(), "DOS-Win16");
  EXPECT_EQ(fresh.FileType(), "Lib");
  EXPECT_EQ(fresh.Language(), "");
  EXPECT_EQ(fresh.CompanyName(), "");
  EXPECT_EQ(fresh.FileVersion(), "");

  CFileVersionInfo reused = Read("full.dll");
  reused.SetFullPathName(PeFixture("no_translation.dll"));
  EXPECT_TRUE(reused.Available());
  EXPECT_EQ(reused.VerFile(), "2.00.0001");
  EXPECT_EQ(reused.Language(), "French (France)");
  EXPECT_EQ(reused.CompanyName(), "Vélandre Systèmes");
  EXPECT_EQ(reused.FileVersion(), "13, 1, 0, 10");
}

struct KindCase {
  const char* fixture;
  const char* type;
  const char* subtype;
  const char* os;
  const char* flags;
};

TEST(FileVersionInfoTest, TypesSubtypesSystemsAndFlags) {
  const KindCase cases[] = {
      {"kind_1_5.dll", "Application", "", "DOS-Win16", "Patched"},
      {"kind_2_0.dll", "DLL", "", "DOS-Win32", "Private"},
      {"kind_3_0.dll", "Driver", "Unknown", "OS/2-16 PM-16", "Info"},
      {"kind_3_1.dll", "Driver", "Printer drv", "OS/2-16 PM-32", "Debug PreRel Patched Private Info Special"},
      {"kind_3_7.dll", "Driver", "System drv", "NT-Win32", ""},
      {"kind_3_10.dll", "Driver", "Comm drv", "NT-Win32", ""},
      {"kind_3_11.dll", "Driver", "", "NT-Win32", ""},
      {"kind_4_1.dll", "Font", "Raster Font", "NT-Win32", ""},
      {"kind_4_2.dll", "Font", "Vector Font", "NT-Win32", ""},
      {"kind_4_3.dll", "Font", "TrueType Font", "NT-Win32", ""},
      {"kind_4_4.dll", "Font", "", "NT-Win32", ""},
      {"kind_5_0.dll", "VxD", "", "Unknown", ""},
      {"kind_6_0.dll", "Unknown", "", "NT-Win32", ""},
      {"kind_7_0.dll", "Lib", "", "NT-Win32", ""},
      {"kind_0_0.dll", "Unknown", "", "NT-Win32", ""},
      {"kind_8_2.dll", "Unknown", "", "NT-Win32", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    const CFileVersionInfo info = Read(c.fixture);
    ASSERT_TRUE(info.Available());
    EXPECT_EQ(info.FileType(), c.type);
    EXPECT_EQ(info.FileSubType(), c.subtype);
    EXPECT_EQ(info.FileOS(), c.os);
    EXPECT_EQ(info.FileFlags(), c.flags);
    EXPECT_EQ(info.VerFile(), "1.02.0304");
    EXPECT_EQ(info.VerProduct(), "1.02.0004");
    EXPECT_EQ(info.Language(), "English (United States)");
  }
}

TEST(FileVersionInfoTest, SubtypeKeepsItsTextForTypesWithoutSubtypeNames) {
  CFileVersionInfo info = Read("kind_3_7.dll");
  EXPECT_EQ(info.FileSubType(), "System drv");
  for (const char* unnamed : {"kind_1_5.dll", "kind_4_4.dll", "kind_3_11.dll", "kind_8_2.dll"}) {
    info.SetFullPathName(PeFixture(unnamed));
    EXPECT_EQ(info.FileSubType(), "System drv") << unnamed;
  }
  info.SetFullPathName(PeFixture("kind_4_2.dll"));
  EXPECT_EQ(info.FileSubType(), "Vector Font");
}

TEST(FileVersionInfoTest, FilesWithoutVersionResource) {
  testing::TempFolder temp;
  const std::vector<std::string> unversioned = {
      PeFixture("no_version.dll"),     PeFixture("no_resources.dll"),
      std::string(MAJ_SOURCE_ROOT) + "/tests/data/pe/full.rc",  // not a PE file
      temp.WriteFile("empty.dll", ""),
      temp.WriteFile("mz_only.dll", "MZ"),
      temp.str() + "/missing.dll",
      temp.str(),  // a folder
  };
  for (const auto& path : unversioned) {
    SCOPED_TRACE(path);
    CFileVersionInfo fresh;
    fresh.SetFullPathName(path);
    EXPECT_FALSE(fresh.Available());
    for (const auto& text : AllTexts(fresh)) EXPECT_EQ(text, "");

    CFileVersionInfo reused = Read("full.dll");
    const auto before = AllTexts(reused);
    reused.SetFullPathName(path);
    EXPECT_FALSE(reused.Available());
    EXPECT_EQ(reused.FullPathName(), path);
    EXPECT_EQ(AllTexts(reused), before);
  }
}

TEST(FileVersionInfoTest, RootWithoutFixedInformation) {
  const CFileVersionInfo fresh = Read("no_fixed_info.dll");
  ASSERT_TRUE(fresh.Available());
  EXPECT_EQ(fresh.Language(), "English (United States)");
  EXPECT_EQ(fresh.FileVersion(), "3.1");

  // The fixed values of an earlier file must not be reported for this one.
  CFileVersionInfo reused = Read("kind_3_7.dll");
  reused.SetFullPathName(PeFixture("no_fixed_info.dll"));
  for (const auto& text : {reused.VerStructure(), reused.VerFile(), reused.VerProduct(), reused.FileFlags(),
                           reused.FileOS(), reused.FileType(), reused.FileSubType()}) {
    EXPECT_EQ(text, "");
  }
  EXPECT_EQ(reused.FileVersion(), "3.1");
}

TEST(FileVersionInfoTest, LyingVersionTreesGiveWhatCanBeRead) {
  const CFileVersionInfo overflow = Read("child_overflows.dll");
  EXPECT_TRUE(overflow.Available());
  EXPECT_EQ(overflow.Language(), "English (United States)");
  EXPECT_EQ(overflow.FileVersion(), "");

  const CFileVersionInfo zeroLength = Read("zero_length_child.dll");
  EXPECT_TRUE(zeroLength.Available());
  EXPECT_EQ(zeroLength.Language(), "");
  EXPECT_EQ(zeroLength.FileVersion(), "");

  const CFileVersionInfo tooLong = Read("root_too_long.dll");
  EXPECT_TRUE(tooLong.Available());
  EXPECT_EQ(tooLong.Language(), "English (United States)");
  EXPECT_EQ(tooLong.FileVersion(), "3.1");

  const CFileVersionInfo noNul = Read("key_without_nul.dll");
  EXPECT_TRUE(noNul.Available());
  for (const auto& text : AllTexts(noNul)) EXPECT_EQ(text, "");
}

TEST(FileVersionInfoTest, BrokenImagesHaveNoVersion) {
  for (const char* name : {"truncated_headers", "truncated_resource", "pe_offset_past_end", "section_past_end",
                           "data_rva_past_end", "data_size_past_end", "directory_count_past_end",
                           "type_entry_to_root", "name_entry_to_itself", "language_entry_to_itself",
                           "data_entry_at_root"}) {
    SCOPED_TRACE(name);
    const CFileVersionInfo info = Read(std::string("broken/") + name + ".dll");
    EXPECT_FALSE(info.Available());
    EXPECT_EQ(info.FileVersion(), "");
  }
}

TEST(LanguageNameTest, CommonIdentifiersAndUnknownOnes) {
  EXPECT_EQ(VerLanguageName(0x0409), "English (United States)");
  EXPECT_EQ(VerLanguageName(0x040C), "French (France)");
  EXPECT_EQ(VerLanguageName(0x0C0C), "French (Canada)");
  EXPECT_EQ(VerLanguageName(0x0407), "German (Germany)");
  EXPECT_EQ(VerLanguageName(0x0000), "Language Neutral");
  EXPECT_EQ(VerLanguageName(0x0414), "Norwegian, Bokmål (Norway)");
  EXPECT_EQ(VerLanguageName(0x4809), "English (Singapore)");
  EXPECT_EQ(VerLanguageName(0x0001), "");
  EXPECT_EQ(VerLanguageName(0xFFFF), "");
}

}  // namespace
}  // namespace maj::sysinfo
