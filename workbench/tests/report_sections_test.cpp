#include "report_sections.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ini_file.h"
#include "tesmira/model.h"

namespace tesmira::wb {
namespace {

namespace fs = std::filesystem;

struct ReportSections : ::testing::Test {
  fs::path file =
      fs::temp_directory_path() / ("wbcore_repsections_" + std::to_string(getpid()) + ".INI");
  void SetUp() override { Init_Model_data(); }
  void TearDown() override {
    End_model_data();
    fs::remove(file);
  }
  TRepSections Load(const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
    common::TIniFile ini(file.string());
    TRepSections s;
    s.LoadFromIni(ini);
    return s;
  }
};

TEST_F(ReportSections, ReadsAtMostHundredEntriesAndSkipsMissingOrRepeatedIds) {
  std::string text = "[Report]\r\nchs=150\r\n";
  for (int i = 0; i < 150; ++i)
    text += "id" + std::to_string(i) + "=" + std::to_string(1000 + i) + "\r\n";
  TRepSections s = Load(text);
  EXPECT_EQ(s.IndexOfSection(1099), 99);
  EXPECT_EQ(s.IndexOfSection(1100), -1);
  EXPECT_EQ(s.Entries.size(), 100u + 7u) << "plus the seven styles";

  s = Load(
      "[Report]\r\nchs=4\r\nid0=4\r\nid2=4\r\nid3=16\r\nvis3=0\r\nfo3=1\r\nrf3=12\r\ndp3=4\r\n");
  ASSERT_GE(s.Entries.size(), 2u);
  EXPECT_EQ(s.Entries[0].id, 4);
  EXPECT_EQ(s.Entries[1].id, 16);
  EXPECT_FALSE(s.IsSectionVisible(16, true));
  EXPECT_TRUE(s.IsSectionVisible(3, true)) << "no entry";
  int32_t w = 0, p = 0;
  EXPECT_EQ(s.GetNumberFormat(16, w, p), 1);
  EXPECT_EQ(w, 12);
  EXPECT_EQ(p, 4);
  EXPECT_EQ(s.GetNumberFormat(3, w, p), FormatNone);
  EXPECT_EQ(s.Format, 1);
  EXPECT_FALSE(s.LineBreaks);
}

TEST_F(ReportSections, FontNeedsAllFourKeysAndStylesGetDefaults) {
  TRepSections s = Load(
      "[Report]\r\nchs=2\r\nid0=-7\r\nfntN0=Courier\r\nfntCS0=0\r\nfntST0=1\r\n"
      "id1=3\r\nfntN1=Courier\r\nfntCS1=0\r\nfntS1=10\r\nfntST1=3\r\n");
  EXPECT_EQ(s.Entries[0].font, DefaultStyleFont(StyleNormal)) << "no size: the style default";
  EXPECT_EQ(s.Entries[1].font, (TRepFont{"Courier", 10, true, true, false, 0}));
  EXPECT_EQ(s.Entries[s.IndexOfSection(StyleLinedraw)].font->name, "DejaVu Sans Mono");
  s.ResetFonts();
  EXPECT_FALSE(s.Entries[1].font.has_value());
}

TEST_F(ReportSections, APictureFontOfTheSymbolSetGivesWayToTheDefault) {
  // Older settings kept a symbol-set font for the pictures; a chosen font of
  // the ordinary set stays.
  TRepSections s = Load(
      "[Report]\r\nchs=1\r\nid0=-1\r\nfntN0=MS Linedraw\r\nfntCS0=2\r\nfntS0=12\r\n"
      "fntST0=0\r\n");
  EXPECT_EQ(s.Entries[s.IndexOfSection(StyleLinedraw)].font, DefaultStyleFont(StyleLinedraw));
  s = Load(
      "[Report]\r\nchs=1\r\nid0=-1\r\nfntN0=Courier New\r\nfntCS0=0\r\nfntS0=10\r\n"
      "fntST0=0\r\n");
  EXPECT_EQ(s.Entries[s.IndexOfSection(StyleLinedraw)].font->name, "Courier New");
}

TEST_F(ReportSections, WriteThenReadKeepsEverything) {
  TRepSections s = Load("");
  s.SetSectionVisible(5, false);
  const int i = s.AddSection(18);
  s.Entries[i].format = 1;
  s.Entries[i].width = 7;
  s.Entries[i].precision = 3;
  s.Entries[i].font = TRepFont{"Arial", 9, false, false, true, 0};
  s.Format = 0;
  s.LineBreaks = true;
  s.WordTemplate = "normal.dot";
  {
    common::TIniFile ini(file.string());
    s.SaveToIni(ini);
  }
  common::TIniFile ini(file.string());
  TRepSections t;
  t.LoadFromIni(ini);
  ASSERT_EQ(t.Entries.size(), s.Entries.size());
  for (size_t k = 0; k < s.Entries.size(); ++k) {
    EXPECT_EQ(t.Entries[k].id, s.Entries[k].id);
    EXPECT_EQ(t.Entries[k].visible, s.Entries[k].visible);
    EXPECT_EQ(t.Entries[k].font, s.Entries[k].font);
    EXPECT_EQ(t.Entries[k].format, s.Entries[k].format);
  }
  EXPECT_EQ(t.Format, 0);
  EXPECT_TRUE(t.LineBreaks);
  EXPECT_EQ(t.WordTemplate, "normal.dot");
  EXPECT_FALSE(ini.ValueExists("Report", "fo0")) << "no format: keys deleted";

  // Hiding section 11 excludes its subsections; an empty model hides 12.
  t.SetSectionVisible(11, false);
  t.SetSectionVisible(16, true);
  t.SetSectionVisible(4, true);
  t.UpdateInclusion();
  EXPECT_FALSE(t.IsSectionIncluded(16));
  EXPECT_TRUE(t.IsSectionIncluded(4));
  EXPECT_FALSE(t.IsSectionVisible(12, false));
  EXPECT_TRUE(t.IsSectionVisible(12, true));
}

}  // namespace
}  // namespace tesmira::wb
