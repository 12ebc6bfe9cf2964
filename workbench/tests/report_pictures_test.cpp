#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "report_fixture.h"
#include "rtf_reader.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

namespace tesmira::wb {
namespace {

class ReportPictures : public ReportWriter {
 protected:
  std::vector<std::string> Report() {
    MemoryTarget t;
    GenerateReport(0, 0, t, Context());
    return t.lines;
  }
  static int Find(const std::vector<std::string>& lines, const std::string& text) {
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == text) return static_cast<int>(i);
    return -1;
  }
  void Run() {
    TRunRequest r = DefaultRunRequest;
    r.runs = 2;
    r.seed = 5;
    r.correlationKind = 2;
    ASSERT_EQ(Run_simul(&r), RunCompleted);
  }
  void BuildTree() {
    for (const char* v : {"R", "A", "B"}) {
      AddVariable(v);
      AddNode(v);
    }
    ASSERT_TRUE(example::Link("R", "A", 0.3, CopulaNormal));
    ASSERT_TRUE(example::Link("R", "B", 0.5, CopulaNormal));
    AddFormula("f", "R+A+B");
    Run();
  }
  std::string RtfReport() {
    MemoryTarget t;
    GenerateReport(1, 0, t, Context());
    return t.rtf;
  }
};

const char* const kTreeLines[] = {"   \u2502", "   \u251c\u2500(0.30) A",
                                  "   \u2514\u2500(0.50) B"};

TEST_F(ReportPictures, TreeWithTwoChildren) {
  BuildTree();
  const auto lines = Report();
  const int root = Find(lines, " R");
  ASSERT_GT(root, 0);
  EXPECT_EQ(lines[root + 1], "   \u2502");
  EXPECT_EQ(lines[root + 2], "   \u251c\u2500(0.30) A");
  EXPECT_EQ(lines[root + 3], "   \u2514\u2500(0.50) B");
  EXPECT_EQ(lines[root - 3], "Dependence structure type: Dependence Tree");
}

TEST_F(ReportPictures, MatrixWithLegendAndGrid) {
  for (const char* v : {"x", "y", "z"}) {
    AddVariable(v);
    AddNode(v);
  }
  SetDependenceType(nullptr, 1);
  SetCurrentDependenceStructureRoot(Node("x"), "");
  AddAllNodesToStructure();
  ASSERT_TRUE(CMatrix_Initialize());
  ASSERT_TRUE(CMatrix_SetCell(Node("x"), Node("y"), 0.5));
  ASSERT_TRUE(CMatrix_SetCell(Node("x"), Node("z"), 0.25));
  ASSERT_TRUE(CMatrix_SetCell(Node("y"), Node("z"), 0.125));
  AddFormula("f", "x+y");
  Run();
  const auto lines = Report();
  const int legend = Find(lines, "Legend: ");
  ASSERT_GT(legend, 0);
  EXPECT_EQ(lines[legend + 2], " I1 : x, I2 : y, I3 : z");
  // Cells of four characters: the labels left-aligned, values to the right.
  EXPECT_EQ(lines[legend + 5], "\u2502Nr. \u2502I1  \u2502I2  \u2502I3  \u2502");
  EXPECT_EQ(lines[legend + 7], "\u2502I1  \u25021.00\u25020.50\u25020.25\u2502");
  EXPECT_EQ(lines[legend + 9], "\u2502I3  \u25020.25\u25020.13\u25021.00\u2502");
  EXPECT_EQ(lines[legend + 4].rfind("\u250c\u2500\u2500\u2500\u2500\u252c", 0), 0u);
}

TEST_F(ReportPictures, CompositeNodeJoinsAVineToATree) {
  // a - b is a tree; a - (composite) - v1 joins the canonical vine v1 {v2, v3}.
  for (const char* x : {"v1", "v2", "v3", "a", "b"}) AddVariable(x);
  ASSERT_TRUE(example::Link("v1", "v2", 0.0, CopulaFrank));
  ASSERT_TRUE(example::Link("v1", "v3", 0.0, CopulaFrank));
  SetCurrentDependenceStructureRoot(Node("v1"), "");
  ASSERT_EQ(SetDependenceType(nullptr, DepCanonicalVine), 1);
  ASSERT_TRUE(Vine_SetCorrValue(Node("v2"), 1, 0.6));
  ASSERT_TRUE(Vine_SetCorrValue(Node("v3"), 1, -0.5));
  SetCurrentDependenceStructureRoot(nullptr, "");
  ASSERT_TRUE(example::Link("a", "b", 0.5, CopulaFrank));
  void* target = Node("a");
  int32_t position = 0;
  ASSERT_TRUE(Process_dep_node(Node("v1"), &target, &position, DepNodeAttach));
  void* composite = Fetch_dep_node(6, nullptr);
  ASSERT_TRUE(IsCompositeNode(composite));
  ASSERT_TRUE(Set_node_correlation_with_parent(composite, 0.7f));
  ASSERT_EQ(SetBivariateType(composite, CopulaFrank), 1);
  SyncNodes();
  AddFormula("f", "a+v1");
  Run();
  const auto lines = Report();
  // The vine's own picture, then the tree that holds it by its name.
  const int vine = Find(lines, "v1|");
  ASSERT_GT(vine, 0);
  EXPECT_EQ(lines[vine + 1], "\u251c\u2500(0.60) v2 ");
  EXPECT_EQ(lines[vine + 2], "\u2514\u2500(-0.50) v3");
  const int root = Find(lines, " a");
  ASSERT_GT(root, vine);
  EXPECT_EQ(lines[root + 2], "   \u251c\u2500(0.50) b");
  EXPECT_EQ(lines[root + 3], "   \u2514\u2500(0.70) v1|v2|v3");
  EXPECT_EQ(lines[root + 4], "     \u2514\u2500(0.00) v1");
  // The composite node is sampled (input 6) but has no row in the matrix.
  const std::string wall = "\u2502";
  int matrixRows = 0;
  for (const auto& l : lines) {
    if (l.rfind(wall + " I", 0) != 0 || l.find(" \u2502 1.00 \u2502") == std::string::npos)
      continue;
    ++matrixRows;
    EXPECT_EQ(l.find(wall + " I6 "), std::string::npos) << l;
  }
  EXPECT_EQ(matrixRows, 5);
}

TEST_F(ReportPictures, DVineInLevels) {
  for (const char* x : {"x1", "x2", "x3"}) AddVariable(x);
  ASSERT_TRUE(example::Link("x1", "x2", 0.0, CopulaNormal));
  ASSERT_TRUE(example::Link("x2", "x3", 0.0, CopulaNormal));
  SetCurrentDependenceStructureRoot(Node("x1"), "");
  ASSERT_EQ(SetDependenceType(nullptr, DepDVine), 1);
  ASSERT_TRUE(Vine_SetCorrValue(Node("x1"), 1, 0.6));
  ASSERT_TRUE(Vine_SetCorrValue(Node("x2"), 1, 0.45));
  ASSERT_TRUE(Vine_SetCorrValue(Node("x1"), 2, 0.3));
  SetCurrentDependenceStructureRoot(nullptr, "");
  SyncNodes();
  AddFormula("f", "x1+x3");
  Run();
  const auto lines = Report();
  // Names in cells of the widest value + 4, then one line per level.
  const int names = Find(lines, "x1      x2      x3      ");
  ASSERT_GT(names, 0);
  EXPECT_EQ(lines[names + 1], " \u2514\u25000.60\u2500\u2518\u2514\u25000.45\u2500\u2518");
  EXPECT_EQ(lines[names + 2], "     \u2514\u25000.30\u2500\u2518");
}

// Word processors show the pictures of an RTF document as the plain-text
// report does: the picture lines are set in a monospace font with the box
// characters, declared in the ordinary character set (not the symbol set).
TEST_F(ReportPictures, RtfPicturesUseAMonospaceFontOfTheOrdinaryCharacterSet) {
  BuildTree();
  const TRtfDocument doc = ReadRtf(RtfReport());
  int found = 0;
  for (const TRtfBlock& b : doc.blocks) {
    if (b.isTable) continue;
    std::string text = b.paragraph.Text();
    text.erase(text.find_last_not_of(' ') + 1);  // the blank before each "\par"
    for (const char* line : kTreeLines) {
      if (text != line) continue;
      ++found;
      for (const TRtfRun& r : b.paragraph.runs) {
        ASSERT_EQ(doc.fonts.count(r.font), 1u) << text;
        EXPECT_EQ(doc.fonts.at(r.font), "DejaVu Sans Mono") << text;
        EXPECT_EQ(doc.charsets.at(r.font), 0) << text;
      }
    }
  }
  EXPECT_EQ(found, 3);
}

// Where a word processor is installed, its text conversion of the RTF report
// holds the tree's lines.
TEST_F(ReportPictures, AWordProcessorReadsTheTreeOfAnRtfReport) {
  namespace fs = std::filesystem;
  const char* path = std::getenv("PATH");
  std::string program;
  for (std::stringstream dirs(path ? path : ""); program.empty();) {
    std::string dir;
    if (!std::getline(dirs, dir, ':')) break;
    for (const char* name : {"soffice", "libreoffice"})
      if (program.empty() && fs::exists(fs::path(dir) / name)) program = (fs::path(dir) / name);
  }
  if (program.empty()) GTEST_SKIP() << "no word processor on the PATH";
  BuildTree();
  const std::string rtf = Path("tree.rtf");
  std::ofstream(rtf, std::ios::binary) << RtfReport();
  const std::string command = "'" + program + "' -env:UserInstallation=file://" + Path("profile") +
                              " --headless --convert-to txt:Text --outdir '" + Path("") + "' '" +
                              rtf + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(Path("tree.txt"), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  for (const char* line : kTreeLines) EXPECT_NE(text.str().find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace tesmira::wb
