#include "dependence_values.h"

#include "dependence_fill.h"
#include "dependence_fixture.h"
#include "undo_items.h"

namespace tesmira::wb {
namespace {

using test::DependenceTest;

TEST(DepRankText, MissingTextsAreNotNumbersAndNotMarked) {
  for (const char* text : {"", "N/A", "-", ".", "+", ",", "  "}) {
    TRankCheck c = CheckDeprank(text, true);
    EXPECT_FALSE(c.IsNumber) << text;
    EXPECT_FALSE(c.Invalid) << text;
  }
  TRankCheck c = CheckDeprank(" 0.25 ", true);
  EXPECT_TRUE(c.IsNumber);
  EXPECT_DOUBLE_EQ(c.Value, 0.25);
  EXPECT_TRUE(CheckDeprank("0.2x", true).Invalid);
  EXPECT_FALSE(CheckDeprank("0.2x", false).Invalid);  // the edit is hidden
}

TEST(DepSlider, PositionsAndValues) {
  EXPECT_EQ(SliderPosition(0.35), 7);  // the nearest step, not the floor
  EXPECT_EQ(SliderPosition(-0.34), -7);
  EXPECT_EQ(SliderPosition(0.349), 7);
  EXPECT_EQ(SliderPosition(5), 20);
  EXPECT_DOUBLE_EQ(SliderValue(10), 0.5);
  EXPECT_DOUBLE_EQ(SliderValue(-20), -1.0);
}

TEST(DepNames, ReservedNames) {
  for (const char* n : {"ROOT", "root", "VINE~x", "vine~", "COMP_NODE12", "comp_node3"})
    EXPECT_TRUE(IsReservedStructureName(n)) << n;
  for (const char* n : {"r", "ROOTS", "COMP_NODE", "COMP_NODEx", "myvine~"})
    EXPECT_FALSE(IsReservedStructureName(n)) << n;
}

class DepValues : public DependenceTest {
 protected:
  // r(a, b, c) with correlations 0.3, 0.3, 0.5.
  void SetUp() override {
    DependenceTest::SetUp();
    Variables({"r", "a", "b", "c"});
    AddRoot("r");
    for (const char* n : {"a", "b", "c"}) AddUnder("r", n);
    Set_node_correlation_with_parent(Node("a"), 0.3f);
    Set_node_correlation_with_parent(Node("b"), 0.3f);
    Set_node_correlation_with_parent(Node("c"), 0.5f);
    SetCurrentDependenceStructureRoot(Node("r"), nullptr);
  }
  float Corr(const char* n) {
    return static_cast<float>(Get_node_correlation_with_parent(Node(n)));
  }
};

TEST_F(DepValues, SelectionDescriptions) {
  TSelectionDescription none = DescribeTreeSelection(tree, false);
  EXPECT_EQ(none.Name, "");
  EXPECT_EQ(none.Correlation, "N/A");
  EXPECT_FALSE(none.LabelsEnabled);

  tree.SetCurrent(Item("r"));
  TSelectionDescription root = DescribeTreeSelection(tree, false);
  EXPECT_EQ(root.Name, "r");
  EXPECT_EQ(root.Correlation, "N/A");
  EXPECT_TRUE(root.CorrelationReadOnly);

  tree.SetCurrent(Item("a"));
  for (const char* n : {"b", "c"}) tree.SetMarked(Item(n), true);
  TSelectionDescription differ = DescribeTreeSelection(tree, false);
  EXPECT_EQ(differ.Name, "a; b; c; ");
  EXPECT_EQ(differ.Correlation, "");
  EXPECT_FALSE(differ.CorrelationReadOnly);

  Set_node_correlation_with_parent(Node("c"), 0.3f);
  EXPECT_EQ(DescribeTreeSelection(tree, false).Correlation, FormatNumber(Corr("a")));
  EXPECT_EQ(FormatNumber(Corr("a")).find("0.3"), 0u);
}

TEST_F(DepValues, RefusedValueChangesNothing) {
  tree.SetCurrent(Item("a"));
  TApplyOutcome o = ApplyTreeCorrelation(dwb, tree, "1.5", false);
  EXPECT_FALSE(o.Applied);
  EXPECT_TRUE(o.Check.Invalid);
  EXPECT_EQ(o.Check.Hint, "Invalid value! Must be within [-1.0, 1.0] interval");
  EXPECT_FLOAT_EQ(Corr("a"), 0.3f);
  EXPECT_FALSE(dwb.Undo.CanUndo());
  EXPECT_FALSE(dwb.Modified);
  for (const char* text : {"-", "."}) {
    o = ApplyTreeCorrelation(dwb, tree, text, false);
    EXPECT_FALSE(o.Applied || o.Check.Invalid) << text;
  }
}

TEST_F(DepValues, RepeatedEntriesForOneNodeMergeIntoOneUndoStep) {
  tree.SetCurrent(Item("a"));
  ASSERT_TRUE(ApplyTreeCorrelation(dwb, tree, "0.5", false).Applied);
  ASSERT_TRUE(ApplyTreeCorrelation(dwb, tree, "0.6", false).Applied);
  EXPECT_FLOAT_EQ(Corr("a"), 0.6f);
  EXPECT_EQ(tree.ItemText(Item("a")), "(0.60) a");
  EXPECT_TRUE(dwb.Modified);
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_FLOAT_EQ(Corr("a"), 0.3f);
  EXPECT_FALSE(dwb.Undo.CanUndo());

  // Another node starts its own step.
  ASSERT_TRUE(ApplyTreeCorrelation(dwb, tree, "0.1", false).Applied);
  tree.SetCurrent(Item("b"));
  ASSERT_TRUE(ApplyTreeCorrelation(dwb, tree, "0.2", false).Applied);
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_FLOAT_EQ(Corr("b"), 0.3f);
  EXPECT_FLOAT_EQ(Corr("a"), 0.1f);
}

TEST_F(DepValues, MarkedItemsGetOneUndoItemEach) {
  tree.SetCurrent(Item("a"));
  for (const char* n : {"b", "c"}) tree.SetMarked(Item(n), true);
  ASSERT_TRUE(ApplyTreeCorrelation(dwb, tree, "-0.25", false).Applied);
  for (const char* n : {"a", "b", "c"}) EXPECT_FLOAT_EQ(Corr(n), -0.25f) << n;
  ASSERT_NE(dwb.Undo.LastUndoGroup(), nullptr);
  EXPECT_EQ(dwb.Undo.LastUndoGroup()->Count(), 3u);
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_FLOAT_EQ(Corr("c"), 0.5f);
}

TEST_F(DepValues, CopulaIsStoredInEveryNodeAndShownBack) {
  const int clayton = 5;
  EXPECT_EQ(CopulaTitle(clayton), "Clayton - Lower Negative Clayton");
  StoreBivariateType(dwb, clayton);
  for (const char* n : {"r", "a", "b", "c"}) EXPECT_EQ(GetBivariateType(Node(n)), clayton) << n;
  EXPECT_EQ(ShownBivariateType(), clayton);
  EXPECT_TRUE(dwb.Modified);
  EXPECT_FALSE(dwb.Undo.CanUndo());
  // The box offers Minimum Information (2) in tree mode only.
  EXPECT_EQ(CopulaCodes(true).size(), 13u);
  EXPECT_EQ(CopulaCodes(false), (std::vector<int>{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(DepValues, StructureNamesAndRenames) {
  Variables({"s", "t"});
  AddRoot("s");
  AddUnder("s", "t");
  SetCurrentDependenceStructureRoot(Node("s"), "Second");
  SetCurrentDependenceStructureRoot(Node("r"), "First");
  std::vector<std::string> names = StructureNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "First");
  EXPECT_EQ(names[1], "Second");
  EXPECT_NE(CheckStructureRename("second"), "");  // another structure's name
  EXPECT_NE(CheckStructureRename("Root"), "");
  EXPECT_EQ(CheckStructureRename("first"), "");  // its own name in another case
  EXPECT_EQ(CheckStructureRename("r"), "");
}

class DepMatrix : public DependenceTest {
 protected:
  // A correlation matrix of a, b, c, the whole model.
  void SetUp() override {
    DependenceTest::SetUp();
    Variables({"a", "b", "c"});
    SetDependenceType(nullptr, DepCorrelationMatrix);
    AddAllNodesToStructure();
    members = MatrixMembers();
  }
  std::vector<void*> members;
};

TEST_F(DepMatrix, CellTextsAndColours) {
  EXPECT_EQ(MatrixCellText(CorrNotSet), "");
  EXPECT_EQ(MatrixCellText(CorrUnavailable), "BAD");
  EXPECT_EQ(MatrixCellText(0.25), "0.25");
  EXPECT_EQ(MatrixEditText(CorrUnavailable), "");
  struct Case {
    int row, column;
    double value;
    TCellColour colour;
  } cases[] = {{1, 2, 0.5, TCellColour::Normal}, {1, 2, 1.0, TCellColour::Red},
               {2, 1, 0.5, TCellColour::Grey},   {2, 1, -1.0, TCellColour::DarkRed},
               {2, 2, 1.0, TCellColour::Grey},   {1, 2, CorrNotSet, TCellColour::Normal}};
  for (const Case& c : cases)
    EXPECT_EQ(MatrixCellColour(c.row, c.column, c.value), c.colour) << c.row << c.column;
  EXPECT_TRUE(MatrixCellEditable(1, 2, 3));
  EXPECT_FALSE(MatrixCellEditable(2, 2, 3));
  EXPECT_FALSE(MatrixCellEditable(3, 1, 3));
  EXPECT_FALSE(MatrixCellEditable(1, 4, 3));
}

TEST_F(DepMatrix, EditsStoreMergeAndRefuse) {
  ASSERT_EQ(members.size(), 3u);
  void* a = members[0];
  void* b = members[1];
  const double before = CMatrix_GetCell(a, b);
  EXPECT_TRUE(SetMatrixCellText(dwb, members, 1, 2, "0.4").Stored);
  EXPECT_FLOAT_EQ(static_cast<float>(CMatrix_GetCell(a, b)), 0.4f);
  EXPECT_FLOAT_EQ(static_cast<float>(CMatrix_GetCell(b, a)), 0.4f);
  EXPECT_TRUE(SetMatrixCellText(dwb, members, 1, 2, "0.45").Stored);
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_FLOAT_EQ(static_cast<float>(CMatrix_GetCell(a, b)), static_cast<float>(before));
  EXPECT_FALSE(dwb.Undo.CanUndo());

  // A refused value keeps the old one.
  SetMatrixCellText(dwb, members, 1, 2, "0.4");
  TCellEditOutcome refused = SetMatrixCellText(dwb, members, 1, 2, "1");
  EXPECT_TRUE(refused.Refused);
  EXPECT_EQ(refused.Hint, "Invalid value! Must be bigger than -1.0 and smaller than 1.0");
  EXPECT_FLOAT_EQ(static_cast<float>(CMatrix_GetCell(a, b)), 0.4f);
  // Lone signs change nothing, an empty text clears the cell.
  EXPECT_FALSE(SetMatrixCellText(dwb, members, 1, 2, "-").Stored);
  EXPECT_TRUE(SetMatrixCellText(dwb, members, 1, 2, "").Stored);
  EXPECT_EQ(MatrixCellText(CMatrix_GetCell(a, b)), "");
  // The diagonal and below are not editable.
  EXPECT_FALSE(SetMatrixCellText(dwb, members, 2, 1, "0.1").Stored);
  EXPECT_FALSE(SetMatrixCellText(dwb, members, 2, 2, "0.1").Stored);
  EXPECT_EQ(MatrixAddressText(a, b, ""), "(a, b):");
}

TEST_F(DepMatrix, VerifyAndInitialize) {
  // Nothing set: Initialize asks nothing; Verify points at the first cell.
  EXPECT_FALSE(InitializeMatrix(dwb, members));
  EXPECT_TRUE(f.prompt.shown.empty());
  TGridRect cell;
  EXPECT_EQ(VerifyMatrix(dwb, members, &cell), 0);
  EXPECT_EQ(f.prompt.shown.back().text, "Some matrix cells are still not filled or invalid.");
  EXPECT_EQ(cell.Top, 1);
  EXPECT_EQ(cell.Left, 2);

  for (auto [r, c] : {std::pair{1, 2}, {1, 3}, {2, 3}})
    SetMatrixCellText(dwb, members, r, c, "0.2");
  EXPECT_EQ(VerifyMatrix(dwb, members, &cell), 1);
  EXPECT_EQ(f.prompt.shown.back().text, "OK, the matrix is positive definite.");

  SetMatrixCellText(dwb, members, 1, 2, "0.9");
  SetMatrixCellText(dwb, members, 1, 3, "0.9");
  SetMatrixCellText(dwb, members, 2, 3, "-0.9");
  f.prompt.answers = {TAnswer::No};
  EXPECT_EQ(VerifyMatrix(dwb, members, &cell), 2);
  const std::string asked = f.prompt.shown.back().text;
  const std::string tail = " Would you like to initialise it?";
  EXPECT_EQ(asked.substr(asked.size() - tail.size()), tail);
  EXPECT_FLOAT_EQ(static_cast<float>(CMatrix_GetCell(members[0], members[1])), 0.9f);

  f.prompt.answers = {TAnswer::Yes};
  EXPECT_TRUE(InitializeMatrix(dwb, members));
  EXPECT_EQ(f.prompt.shown.back().text, "Are you sure you want to reset all data in the matrix?");
}

}  // namespace
}  // namespace tesmira::wb
