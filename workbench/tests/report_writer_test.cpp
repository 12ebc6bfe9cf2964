#include "report_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "../../examples/model_builder.h"
#include "report_fixture.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"

namespace tesmira::wb {
namespace {

TEST(ReportDate, OrdinalSuffixesAndTime) {
  // clang-format off
  struct { int day; const char* suffix; } cases[] = {
      {1, "st"}, {2, "nd"}, {3, "rd"}, {4, "th"}, {11, "th"}, {12, "th"}, {13, "th"},
      {21, "st"}, {22, "nd"}, {23, "rd"}, {31, "st"}};
  // clang-format on
  for (const auto& c : cases) EXPECT_STREQ(DaySuffix(c.day), c.suffix) << c.day;
  EXPECT_EQ(ReportDateTime(Day(2)), "March 02nd, 2024 14:05:09");
}

TEST_F(ReportWriter, FullPlainTextReport) {
  Simulate();
  MemoryTarget t;
  GenerateReport(0, 0, t, Context());
  ASSERT_FALSE(t.lines.empty());
  EXPECT_EQ(t.appends, 1) << "lines arrive in one piece";
  EXPECT_TRUE(t.visible);
  EXPECT_TRUE(t.modified);
  // Page header, then the header block.
  EXPECT_EQ(t.lines[0],
            " -- Page 1 --" + std::string(72 - 13 - 26, ' ') + "Tesmira v2.2 Report: model");
  std::string rule;
  for (int i = 0; i < 73; ++i) rule += "\u2500";
  EXPECT_EQ(t.lines[2], rule);
  EXPECT_EQ(t.lines[3], "Model File: " + file_);
  EXPECT_EQ(t.lines[6], "Current Date and Time: March 21st, 2024 14:05:09");
  const int contents = Find(t, "*** CONTENTS ***");
  ASSERT_GT(contents, 0);
  EXPECT_EQ(t.lines[contents], std::string(28, ' ') + "*** CONTENTS ***" + std::string(29, ' '));
  // Contents lines get dots and the page of their heading.
  const int summary = Find(t, "  1. Summary Report");
  ASSERT_GT(summary, contents);
  EXPECT_EQ(t.lines[summary].size(), 70u);
  EXPECT_EQ(t.lines[summary].back(), '1');
  const int corr = Find(t, "    5.3. Rank Correlation matrix");
  ASSERT_GT(corr, summary);
  const int heading = Find(t, "** 5.3. Rank Correlation matrix **");
  ASSERT_GT(heading, corr);
  int page = 1;
  for (int i = 0; i < heading; ++i) page += t.lines[i] == "\f";
  EXPECT_EQ(t.lines[corr].substr(t.lines[corr].find_last_of('.') + 1), std::to_string(page));
  // A second page begins with a form feed and its header.
  const int ff = Find(t, "\f");
  ASSERT_GT(ff, 0);
  EXPECT_EQ(t.lines[ff + 1].rfind(" -- Page 2 --", 0), 0u);
  // The summary table: frames and the numbered outputs.
  const int table = Find(t, "\u2502 Nr. \u2502Variable   \u2502");
  ASSERT_GT(table, 0);
  EXPECT_EQ(t.lines[table - 1].rfind("\u250c\u2500\u2500\u2500\u2500\u2500\u252c", 0), 0u);
  EXPECT_EQ(t.lines[table + 2].rfind("\u2502 1   \u2502f1 ", 0), 0u);
  EXPECT_GT(Find(t, "1. f1: a+b*1"), 0);
  EXPECT_GT(Find(t, "Uncertainty Distributions for Variable 2: f2"), 0);
  EXPECT_EQ(t.lines[t.lines.size() - 2],
            std::string(31, ' ') + "*** END ***" + std::string(31, ' '));
}

TEST_F(ReportWriter, WideMatrixIsPrintedInBlocksWithEveryColumn) {
  Simulate(12);
  MemoryTarget t;
  GenerateReport(0, 0, t, Context());
  // 15 variables: every column header up to O12 appears, blocks repeat the
  // number and name columns and stay within 73 columns.
  const int first = Find(t, "\u2502  Nr. \u2502Variable   \u2502I1 ");
  ASSERT_GT(first, 0);
  EXPECT_GT(Find(t, "\u2502  Nr. \u2502Variable   \u2502", first + 1), first);
  EXPECT_GT(Find(t, "\u2502O12 "), first);
  for (const auto& l : t.lines) {
    if (l.find("\u2502") != std::string::npos && l.find("  Nr.") != std::string::npos) {
      EXPECT_LE(Chars(l), 73u) << l;
    }
  }
}

TEST_F(ReportWriter, LongLinesWrapOnlyWithLineBreaks) {
  Simulate();
  const std::string long80 = std::string(60, 'x') + " " + std::string(19, 'y');
  for (bool breaks : {false, true}) {
    sections_.LineBreaks = breaks;
    MemoryTarget t;
    TDOSReporter w(t, Context());
    w.PreviewedSection = 99;  // no page headers
    w.WriteLine(long80, 0);
    w.WriteLine("", 0);
    w.Flush();
    ASSERT_EQ(t.lines.size(), 2u);
    EXPECT_EQ(t.lines[0], breaks ? std::string(60, 'x') + " \r\n" + std::string(19, 'y') : long80);
  }
}

TEST_F(ReportWriter, PreviewOfSectionSixteen) {
  Simulate();
  MemoryTarget t;
  GenerateReport(0, 16, t, Context());
  EXPECT_EQ(Find(t, "-- Page"), -1);
  EXPECT_EQ(Find(t, "CONTENTS"), -1);
  EXPECT_EQ(Find(t, "END"), -1);
  EXPECT_EQ(Find(t, "Simulaton Data"), -1);
  EXPECT_GT(Find(t, "Sampling Results And Data"), 0);
  EXPECT_GT(Find(t, "Random Seed: 3"), 0);
  EXPECT_EQ(Find(t, "Summary Report"), -1);
  // The caret stands where section 16 begins: after the text of section 15.
  int64_t before = 0;
  const int last15 = Find(t, "Quantile Options:");
  ASSERT_GT(last15, 0);
  for (int i = 0; i <= last15; ++i) before += static_cast<int64_t>(Chars(t.lines[i])) + 1;
  EXPECT_EQ(t.caret, before);
}

}  // namespace
}  // namespace tesmira::wb
