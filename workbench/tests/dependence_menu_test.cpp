#include "dependence_menu.h"

#include "model_fixture.h"
#include "model_helpers.h"

namespace tesmira::wb::test {
namespace {

class DependenceMenu : public ModelTest {
 protected:
  void Variables(std::initializer_list<const char*> names) {
    for (const char* n : names) AddVariable(n);
    SyncNodes();
  }
  static bool Marked(const char* name) {
    for (int n = 1; n <= Get_TSMObjectsNumber(ObjDependenceNode); ++n)
      if (Get_TSMObject(n, ObjDependenceNode) == Node(name))
        return IsSelectedTSMObject(n, ObjDependenceNode) > 0;
    ADD_FAILURE() << name;
    return false;
  }
  static void Vine(const char* head, std::initializer_list<const char*> members) {
    SetDependenceType(Node(head), DepCanonicalVine);
    for (const char* m : members) {
      SetDependenceType(Node(m), DepCanonicalVine);
      ASSERT_TRUE(Attach(m, head));
    }
  }
};

TEST_F(DependenceMenu, CountsFreeNodesAndTheRootsOfVinesAndMatrices) {
  // No structure yet: every node is free, so a matrix may take them all.
  Variables({"a", "b", "c", "d"});
  EXPECT_EQ(CountFreeNodesAndStructureRoots(), 4);
  TDependenceMenuState s = DependenceMenuState({});
  EXPECT_TRUE(s.addNew && s.exportItem && s.correlationMatrix);

  // A tree a(b, c): only d stays free; a tree's root does not count.
  ASSERT_TRUE(Attach("b", "a"));
  ASSERT_TRUE(Attach("c", "a"));
  EXPECT_EQ(CountFreeNodesAndStructureRoots(), 1);
  s = DependenceMenuState({});
  EXPECT_TRUE(s.addNew && s.exportItem);
  EXPECT_FALSE(s.correlationMatrix);

  // Every node in the tree: nothing left to add.
  ASSERT_TRUE(Attach("d", "c"));
  s = DependenceMenuState({});
  EXPECT_EQ(CountFreeNodesAndStructureRoots(), 0);
  EXPECT_FALSE(s.addNew || s.exportItem || s.correlationMatrix);
}

TEST_F(DependenceMenu, AVineCountsByItsHeadAlsoUnderATree) {
  Variables({"t", "v", "w", "x"});
  Vine("v", {"w"});
  // v heads a vine (counted once although it has children), t and x are
  // free, w is a member.
  EXPECT_EQ(CountFreeNodesAndStructureRoots(), 3);
  // Put under a tree node, the vine hangs from a composite node and its
  // head still counts; t has children now.
  ASSERT_TRUE(Attach("v", "t"));
  EXPECT_EQ(CountFreeNodesAndStructureRoots(), 2);
  EXPECT_EQ(ParentOf("t"), "");
  EXPECT_NE(ParentOf("v"), "t");  // the composite node between them
}

TEST_F(DependenceMenu, ItemsFollowThePanelAndTheCurrentStructure) {
  Variables({"a", "b", "c"});
  ASSERT_TRUE(Attach("b", "a"));
  SetCurrentDependenceStructureRoot(Node("a"), "");

  TDependencePanelState tree;
  tree.panelVisible = tree.treeMode = tree.treeVisible = true;
  tree.nameBoxEmpty = false;
  tree.structureNamesShown = 2;
  tree.selectedTreeNodeHasParent = true;
  TDependenceMenuState s = DependenceMenuState(tree);
  EXPECT_TRUE(s.treeMenuVisible);
  EXPECT_FALSE(s.vineMenuVisible);
  EXPECT_TRUE(s.rename && s.setCorrelation && s.next && s.removeNode);
  EXPECT_FALSE(s.erase || s.transcend || s.destroyAllVines);
  EXPECT_EQ(s.copulaCodes, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(s.copulaCode, GetBivariateType(Node("a")));

  TDependencePanelState hidden = tree;
  hidden.panelVisible = false;
  hidden.nameBoxEmpty = true;
  hidden.structureNamesShown = 1;
  s = DependenceMenuState(hidden);
  EXPECT_FALSE(s.treeMenuVisible || s.rename || s.setCorrelation || s.next);

  struct Case {
    bool eraseButton, matrixView;
    bool erase, transcend;
    const char* caption;
  };
  for (const Case& c :
       {Case{false, false, false, false, "Erase"}, Case{true, false, true, true, "Erase"},
        Case{false, true, true, false, "Erase matrix"},
        Case{true, true, true, false, "Erase matrix"}}) {
    TDependencePanelState vines;
    vines.panelVisible = vines.vinesMode = true;
    vines.vineEraseEnabled = c.eraseButton;
    vines.matrixViewChecked = c.matrixView;
    s = DependenceMenuState(vines);
    SCOPED_TRACE(testing::Message() << c.eraseButton << c.matrixView);
    EXPECT_TRUE(s.vineMenuVisible && s.destroyAllVines);
    EXPECT_EQ(s.erase, c.erase);
    EXPECT_EQ(s.transcend, c.transcend);
    EXPECT_EQ(s.eraseCaption, c.caption);
    EXPECT_EQ(s.copulaCodes, (std::vector<int>{0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  }
}

TEST_F(DependenceMenu, SaveMarksEverythingButTheFreeNodes) {
  AddFormula("f", "a+b");
  Variables({"a", "b", "c", "d"});
  ASSERT_TRUE(Attach("b", "a"));
  MarkObjectsForSave();
  EXPECT_TRUE(Marked("a") && Marked("b"));
  EXPECT_FALSE(Marked("c") || Marked("d"));
  EXPECT_GT(IsSelectedTSMObject(1, ObjFormula), 0);
  for (int n = 1; n <= 4; ++n) EXPECT_GT(IsSelectedTSMObject(n, ObjRandomVariable), 0);

  // A correlation matrix's nodes are all free, and all belong to it.
  Init_data();
  Variables({"x1", "x2", "x3"});
  SetDependenceType(nullptr, DepCorrelationMatrix);
  SetCurrentDependenceStructureRoot(GetNode(1), "");
  AddAllNodesToStructure();
  SyncNodes();
  MarkObjectsForSave();
  EXPECT_TRUE(Marked("x1") && Marked("x2") && Marked("x3"));
}

}  // namespace
}  // namespace tesmira::wb::test
