#include <gtest/gtest.h>

#include "report_fixture.h"
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
};

TEST_F(ReportPictures, TreeWithTwoChildren) {
  for (const char* v : {"R", "A", "B"}) {
    AddVariable(v);
    AddNode(v);
  }
  ASSERT_TRUE(example::Link("R", "A", 0.3, CopulaNormal));
  ASSERT_TRUE(example::Link("R", "B", 0.5, CopulaNormal));
  AddFormula("f", "R+A+B");
  Run();
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

}  // namespace
}  // namespace tesmira::wb
