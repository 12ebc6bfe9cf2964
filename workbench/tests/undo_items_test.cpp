#include "undo_items.h"

#include "model_fixture.h"
#include "model_helpers.h"
#include "workbench.h"

namespace tesmira::wb {
namespace {

using test::ModelTest;
using UndoItems = ModelTest;

template <typename Item, typename... Args>
void Record(TWorkbench& wb, Args&&... args) {
  CurrentUndoGroup g(wb.Undo);
  g.AddItem(std::make_unique<Item>(std::forward<Args>(args)...));
  g.Push();
}

using Strings = std::vector<std::string>;

TEST_F(UndoItems, DeletedVariableReturnsToItsPlaceAndIsSelected) {
  for (const char* n : {"a", "b", "c"}) AddVariable(n);
  {
    TExtendedRandomVariable* b = Fetch_extended_random_variable(0, "b");
    CurrentUndoGroup g(wb.Undo);
    g.AddItem(std::make_unique<TUndoRanVar>(UndoDelete, ObjectPosition(b, 1), *b));
    Delete_TSMObject(b);
    g.Push();
  }
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Delete Random Variable");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(1), (Strings{"a", "b", "c"}));
  EXPECT_EQ(f.ui.selections.back(), std::make_pair(TObjectList::Variables, 1));
  EXPECT_EQ(f.ui.panels.back(), TPanel::Variables);
  EXPECT_EQ(f.ui.views.back(), ViewVariables);
  EXPECT_EQ(wb.Undo.ActionCaption(false), "Delete Random Variable");

  // Redo selects the variable that took its place...
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(Names(1), (Strings{"a", "c"}));
  EXPECT_EQ(f.ui.selections.back(), std::make_pair(TObjectList::Variables, 1));
  // ... or the last one when none did.
  ASSERT_TRUE(wb.Undo.Undo());
  {
    TExtendedRandomVariable* c = Fetch_extended_random_variable(0, "c");
    CurrentUndoGroup g(wb.Undo);
    g.AddItem(std::make_unique<TUndoRanVar>(UndoDelete, ObjectPosition(c, 1), *c));
    Delete_TSMObject(c);
    g.Push();
  }
  ASSERT_TRUE(wb.Undo.Undo());
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(Names(1), (Strings{"a", "b"}));
  EXPECT_EQ(f.ui.selections.back(), std::make_pair(TObjectList::Variables, 1));
}

TEST_F(UndoItems, ParameterEditSwapsBackAndForth) {
  AddVariable("a", 1.0);
  TExtendedRandomVariable before = *Fetch_extended_random_variable(0, "a");
  TExtendedRandomVariable edited = before;
  edited.distribution.u.params[0] = 5.0;
  SetShortString(edited.description, "new text");
  TExtendedRandomVariable* out = nullptr;
  ASSERT_GT(Update_extended_random_variable(&edited, &out, "", false), 0);
  Record<TUndoRanVar>(wb, UndoDistParams | UndoDescription, 1, before);
  auto mean = [] { return Fetch_extended_random_variable(0, "a")->distribution.u.params[0]; };
  auto description = [] {
    return std::string(ShortStringView(Fetch_extended_random_variable(0, "a")->description));
  };
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(wb.Undo.Undo());
    EXPECT_EQ(mean(), 1.0);
    EXPECT_EQ(description(), "");
    ASSERT_TRUE(wb.Undo.Redo());
    EXPECT_EQ(mean(), 5.0);
    EXPECT_EQ(description(), "new text");
  }
  EXPECT_EQ(f.ui.variableReloads, 4);
  // The variable is gone: the step fails.
  Delete_TSMObject(Fetch_extended_random_variable(0, "a"));
  EXPECT_FALSE(wb.Undo.Undo());
}

TEST_F(UndoItems, AddedVariableCaptionsAndApply) {
  TExtendedRandomVariable* v = AddVariable("n");
  Record<TUndoRanVar>(wb, UndoAdd, 1, *v);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Add Random Variable");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Get_TSMObjectsNumber(1), 0);
  EXPECT_EQ(wb.Undo.ActionCaption(false), "Add Random Variable");
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(Names(1), (Strings{"n"}));
  TExtendedRandomVariable rv = Normal("z");
  struct {
    uint8_t code;
    const char* undo;
  } captions[] = {{UndoDistType | UndoDistParams, "Distribution Type"},
                  {UndoCut | UndoDelete, "Cut Random Variable"},
                  {UndoPaste | UndoAdd, "Paste Random Variable"},
                  {UndoDescription, "Description"}};
  for (auto& c : captions) EXPECT_EQ(TUndoRanVar(c.code, 1, rv).Caption(true), c.undo);
}

TEST_F(UndoItems, FormulaEditAfterItsFormulaWasReplacedLeavesTheNewOne) {
  TUdf* g = AddFormula("g", "1+1");
  TUdf before = *g;
  TUdf edited = before;
  SetShortString(edited.text, "2+2");
  TUdf* out = nullptr;
  ASSERT_GT(Update_UDF(&edited, &out, ""), 0);
  Record<TUndoUDF>(wb, UndoFormulaText, 1, before);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Formula");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(FormulaText("g"), "1+1");
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(FormulaText("g"), "2+2");

  // Deleted and another formula created (which may take the freed record).
  Delete_TSMObject(Fetch_UDF(0, "g"));
  AddFormula("h", "7");
  EXPECT_FALSE(wb.Undo.Undo());
  EXPECT_EQ(FormulaText("h"), "7");
}

TEST_F(UndoItems, DeletedFormulaReturnsToItsPlace) {
  for (const char* n : {"f1", "f2", "f3"}) AddFormula(n, "1");
  {
    TUdf* f2 = Fetch_UDF(0, "f2");
    CurrentUndoGroup g(wb.Undo);
    g.AddItem(std::make_unique<TUndoUDF>(UndoDelete, ObjectPosition(f2, ObjFormula), *f2));
    Delete_TSMObject(f2);
    g.Push();
  }
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Delete UDF");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(ObjFormula), (Strings{"f1", "f2", "f3"}));
  EXPECT_EQ(f.ui.panels.back(), TPanel::Formulas);
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(Names(ObjFormula), (Strings{"f1", "f3"}));
}

TEST_F(UndoItems, FormulaRenameUndoRenamesTheReferencesBack) {
  AddFormula("speed", "3");
  AddFormula("use", "speed*2+sin(speed)");
  TUdf* u = Fetch_UDF(0, "speed");
  TUdf* out = nullptr;
  ASSERT_GT(Update_UDF(u, &out, "velocity"), 0);
  RenameReferences(UDF_exists("velocity"), "speed", "velocity");
  ASSERT_EQ(FormulaText("use"), "velocity*2+sin(velocity)");
  Record<TUndoObjectName>(wb, ObjFormula, "velocity", "speed");
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Rename");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(FormulaText("use"), "speed*2+sin(speed)");
  EXPECT_EQ(FormulaText("speed"), "3");
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(FormulaText("use"), "velocity*2+sin(velocity)");

  // Undoing into a name taken meanwhile fails and changes nothing.
  AddVariable("speed");
  EXPECT_FALSE(wb.Undo.Undo());
  EXPECT_EQ(FormulaText("velocity"), "3");
  EXPECT_EQ(FormulaText("use"), "velocity*2+sin(velocity)");
}

TEST_F(UndoItems, VariableAndNodeRenames) {
  AddVariable("a");
  SyncNodes();
  TExtendedRandomVariable* out = nullptr;
  ASSERT_GT(
      Update_extended_random_variable(Fetch_extended_random_variable(0, "a"), &out, "b", true), 0);
  Record<TUndoObjectName>(wb, ObjRandomVariable, "b", "a");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(1), (Strings{"a"}));
  EXPECT_NE(Node("a"), nullptr);
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(Names(1), (Strings{"b"}));

  AddNode("L1");
  void* nodeOut = nullptr;
  ASSERT_GT(Update_dep_node(Node("L1"), &nodeOut, "L2"), 0);
  Record<TUndoObjectName>(wb, ObjDependenceNode, "L2", "L1");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_NE(Node("L1"), nullptr);
  EXPECT_EQ(f.ui.panels.back(), TPanel::Dependence);
}

TEST_F(UndoItems, LatentNodeAddUndoneAndRedoneUnderItsParent) {
  for (const char* n : {"a", "b"}) AddVariable(n);
  SyncNodes();
  test::FakeTree& tree = f.ui.tree;
  tree.AddTopLevelItem("a", Node("a"));
  void* latent = AddNode("LATENT1");
  AddNode("LATENT2");  // a later node keeps the latent node's place taken
  ASSERT_TRUE(Attach("LATENT1", "a"));
  tree.MoveUnder(tree.AddTopLevelItem("LATENT1", latent), tree.ItemOf(Node("a")));
  Record<TUndoDepNode>(wb, UndoNodeAdded | UndoNodeLatent, latent, true, "a", "", "LATENT1");
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Add Latent Node");
  const Strings nodes = Names(ObjDependenceNode);

  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Node("LATENT1"), nullptr);
  EXPECT_EQ(tree.items.size(), 1u);
  EXPECT_EQ(tree.sorts, 1);

  ASSERT_TRUE(wb.Undo.Redo());
  ASSERT_NE(Node("LATENT1"), nullptr);
  EXPECT_EQ(Names(ObjDependenceNode), nodes);
  EXPECT_EQ(ParentOf("LATENT1"), "a");
  auto* item = tree.ItemOf(Node("LATENT1"));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->parent, tree.ItemOf(Node("a")));
  EXPECT_EQ(tree.selected, item);
  EXPECT_EQ(item->text.rfind(") LATENT1"), item->text.size() - 9);  // "(corr) LATENT1"
}

TEST_F(UndoItems, NodesMovedIntoAndOutOfTheTree) {
  for (const char* n : {"a", "b"}) AddVariable(n);
  SyncNodes();
  test::FakeTree& tree = f.ui.tree;
  tree.AddTopLevelItem("a", Node("a"));
  tree.AddAvailableNode("2", "b", Node("b"));
  // b moved from the list into the tree under a.
  ASSERT_TRUE(Attach("b", "a"));
  tree.RemoveAvailableNode(Node("b"));
  tree.MoveUnder(tree.AddTopLevelItem("b", Node("b")), tree.ItemOf(Node("a")));
  Record<TUndoDepNode>(wb, UndoNodeAdded, Node("b"), false, "a", "", "b");
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Move Nodes to Tree");

  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(ParentOf("b"), "");
  EXPECT_EQ(tree.ItemOf(Node("b")), nullptr);
  ASSERT_EQ(tree.available.size(), 1u);
  EXPECT_EQ(tree.available[0].caption, "2");

  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(ParentOf("b"), "a");
  EXPECT_TRUE(tree.available.empty());
  EXPECT_EQ(tree.ItemOf(Node("b"))->parent, tree.ItemOf(Node("a")));
}

TEST_F(UndoItems, ValuesAndOrderSwapBack) {
  for (const char* n : {"a", "b", "c"}) AddVariable(n);
  SyncNodes();
  ASSERT_TRUE(Attach("b", "a"));
  ASSERT_TRUE(Set_node_correlation_with_parent(Node("b"), 0.5f));
  Record<TUndoDepNodeValue>(wb, "b", 0.25);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Correlation With Parent");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_FLOAT_EQ(Get_node_correlation_with_parent(Node("b")), 0.25f);
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_FLOAT_EQ(Get_node_correlation_with_parent(Node("b")), 0.5f);

  Swap_TSMObjects(1, 3, ObjDependenceNode);
  Record<TUndoDepNodeSwap>(wb, "a", "c");
  EXPECT_EQ(Names(ObjDependenceNode), (Strings{"c", "b", "a"}));
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(ObjDependenceNode), (Strings{"a", "b", "c"}));
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(Names(ObjDependenceNode), (Strings{"c", "b", "a"}));

  Record<TUndoDepNodeValue>(wb, "gone", 0.1);
  EXPECT_FALSE(wb.Undo.Undo());
}

TEST_F(UndoItems, MatrixAndVineCells) {
  for (const char* n : {"x1", "x2", "x3"}) AddVariable(n);
  SyncNodes();
  SetDependenceType(nullptr, DepCorrelationMatrix);
  SetCurrentDependenceStructureRoot(GetNode(1), "");
  AddAllNodesToStructure();
  SyncNodes();
  ASSERT_TRUE(CMatrix_Initialize());
  ASSERT_TRUE(CMatrix_SetCell(Node("x1"), Node("x2"), 0.3));
  Record<TUndoCMxValue>(wb, "x1", CorrNotSet, "x2");
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Correlation Matrix Value");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_NEAR(CMatrix_GetCell(Node("x1"), Node("x2")), CorrNotSet, 1e-9);
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_NEAR(CMatrix_GetCell(Node("x1"), Node("x2")), 0.3, 1e-6);
  EXPECT_EQ(f.ui.gridRepaints, 2);
  EXPECT_EQ(TUndoVineValue("x2", 0.1, 1).Caption(true), "Vine Correlation Value");
}

}  // namespace
}  // namespace tesmira::wb
