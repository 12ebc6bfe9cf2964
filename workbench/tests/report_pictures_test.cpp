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

}  // namespace
}  // namespace tesmira::wb
