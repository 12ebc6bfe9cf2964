#include "rtf_writer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "report_fixture.h"
#include "rtf_reader.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"

namespace tesmira::wb {
namespace {

void SetShort(unsigned char* s, const std::string& text) {
  s[0] = static_cast<unsigned char>(text.size());
  std::memcpy(s + 1, text.data(), text.size());
}

std::string Trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return std::string();
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The cells of a framed plain-text row, trimmed.
std::vector<std::string> PlainCells(const std::string& line) {
  std::vector<std::string> cells;
  const std::string wall = "\u2502";
  size_t at = line.find(wall);
  while (at != std::string::npos) {
    const size_t next = line.find(wall, at + wall.size());
    if (next == std::string::npos) break;
    cells.push_back(Trimmed(line.substr(at + wall.size(), next - at - wall.size())));
    at = next;
  }
  return cells;
}

TEST(RtfEscape, ModelTextsAndBoxCharacters) {
  // clang-format off
  struct { std::string cp437; std::string rtf; } cases[] = {
      {"plain", "plain"}, {"a{b}\\c", "a\\{b\\}\\\\c"}, {"x\ty", "x\\tab y"},
      {"\x82", "\\'e9"},        // e acute: a code page 1252 byte
      {"\xB3\xC4", "\\u9474?\\u9472?"},  // box characters
      {"\xE3", "\\u960?"},      // pi
  };
  // clang-format on
  for (const auto& c : cases) EXPECT_EQ(RtfEscape(c.cp437), c.rtf) << c.rtf;
}

TEST(RtfReader, GroupsRunsDestinationsAndTables) {
  const std::string rtf =
      "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\fprq0 Times New Roman;}{\\f1 Arial;}}"
      "{\\stylesheet{\\s1 Heading 1;}}{\\colortbl;\\red0\\green0\\blue0;}{\\info{\\title T}}"
      "{\\header Page}{\\*\\unknown hidden}"
      "\\pard\\plain \\f1\\fs32 Head\\b bold\\b0  caf\\'e9 \\u960?x\\par "
      "{\\i it}\\{\\}\\\\ {\\field{\\*\\fldinst { PAGE }}{\\fldrslt 7}}\\par "
      "\\trowd\\cellx100\\cellx250\\pard\\intbl A1\\cell B1\\cell\\row"
      "\\trowd\\cellx100\\cellx250\\pard\\intbl A2\\cell \\cell\\row"
      "\\pard after}";
  const TRtfDocument doc = ReadRtf(rtf);
  ASSERT_EQ(doc.blocks.size(), 4u);
  EXPECT_EQ(doc.fonts.at(0), "Times New Roman");
  EXPECT_EQ(doc.fonts.at(1), "Arial");
  const TRtfParagraph& first = doc.blocks[0].paragraph;
  EXPECT_EQ(first.Text(), "Headbold caf\u00e9 \u03c0x");
  ASSERT_GE(first.runs.size(), 3u);
  EXPECT_EQ(first.runs[0].font, 1);
  EXPECT_EQ(first.runs[0].halfPoints, 32);
  EXPECT_FALSE(first.runs[0].bold);
  EXPECT_TRUE(first.runs[1].bold);
  EXPECT_EQ(first.runs[1].text, "bold");
  EXPECT_EQ(doc.blocks[1].paragraph.Text(), "it{}\\ 7");
  EXPECT_TRUE(doc.blocks[1].paragraph.runs[0].italic);
  ASSERT_TRUE(doc.blocks[2].isTable);
  ASSERT_EQ(doc.blocks[2].rows.size(), 2u);
  EXPECT_EQ(doc.blocks[2].rows[0].cellRight, (std::vector<int>{100, 250}));
  EXPECT_EQ(doc.blocks[2].rows[0].CellText(1), "B1");
  EXPECT_EQ(doc.blocks[2].rows[1].CellText(0), "A2");
  EXPECT_EQ(doc.blocks[2].rows[1].CellText(1), "");
  EXPECT_EQ(doc.blocks[3].paragraph.Text(), "after");
  // Unbalanced input ends without harm.
  EXPECT_EQ(ReadRtf("}}{\\b x{{").PlainText(), "x\n");
}

TEST(RtfReader, RowsWithoutTheirOwnDefinitionTakeAndExtendTheEdgesBefore) {
  const TRtfDocument doc = ReadRtf(
      "{\\rtf1\\trowd\\cellx100\\cellx200 a\\cell\\row b\\cell\\row\\cellx300 c\\cell\\row"
      " d\\cell\\row\\trowd\\cellx50 e\\cell\\row}");
  ASSERT_EQ(doc.blocks.size(), 1u);
  const auto& rows = doc.blocks[0].rows;
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].cellRight, (std::vector<int>{100, 200}));
  EXPECT_EQ(rows[1].cellRight, (std::vector<int>{100, 200}));
  EXPECT_EQ(rows[2].cellRight, (std::vector<int>{100, 200, 300}));
  EXPECT_EQ(rows[3].cellRight, (std::vector<int>{100, 200, 300}));
  EXPECT_EQ(rows[4].cellRight, (std::vector<int>{50}));
  // A copy that adds an edge leaves the rows it shared the edges with alone.
  TRtfTableRow copy = rows[1];
  copy.cellRight.push_back(999);
  EXPECT_EQ(copy.cellRight, (std::vector<int>{100, 200, 999}));
  EXPECT_EQ(rows[1].cellRight, (std::vector<int>{100, 200}));
  EXPECT_EQ(rows[3].cellRight, (std::vector<int>{100, 200, 300}));
}

class RtfReport : public ReportWriter {
 protected:
  TReportContext Rtf() {
    TReportContext c = Context();
    c.measureText = [](const std::string& text, const TRepFont&) {
      return 7 * static_cast<int>(Chars(text));
    };
    return c;
  }
};

TEST_F(RtfReport, DocumentHeaderFontTableAndStyles) {
  Simulate();
  // One section with a font of its own among the seven styles.
  const int i = sections_.AddSection(4);
  sections_.Entries[static_cast<size_t>(i)].font = TRepFont{"Courier New", 10, true};
  std::string last;
  TReportContext ctx = Rtf();
  ctx.lastReportStream = &last;
  MemoryTarget t;
  GenerateReport(1, 0, t, ctx);
  EXPECT_EQ(t.rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\uc1 \\deff0\\deflang1033\\deflangfe1033", 0),
            0u);
  EXPECT_EQ(last, t.rtf);
  EXPECT_TRUE(t.modified);
  std::vector<int> numbers;
  for (const auto& e : sections_.Entries)
    if (e.font) numbers.push_back(e.fontNumber);
  EXPECT_EQ(numbers, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_NE(t.rtf.find("{\\f7\\fcharset0\\fprq0 Courier New;}"), std::string::npos);
  EXPECT_NE(t.rtf.find("{\\f0\\fcharset0\\fprq0 Times New Roman;}"), std::string::npos);
  EXPECT_NE(t.rtf.find(" Heading 2;}"), std::string::npos);
  // The section's rows carry its font; the document reads back with its fonts.
  EXPECT_NE(t.rtf.find("\\intbl \\b\\i0\\ul0\\f7\\fs20 "), std::string::npos);
  const TRtfDocument doc = ReadRtf(t.rtf);
  EXPECT_EQ(doc.fonts.at(7), "Courier New");
  EXPECT_EQ(t.rtf.substr(t.rtf.size() - 2), " }");
}

TEST_F(RtfReport, RulesAndPartHeadersLeaveNoTrace) {
  Simulate();
  MemoryTarget t;
  TRTFReporter w(t, Rtf());
  w.WriteLine("x", 0);
  const std::string before = w.Stream();
  w.WriteRule();
  w.WritePartHeader();
  w.WriteBlank(1);
  EXPECT_EQ(w.Stream(), before);
  w.WriteBlank(2);
  EXPECT_EQ(w.Stream(), before + "\r\n \\par ");
}

TEST_F(RtfReport, SummaryTableMatchesThePlainText) {
  Simulate(3);
  MemoryTarget plain, rich;
  GenerateReport(0, 0, plain, Context());
  GenerateReport(1, 0, rich, Rtf());
  // The plain text's summary table: header row and the three outputs.
  int header = -1;
  for (size_t i = 0; i < plain.lines.size(); ++i)
    if (plain.lines[i].find("\u2502 Nr. \u2502Variable") == 0 &&
        PlainCells(plain.lines[i]).size() == 9 && header < 0)
      header = static_cast<int>(i);
  ASSERT_GT(header, 0);
  std::vector<std::vector<std::string>> expected{PlainCells(plain.lines[header])};
  for (int r = header + 2; PlainCells(plain.lines[r]).size() == 9; ++r)
    expected.push_back(PlainCells(plain.lines[r]));
  ASSERT_EQ(expected.size(), 4u);

  // Too wide for the page, the RTF table comes in column blocks, each
  // beginning with the number and name columns.
  const TRtfDocument doc = ReadRtf(rich.rtf);
  std::vector<std::vector<std::string>> joined;
  int blocks = 0;
  for (const TRtfBlock& b : doc.blocks) {
    if (!b.isTable || b.rows.empty() || b.rows[0].CellText(1) != "Variable") continue;
    if (b.rows.size() != 4u || (blocks > 0 && joined[0].size() >= 9)) break;
    ++blocks;
    joined.resize(4);
    for (size_t r = 0; r < 4; ++r) {
      const TRtfTableRow& row = b.rows[r];
      ASSERT_EQ(row.cellRight.size(), row.cells.size());
      EXPECT_LE(row.cellRight.back(), 8640) << "past the text width";
      for (size_t c = joined[r].empty() ? 0 : 2; c < row.cells.size(); ++c)
        joined[r].push_back(row.CellText(c));
    }
  }
  EXPECT_GE(blocks, 2);
  EXPECT_EQ(joined, expected);
  // Headings keep their numbers; rules and page headers are not in the text.
  const std::string text = doc.PlainText();
  EXPECT_NE(text.find("  1. Summary Report"), std::string::npos);
  EXPECT_NE(text.find("\nCONTENTS \n"), std::string::npos);
  EXPECT_EQ(text.find("-- Page"), std::string::npos);
  EXPECT_EQ(text.find("\u2500\u2500\u2500"), std::string::npos);
}

TEST_F(RtfReport, TablesStayWithinTheTextWidthWithoutFontMetrics) {
  Simulate(6);
  MemoryTarget t;
  GenerateReport(1, 0, t, Context());  // no font metrics: the estimate
  int tables = 0;
  for (const TRtfBlock& b : ReadRtf(t.rtf).blocks) {
    if (!b.isTable) continue;
    ++tables;
    for (const TRtfTableRow& row : b.rows) {
      ASSERT_FALSE(row.cellRight.empty());
      EXPECT_LE(row.cellRight.back(), 8640);
    }
  }
  EXPECT_GT(tables, 3);
}

TEST(EstimatedTextWidth, MonospaceSerifAndBold) {
  const TRepFont mono{"DejaVu Sans Mono", 10}, serif{"Times New Roman", 12},
      bold{"Times New Roman", 12, true};
  EXPECT_DOUBLE_EQ(EstimatedTextWidth("0.123E+000", mono), 60.0);
  EXPECT_DOUBLE_EQ(EstimatedTextWidth("\u2502\u2500", mono), 12.0);  // one advance each
  // A serif face sets digits 0.5 em wide: the estimate is never narrower.
  EXPECT_GE(EstimatedTextWidth("0123456789", serif), 60.0);
  EXPECT_LT(EstimatedTextWidth("iiii", serif), EstimatedTextWidth("MMMM", serif));
  EXPECT_GT(EstimatedTextWidth("Mean", bold), EstimatedTextWidth("Mean", serif));
}

TEST_F(RtfReport, ModelTextsWithBracesAndBackslashesSurvive) {
  Simulate();
  // Texts as the store may hold them (set after the run, keeping its results).
  auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(1, ObjRandomVariable));
  SetShort(rv->description, "a{b}\\c");
  auto* f = static_cast<TUdf*>(Get_TSMObject(1, ObjFormula));
  SetShort(f->text, "a+b\\2}");
  SetShort(f->description, "{note}");
  MemoryTarget t;
  GenerateReport(1, 0, t, Rtf());
  const std::string text = ReadRtf(t.rtf).PlainText();
  EXPECT_NE(text.find("Description: a{b}\\c"), std::string::npos);
  EXPECT_NE(text.find("f1:  a+b\\2}"), std::string::npos);
  EXPECT_NE(text.find("Description: {note}"), std::string::npos);
  // The document stays whole: the last text is still read after them.
  EXPECT_NE(text.find("END"), std::string::npos);
}

TEST_F(RtfReport, PreviewMarkerIsRemovedAfterLoading) {
  Simulate();
  MemoryTarget scratch;
  TRTFReporter w(scratch, Rtf());
  w.PreviewedSection = 16;
  w.WriteRTFDocument();
  EXPECT_NE(w.Stream().find(kPreviewMarker), std::string::npos);

  MemoryTarget t;
  GenerateReport(1, 16, t, Rtf());
  EXPECT_EQ(t.rtf.find(kPreviewMarker), std::string::npos);
  const TRtfDocument doc = ReadRtf(t.rtf);
  const std::string text = doc.PlainText();
  EXPECT_EQ(text.find("CONTENTS"), std::string::npos);
  EXPECT_NE(text.find("Sampling Results And Data"), std::string::npos);
  EXPECT_EQ(text.find("Summary Report"), std::string::npos);
  // Scrolled so that the section's table stands two lines below the top.
  EXPECT_GT(t.caret, 0);
  EXPECT_GT(t.scrolledTo, 0);
  // A preview of the table shows at most two data rows.
  for (const TRtfBlock& b : doc.blocks) {
    if (b.isTable) {
      EXPECT_LE(b.rows.size(), 3u);
    }
  }
}

}  // namespace
}  // namespace tesmira::wb
