#include "vine_values.h"

#include "dependence_fixture.h"
#include "undo_items.h"

namespace tesmira::wb {
namespace {

// A canonical vine a, b, c, d (a star under a) with every value set.
class VineValues : public test::DependenceTest {
 protected:
  void SetUp() override {
    DependenceTest::SetUp();
    Variables({"a", "b", "c", "d"});
    SetDependenceType(nullptr, DepCanonicalVine);
    SetCurrentDependenceStructureRoot(Node("a"), "");
    AddAllNodesToStructure();
    for (const char* n : {"b", "c", "d"}) ASSERT_TRUE(Vine_SetCorrValue(Node(n), 1, 0.1));
    ASSERT_TRUE(Vine_SetCorrValue(Node("c"), 2, 0.2));
    ASSERT_TRUE(Vine_SetCorrValue(Node("d"), 2, 0.3));
    ASSERT_TRUE(Vine_SetCorrValue(Node("d"), 3, 0.4));
    ASSERT_EQ(Vine_IsTranscended(), 3);
  }
  static double V(const char* n, int level) { return Vine_GetCorrValue(Node(n), level); }
  static TVineTarget T(const char* n, int level) { return {Node(n), level}; }
};

TEST_F(VineValues, OneEntryForThreeCellsIsOneUndoStep) {
  Set_node_correlation_with_parent(Node("b"), 0.15f);  // the arc differs from the vine slot
  TApplyOutcome o = ApplyVineCorrelation(dwb, {T("b", 1), T("c", 2), T("d", 3), T("c", 2)}, "0.4");
  ASSERT_TRUE(o.Applied);
  for (auto [n, level] : {std::pair{"b", 1}, {"c", 2}, {"d", 3}})
    EXPECT_NEAR(V(n, level), 0.4, 1e-6) << n;
  EXPECT_NEAR(Get_node_correlation_with_parent(Node("b")), 0.4, 1e-6);
  EXPECT_TRUE(dwb.Modified);
  // Three vine values and the first tree's arc; the duplicate is applied once.
  ASSERT_NE(dwb.Undo.LastUndoGroup(), nullptr);
  EXPECT_EQ(dwb.Undo.LastUndoGroup()->Count(), 4u);
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_NEAR(V("b", 1), 0.1, 1e-6);
  EXPECT_NEAR(V("c", 2), 0.2, 1e-6);
  EXPECT_NEAR(V("d", 3), 0.4, 1e-6);
  EXPECT_NEAR(Get_node_correlation_with_parent(Node("b")), 0.15, 1e-6);
  EXPECT_FALSE(dwb.Undo.CanUndo());
}

TEST_F(VineValues, ASingleCellEditedAgainKeepsItsFirstOldValue) {
  ASSERT_TRUE(ApplyVineCorrelation(dwb, {T("d", 2)}, "0.5").Applied);
  ASSERT_TRUE(ApplyVineCorrelation(dwb, {T("d", 2)}, "0.6").Applied);
  // The same node in another tree is a change of its own.
  ASSERT_TRUE(ApplyVineCorrelation(dwb, {T("d", 3)}, "0.7").Applied);
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_NEAR(V("d", 3), 0.4, 1e-6);
  EXPECT_NEAR(V("d", 2), 0.6, 1e-6);
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_NEAR(V("d", 2), 0.3, 1e-6);
  EXPECT_FALSE(dwb.Undo.CanUndo());
}

TEST_F(VineValues, RefusedOrEmptyEntriesChangeNothing) {
  struct Case {
    const char* text;
    bool invalid;
  };
  // A vine takes values strictly inside (-1, 1): the slider's ends are refused.
  for (Case c : {Case{"1", true}, Case{"-1.0", true}, Case{"x", true}, Case{"-", false},
                 Case{"N/A", false}}) {
    TApplyOutcome o = ApplyVineCorrelation(dwb, {T("c", 2), T("d", 3)}, c.text);
    EXPECT_FALSE(o.Applied) << c.text;
    EXPECT_EQ(o.Check.Invalid, c.invalid) << c.text;
  }
  // A name cell (level 0) takes no value.
  EXPECT_FALSE(ApplyVineCorrelation(dwb, {T("a", 0)}, "0.5").Applied);
  EXPECT_NEAR(V("c", 2), 0.2, 1e-6);
  EXPECT_NEAR(V("d", 3), 0.4, 1e-6);
  EXPECT_FALSE(dwb.Undo.CanUndo());
  EXPECT_FALSE(dwb.Modified);
}

TEST_F(VineValues, DescribingACell) {
  struct Case {
    bool cell, name;
    double value;
    std::string correlation;
    bool readOnly;
  };
  const Case cases[] = {
      {false, false, 0, "N/A", false},         {true, true, 0.5, "N/A", true},
      {true, false, CorrNotSet, "0.0", false}, {true, false, CorrUnavailable, "0.0", false},
      {true, false, 0, "0.0", false},          {true, false, 0.25, FormatNumber(0.25), false},
  };
  for (const Case& c : cases) {
    TSelectionDescription d = DescribeVineCell(c.cell, "b|c", c.name, c.value);
    EXPECT_EQ(d.Correlation, c.correlation) << c.value;
    EXPECT_EQ(d.CorrelationReadOnly, c.readOnly) << c.value;
    EXPECT_EQ(d.Name, c.cell ? "b|c" : "");
    EXPECT_TRUE(d.NameReadOnly);
    EXPECT_EQ(d.LabelsEnabled, c.cell);
  }
}

}  // namespace
}  // namespace tesmira::wb
