#include "report_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <set>

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

namespace tesmira::wb {
namespace {

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> cells;
  const std::string wall = "\u2502";
  for (size_t at = line.find(wall); at != std::string::npos;) {
    const size_t next = line.find(wall, at + wall.size());
    if (next == std::string::npos) break;
    std::string cell = line.substr(at + wall.size(), next - at - wall.size());
    while (!cell.empty() && cell.back() == ' ') cell.pop_back();
    while (!cell.empty() && cell.front() == ' ') cell.erase(cell.begin());
    cells.push_back(cell);
    at = next;
  }
  return cells;
}

TEST_F(ReportWriter, EveryColumnOfAWideMatrix) {
  for (int k = 1; k <= 110; ++k) {
    AddVariable(std::string("v").append(std::to_string(k)));
    AddNode(std::string("v").append(std::to_string(k)));
  }
  for (int k = 1; k <= 10; ++k)
    AddFormula(std::string("f").append(std::to_string(k)),
               std::string("v1+v").append(std::to_string(k)));
  TRunRequest r = DefaultRunRequest;
  r.runs = 1;
  r.seed = 2;
  r.correlationKind = 1;
  ASSERT_EQ(Run_simul(&r), RunCompleted);
  MemoryTarget t;
  GenerateReport(0, 0, t, Context());
  // The matrix's column headers over all its blocks.
  std::set<std::string> columns;
  for (const auto& l : t.lines) {
    const auto cells = Split(l);
    if (cells.size() > 2 && cells[0] == "Nr." && cells[1] == "Variable" &&
        (cells[2][0] == 'I' || cells[2][0] == 'O'))
      columns.insert(cells.begin() + 2, cells.end());
  }
  EXPECT_EQ(columns.size(), 120u);
  EXPECT_TRUE(columns.count("I110") && columns.count("O1") && columns.count("O10"));
}

TEST_F(ReportWriter, OutputsBeginAtTheFirstOutput) {
  // Inputs a, b, c, d and a latent node in the tree: a - L - d.
  Simulate(2);  // a, b, c in a tree; f1, f2
  AddVariable("d", 3);
  AddNode("d");
  AddNode("L");
  ASSERT_TRUE(example::Link("a", "L", 0.2, CopulaNormal));
  ASSERT_TRUE(example::Link("L", "d", 0.4, CopulaNormal));
  TRunRequest r = DefaultRunRequest;
  r.runs = 1;
  r.seed = 4;
  r.correlationKind = 2;
  ASSERT_EQ(Run_simul(&r), RunCompleted);
  const auto* data =
      static_cast<const TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, nullptr));
  ASSERT_NE(data, nullptr);
  const int nIn = data->inputs.count;
  ASSERT_EQ(nIn, 5);  // the latent node is sampled too
  std::vector<std::string> filtered;
  TReportContext c = Context();
  c.isSampleChecked = [&](const std::string& name, bool rows) {
    if (rows) filtered.push_back(name);
    return true;
  };
  MemoryTarget t;
  GenerateReport(0, 0, t, c);
  bool sampling = false, matrix = false;
  for (const auto& l : t.lines) {
    const auto cells = Split(l);
    if (cells.size() == 7 && cells[0] == "O1") {
      EXPECT_EQ(cells[1], "f1");
      sampling = true;
    }
    if (cells.size() == 7 && cells[0] == "I5") {
      EXPECT_EQ(cells[1], "l");
    }
    if (cells.size() > 3 && cells[0] == "Nr." && cells[1] == "Variable" && cells[2] == "I1") {
      EXPECT_EQ(cells[2 + nIn], "O1");
      matrix = true;
    }
  }
  EXPECT_TRUE(sampling);
  EXPECT_TRUE(matrix);
  EXPECT_EQ(filtered.size(), 7u);
}

TEST_F(ReportWriter, PreviewsKeepToTheirFirstRowsAndColumns) {
  Simulate(3);
  auto count = [](const MemoryTarget& t, const std::string& text) {
    int n = 0;
    for (const auto& l : t.lines) n += l.find(text) != std::string::npos;
    return n;
  };
  // clang-format off
  struct { int section; const char* text; int full, preview; } cases[] = {
      {6, "Uncertainty Distributions for Variable", 3, 2},
      {6, "% :", 3 * 19, 2 * 6},               // percentages 5..30 only
      {20, "Output Distribution for Variable", 3, 2},
      {8, "Random variable name:", 3, 1},
      {10, ". f", 3, 1},
  };
  // clang-format on
  MemoryTarget full;
  GenerateReport(0, 0, full, Context());
  for (const auto& c : cases) {
    MemoryTarget t;
    GenerateReport(0, c.section, t, Context());
    EXPECT_EQ(count(full, c.text), c.full) << c.section << " " << c.text;
    EXPECT_EQ(count(t, c.text), c.preview) << c.section << " " << c.text;
  }
}

}  // namespace
}  // namespace tesmira::wb
