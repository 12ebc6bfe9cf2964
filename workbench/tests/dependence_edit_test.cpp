#include "dependence_edit.h"

#include <chrono>

#include "dependence_fill.h"
#include "dependence_fixture.h"
#include "undo_items.h"

namespace tesmira::wb {
namespace {

using test::DependenceTest;
using DepEdit = DependenceTest;
using DepFill = DependenceTest;

TEST(DepHitFlags, GeometryGivesTheZones) {
  // A row at depth 2 with indentation 19: indent to 38, icon to 40, label to 90.
  struct Case {
    int x;
    bool row;
    unsigned flags;
  } cases[] = {{10, true, HitOnIndent},
               {38, true, HitOnItem | HitOnIcon},
               {40, true, HitOnItem | HitOnLabel},
               {89, true, HitOnItem | HitOnLabel},
               {90, true, HitOnRight},
               {5, false, HitNowhere}};
  for (const Case& c : cases) EXPECT_EQ(TreeHitFlags(c.x, c.row, 2, 19, 40, 90), c.flags) << c.x;
  // A root's label counts as its button left of left + min(height, width / 2).
  EXPECT_EQ(RootLabelHitFlags(HitOnItem | HitOnLabel, true, 55, 40, 60, 16), HitOnButton);
  EXPECT_EQ(RootLabelHitFlags(HitOnItem | HitOnLabel, true, 56, 40, 60, 16),
            HitOnItem | HitOnLabel);
  EXPECT_EQ(RootLabelHitFlags(HitOnItem | HitOnLabel, false, 41, 40, 60, 16),
            HitOnItem | HitOnLabel);
  EXPECT_EQ(RootLabelHitFlags(HitOnItem | HitOnLabel, true, 44, 40, 8, 16), HitOnItem | HitOnLabel);
}

TEST(DepHitFlags, CursorFollowsZoneSeveralAndShift) {
  struct Case {
    unsigned flags;
    bool several, shift;
    int cursor;
  } cases[] = {{HitOnItem | HitOnLabel, false, false, 5},
               {HitOnIcon, true, true, 6},
               {HitNowhere, false, false, 11},
               {HitOnIndent, true, false, 9},
               {HitOnButton, false, true, 14},
               {HitOnRight, true, false, 7},
               {HitOnRight, false, false, 15},
               {HitAbove, false, true, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(DragCursorNumber(c.flags, c.several, c.shift), c.cursor) << c.flags;
}

TEST_F(DepFill, EmptyModelFreeAndLatentNodes) {
  EXPECT_EQ(FillDependenceTree(tree, {}), 0);
  EXPECT_TRUE(tree.ListNodes().empty());

  Variables({"a", "b"});
  void* latent = AddNode("L");
  SetDependenceType(latent, DepLatentNode);
  SetDependenceType(Node("a"), DepCanonicalVine);
  EXPECT_EQ(FillDependenceTree(tree, {}), 1);
  // Free nodes are listed with their index and become tree nodes (type 0).
  EXPECT_EQ(tree.ListCaptions(), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(GetDependenceType(Node("a")), DepTree);
  // The childless latent node is a root of the tree, not a list entry.
  EXPECT_EQ(Shape(), "L");
  EXPECT_EQ(tree.Current(), Item("L"));
}

TEST_F(DepFill, TreeShowsItsStructureWithCorrelations) {
  Variables({"a", "b", "c", "d"});
  ASSERT_TRUE(Attach("b", "a"));
  ASSERT_TRUE(Attach("c", "b"));
  Set_node_correlation_with_parent(Node("b"), 0.3f);
  Mark_AllTSMObjectsSelected(false);
  Mark_TSMObjectSelected(3, ObjDependenceNode, true);
  void* lastRoot = nullptr;
  TFillOptions o;
  o.ProgrammaticSelection = true;
  o.LastRoot = [&](void* n) { lastRoot = n; };
  EXPECT_EQ(FillDependenceTree(tree, o), 3);
  EXPECT_EQ(Shape(), "a(b(c))");
  EXPECT_EQ(tree.ItemText(Item("b")), "(0.30) b");
  EXPECT_EQ(tree.ItemText(Item("a")), "a");
  EXPECT_EQ(tree.ListCaptions(), (std::vector<std::string>{"4"}));
  EXPECT_EQ(lastRoot, Node("a"));
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("a"));
  // The node marked selected in the model is marked and becomes selected.
  EXPECT_TRUE(tree.IsMarked(Item("c")));
  EXPECT_EQ(tree.Current(), Item("c"));
}

TEST_F(DepFill, MatrixMembersOfAPartialMatrixAndOfNone) {
  Variables({"a", "b", "c", "d", "e"});
  EXPECT_TRUE(MatrixMembers().empty());
  // A star a(b, c) and a chain d - e, both matrices, each a part of the model.
  ASSERT_TRUE(Attach("b", "a"));
  ASSERT_TRUE(Attach("c", "a"));
  ASSERT_TRUE(Attach("e", "d"));
  SetDependenceType(Node("a"), DepCorrelationMatrix);
  SetDependenceType(Node("d"), DepCorrelationMatrix);
  SetCurrentDependenceStructureRoot(Node("a"), nullptr);
  EXPECT_EQ(MatrixMembers(), (std::vector<void*>{Node("a"), Node("b"), Node("c")}));
  SetCurrentDependenceStructureRoot(Node("d"), nullptr);
  EXPECT_EQ(MatrixMembers(), (std::vector<void*>{Node("d"), Node("e")}));
}

class DepTreeDrops : public DependenceTest {
 protected:
  // r(a(b), c) and a free node x in the list.
  void SetUp() override {
    DependenceTest::SetUp();
    Variables({"r", "a", "b", "c", "x"});
    AddRoot("r");
    AddUnder("r", "a");
    AddUnder("a", "b");
    AddUnder("r", "c");
    ListAll({"x"});
    SetCurrentDependenceStructureRoot(Node("r"), nullptr);
  }
  bool DropTree(const char* moved, const char* target, unsigned flags, bool shift = false) {
    tree.SetCurrent(Item(moved));
    TDropRequest r;
    r.Source = TDropSource::Tree;
    r.Target = target ? Item(target) : nullptr;
    r.Flags = flags;
    r.Shift = shift;
    return editor.DropIntoTree(r);
  }
  std::string Model() { return ModelShape({"r", "a", "b", "c", "x"}); }
};

TEST_F(DepTreeDrops, ListNodeOnEmptySpaceBecomesARoot) {
  SelectList({"x"});
  TDropRequest r;
  r.Flags = HitNowhere;
  ASSERT_TRUE(editor.DropIntoTree(r));
  EXPECT_EQ(Shape(), "r(a(b),c) x");
  EXPECT_TRUE(tree.ListNodes().empty());
  EXPECT_TRUE(dwb.Modified);
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_EQ(Shape(), "r(a(b),c)");
  EXPECT_EQ(tree.ListNodes(), (std::vector<void*>{Node("x")}));
}

TEST_F(DepTreeDrops, LeftPartOfARootLabelMakesTheRootAChild) {
  SelectList({"x"});
  TDropRequest r;
  r.Target = Item("r");
  r.Flags = RootLabelHitFlags(HitOnItem | HitOnLabel, true, 42, 40, 60, 16);
  ASSERT_TRUE(editor.DropIntoTree(r));
  EXPECT_EQ(Shape(), "x(r(a(b),c))");
  EXPECT_EQ(ParentOf("r"), "x");
  EXPECT_EQ(tree.ItemText(Item("r")), "(0.00) r");
}

TEST_F(DepTreeDrops, ShiftMovesTheSubtreeWithoutItTheChildrenStay) {
  ASSERT_TRUE(DropTree("a", "c", HitOnItem | HitOnLabel));
  EXPECT_EQ(Shape(), "r(c(a),b)");
  EXPECT_EQ(Model(), "r< a<c b<r c<r x< ");
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_EQ(Model(), "r< a<r b<a c<r x< ");

  ASSERT_TRUE(DropTree("a", "c", HitOnItem | HitOnLabel, true));
  EXPECT_EQ(Shape(), "r(c(a(b)))");
  EXPECT_EQ(Model(), "r< a<c b<a c<r x< ");
}

TEST_F(DepTreeDrops, OntoItsOwnDescendantNothingChanges) {
  EXPECT_FALSE(DropTree("a", "b", HitOnItem | HitOnLabel, true));
  EXPECT_FALSE(DropTree("r", "b", HitOnItem | HitOnLabel));
  EXPECT_EQ(Shape(), "r(a(b),c)");
  EXPECT_EQ(Model(), "r< a<r b<a c<r x< ");
  EXPECT_FALSE(dwb.Undo.CanUndo());
  EXPECT_FALSE(dwb.Modified);
}

TEST_F(DepTreeDrops, DropZonesPlaceTheItem) {
  struct Case {
    const char* moved;
    const char* target;
    unsigned flags;
    bool ctrl;
    const char* shape;
  } cases[] = {
      {"c", "a", HitOnIndent, true, "r(c,a(b))"},    // before the target
      {"c", "a", HitOnIndent, false, "r(c(a(b)))"},  // parent of the target
      {"c", "a", HitOnRight, false, "r(a(c(b)))"},   // takes over the target's children
      {"b", "a", HitOnRight, true, "r(a,b,c)"},      // after the target
      {"b", nullptr, HitNowhere, false, "r(a,c) b"},
  };
  for (const Case& c : cases) {
    tree.SetCurrent(Item(c.moved));
    TDropRequest r;
    r.Source = TDropSource::Tree;
    r.Target = c.target ? Item(c.target) : nullptr;
    r.Flags = c.flags;
    r.Ctrl = c.ctrl;
    ASSERT_TRUE(editor.DropIntoTree(r)) << c.shape;
    EXPECT_EQ(Shape(), c.shape);
    ASSERT_TRUE(dwb.Undo.Undo());
    tree.SortMode = TreeSortDirectory;
    tree.SortTree();
    EXPECT_EQ(Model(), "r< a<r b<a c<r x< ") << c.shape;
  }
}

TEST_F(DepTreeDrops, DirectoryOrderFollowsTheSiblings) {
  // c placed before a: the directory then holds c before a.
  tree.SetCurrent(Item("c"));
  TDropRequest r;
  r.Source = TDropSource::Tree;
  r.Target = Item("a");
  r.Flags = HitOnIndent;
  r.Ctrl = true;
  ASSERT_TRUE(editor.DropIntoTree(r));
  EXPECT_EQ(Names(ObjDependenceNode), (std::vector<std::string>{"r", "c", "b", "a", "x"}));
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_EQ(Names(ObjDependenceNode), (std::vector<std::string>{"r", "a", "b", "c", "x"}));
}

TEST_F(DepTreeDrops, CommandsAddFromTheList) {
  tree.SetCurrent(Item("c"));
  ASSERT_TRUE(editor.AddFromList(1, 1));  // list item 0 as child of the selection
  EXPECT_EQ(Shape(), "r(a(b),c(x))");
  EXPECT_EQ(ParentOf("x"), "c");
  EXPECT_FALSE(editor.AddFromList(1, 5));  // no such list item
}

TEST_F(DepTreeDrops, RemovingNodesSubtreesAndTheStructure) {
  // Remove Node: the children stay in the tree.
  tree.SetCurrent(Item("a"));
  ASSERT_TRUE(editor.RemoveItemClick(0));
  EXPECT_EQ(Shape(), "r(c,b)");
  EXPECT_EQ(ParentOf("a"), "");
  EXPECT_EQ(tree.ListNodes().size(), 2u);
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_EQ(Model(), "r< a<r b<a c<r x< ");

  // Remove Subtree asks first; No changes nothing.
  FillDependenceTree(tree, {});
  tree.SetCurrent(Item("a"));
  f.prompt.answers = {TAnswer::No, TAnswer::Yes};
  EXPECT_FALSE(editor.RemoveItemClick(1));
  EXPECT_EQ(Shape(), "r(a(b),c)");
  ASSERT_TRUE(editor.RemoveItemClick(1));
  EXPECT_EQ(Shape(), "r(c)");
  EXPECT_EQ(f.prompt.shown.back().text, "Are you sure you want to delete the whole subtree?");

  f.prompt.answers = {TAnswer::No, TAnswer::Yes};
  EXPECT_FALSE(editor.RemoveItemClick(2));
  EXPECT_EQ(Shape(), "r(c)");
  ASSERT_TRUE(editor.RemoveItemClick(2));
  EXPECT_EQ(f.prompt.shown.back().text,
            "Are you sure you want to delete whole dependence structure?");
  EXPECT_EQ(Shape(), "");
  EXPECT_EQ(tree.ListNodes().size(), 5u);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
}

TEST_F(DepTreeDrops, LatentNodesAreCreatedAndDeletedWithUndo) {
  tree.SetCurrent(Item("c"));
  void* latent = editor.AddLatent();
  ASSERT_NE(latent, nullptr);
  EXPECT_EQ(NodeObjectName(latent), "LATENT1");
  EXPECT_EQ(GetDependenceType(latent), DepLatentNode);
  EXPECT_EQ(ParentOf("LATENT1"), "c");
  EXPECT_EQ(Shape(), "r(a(b),c(LATENT1))");

  tree.SetCurrent(Item("LATENT1"));
  ASSERT_TRUE(editor.RemoveItemClick(0));
  EXPECT_EQ(Node("LATENT1"), nullptr);
  EXPECT_EQ(tree.ListNodes().size(), 1u);  // not listed
  ASSERT_TRUE(dwb.Undo.Undo());
  ASSERT_NE(Node("LATENT1"), nullptr);
  EXPECT_EQ(ParentOf("LATENT1"), "c");
  EXPECT_EQ(ItemParent("LATENT1"), "c");
}

TEST_F(DepTreeDrops, MarksToggleRangeSubtreeAndAll) {
  tree.SetCurrent(Item("r"));
  editor.ClickWithModifiers(Item("c"), false, true);
  EXPECT_EQ(tree.MarkedItems(), (std::vector<TTreeItem>{Item("r"), Item("c")}));
  editor.ClickWithModifiers(Item("c"), false, true);
  EXPECT_EQ(tree.MarkedItems(), (std::vector<TTreeItem>{Item("r")}));
  EXPECT_FALSE(editor.HasMultipleSelection());

  tree.SetCurrent(Item("a"));
  editor.ClearExtraSelection();
  editor.ClickWithModifiers(Item("c"), true, false);
  EXPECT_EQ(tree.MarkedItems(), (std::vector<TTreeItem>{Item("a"), Item("b"), Item("c")}));
  EXPECT_TRUE(editor.HasMultipleSelection());
  editor.ClearExtraSelection();
  EXPECT_FALSE(editor.HasMultipleSelection());

  tree.SetMarked(Item("a"), true);
  editor.SelectSubtree();
  EXPECT_EQ(tree.MarkedItems(), (std::vector<TTreeItem>{Item("a"), Item("b")}));
  editor.InvertSelection();
  EXPECT_EQ(tree.MarkedItems(), (std::vector<TTreeItem>{Item("r"), Item("c")}));
  EXPECT_EQ(tree.Current(), Item("r"));
  editor.SelectAll();
  EXPECT_EQ(tree.MarkedItems().size(), 4u);
}

TEST_F(DepTreeDrops, SortsByNameOrDirectory) {
  ASSERT_TRUE(DropTree("b", "r", HitOnItem | HitOnLabel));  // r(a, c, b)
  Swap_TSMObjects(1, 4, ObjDependenceNode);                 // c first in the directory
  editor.ApplySortSetting(1);
  EXPECT_EQ(Shape(), "r(c,b,a)");
  editor.ApplySortSetting(0);
  EXPECT_EQ(Shape(), "r(a,b,c)");
  editor.ApplySortSetting(2);
  EXPECT_EQ(Shape(), "r(b,a,c)");
  for (int setting : {0, 1, 2})
    EXPECT_EQ(TreeSortSettingOfMode(TreeSortModeOfSetting(setting)), setting);
  EXPECT_EQ(TreeSortModeOfSetting(0), TreeSortAscending);
  EXPECT_EQ(TreeSortModeOfSetting(2), TreeSortDirectory);
}

TEST_F(DepTreeDrops, FlattenAndMoveChildren) {
  CurrentUndoGroup group(dwb.Undo);
  editor.FlattenUnderFirstNode();
  EXPECT_EQ(Shape(), "r(a,c,b)");
  EXPECT_EQ(group.Count(), 1u);
  group.Push();

  CurrentUndoGroup again(dwb.Undo);
  editor.MoveChildrenTo(Item("r"), Item("c"));
  EXPECT_EQ(Shape(), "r c(a,b)");
  EXPECT_EQ(ParentOf("a"), "c");
  EXPECT_EQ(ParentOf("c"), "");
}

class DepVineDrops : public DependenceTest {
 protected:
  void SetUp() override {
    DependenceTest::SetUp();
    Variables({"a", "b", "c", "x"});
    editor.VineMode = true;
  }
};

TEST_F(DepVineDrops, CanonicalListNodeBeforeTheRootBecomesTheRoot) {
  editor.VineType = 2;
  AddRoot("a");
  AddUnder("a", "b");
  AddUnder("a", "c");
  for (const char* n : {"a", "b", "c"}) SetDependenceType(Node(n), DepCanonicalVine);
  ListAll({"x"});
  SelectList({"x"});
  TDropRequest r;
  r.Target = Item("a");
  r.Flags = HitOnItem;
  r.Ctrl = true;
  ASSERT_TRUE(editor.DropIntoTree(r));
  EXPECT_EQ(Shape(), "x(a,b,c)");
  EXPECT_EQ(ModelShape({"a", "b", "c", "x"}), "a<x b<x c<x x< ");
  EXPECT_EQ(GetDependenceType(Node("x")), DepCanonicalVine);
  // The directory follows: the root's children a, b, c keep their order.
  std::vector<std::string> names = Names(ObjDependenceNode);
  EXPECT_LT(std::find(names.begin(), names.end(), "a"), std::find(names.begin(), names.end(), "b"));
  EXPECT_LT(std::find(names.begin(), names.end(), "b"), std::find(names.begin(), names.end(), "c"));
}

TEST_F(DepVineDrops, DVineItemMovedBeforeItsParent) {
  editor.VineType = 3;
  AddRoot("a");
  AddUnder("a", "b");
  AddUnder("b", "c");
  for (const char* n : {"a", "b", "c"}) SetDependenceType(Node(n), DepDVine);
  tree.SetCurrent(Item("c"));
  TDropRequest r;
  r.Source = TDropSource::Tree;
  r.Target = Item("b");
  r.Flags = HitOnItem;
  ASSERT_TRUE(editor.DropIntoTree(r));
  EXPECT_EQ(Shape(), "a(c(b))");
  EXPECT_EQ(ModelShape({"a", "b", "c"}), "a< b<c c<a ");
}

TEST_F(DepVineDrops, ThreeListItemsOnNowhereFormAChain) {
  editor.VineType = 3;
  ListAll({"a", "b", "c"});
  SelectList({"a", "b", "c"});
  TDropRequest r;
  r.Flags = HitNowhere;
  ASSERT_TRUE(editor.DropIntoTree(r));
  EXPECT_EQ(Shape(), "a(b(c))");
  EXPECT_EQ(ModelShape({"a", "b", "c"}), "a< b<a c<b ");
  EXPECT_EQ(GetDependenceType(Node("c")), DepDVine);
  // One undo step takes them all back.
  ASSERT_TRUE(dwb.Undo.Undo());
  EXPECT_EQ(tree.ListNodes().size(), 3u);
  EXPECT_EQ(ParentOf("b"), "");
}

TEST_F(DepVineDrops, CanonicalSeveralItemsFormAStar) {
  editor.VineType = 2;
  ListAll({"a", "b", "c"});
  SelectList({"a", "b", "c"});
  TDropRequest r;
  r.Flags = HitNowhere;
  ASSERT_TRUE(editor.DropIntoTree(r));
  EXPECT_EQ(Shape(), "a(b,c)");
}

TEST_F(DepEdit, LargeFillsAndDropsStayFast) {
  using Clock = std::chrono::steady_clock;
  auto seconds = [](Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
  };
  std::vector<std::string> names;
  for (int k = 0; k < 1000; ++k) names.push_back(std::string("v").append(std::to_string(k)));
  for (const std::string& n : names) AddVariable(n);
  SyncNodes();
  auto link = [&](std::size_t child, std::size_t parent) {
    ASSERT_TRUE(Attach(names[child].c_str(), names[parent].c_str()));
  };
  auto unlinkAll = [&] {
    for (std::size_t k = 1; k < names.size(); ++k) {
      void* none = nullptr;
      Process_dep_node(Node(names[k].c_str()), &none, nullptr, DepNodeDetach);
    }
  };

  // 1000 free nodes: the last root moved to the front, the directory follows.
  EXPECT_EQ(FillDependenceTree(tree, {}), 0);
  for (const std::string& n : names) {
    tree.RemoveAvailableNode(Node(n.c_str()));
    AddRoot(n.c_str());
  }
  ASSERT_EQ(tree.ChildCount(nullptr), 1000);
  tree.SetCurrent(Item("v999"));
  TDropRequest r;
  r.Source = TDropSource::Tree;
  r.Target = Item("v0");
  r.Flags = HitOnIndent;
  r.Ctrl = true;
  auto t0 = Clock::now();
  ASSERT_TRUE(editor.DropIntoTree(r));
  const double drop = seconds(t0);
  EXPECT_EQ(Names(ObjDependenceNode)[0], "v999");
  unlinkAll();

  // A star: the root's children have three children each (the engine keeps
  // at most 256 children per node).
  for (std::size_t k = 1; k < 250; ++k) link(k, 0);
  for (std::size_t k = 250; k < names.size(); ++k) link(k, 1 + (k - 250) / 3);
  t0 = Clock::now();
  EXPECT_EQ(FillDependenceTree(tree, {}), 1000);
  const double star = seconds(t0);
  unlinkAll();

  for (std::size_t k = 1; k < names.size(); ++k) link(k, k - 1);
  t0 = Clock::now();
  EXPECT_EQ(FillDependenceTree(tree, {}), 1000);
  const double chain = seconds(t0);
  std::printf("fill star %.1f ms, chain %.1f ms; drop among 1000 siblings %.1f ms\n", star * 1e3,
              chain * 1e3, drop * 1e3);
  // Bounds with room for the sanitizers' overhead.
  EXPECT_LT(star, 1.0);
  EXPECT_LT(chain, 1.0);
  EXPECT_LT(drop, 2.5);
}

}  // namespace
}  // namespace tesmira::wb
