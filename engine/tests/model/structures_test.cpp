// Dependence nodes and structures in the store: linking, composite nodes,
// deletion, the rebuild, types and copulas, the current structure, names and
// the saved structure; corrupt structures end instead of looping.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/store.h"
#include "model_fixture.h"
#include "tesmira/model.h"
#include "tesmira/structures.h"

namespace {

class StructuresTest : public FreshModelTest {
 public:
  static void SetName(unsigned char* s, const std::string& name) {
    std::memset(s, 0, 33);
    s[0] = static_cast<unsigned char>(name.size());
    std::memcpy(s + 1, name.data(), name.size());
  }

  // Variables with these names, one node each (node k for variable k).
  static void Variables(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      TExtendedRandomVariable rv;
      std::memset(&rv, 0, sizeof rv);
      SetName(rv.distribution.name, name);
      rv.distribution.distType = DistNormal;
      TExtendedRandomVariable* out = nullptr;
      int32_t size = 0;
      ASSERT_GT(Create_extended_random_variable(&rv, &out, &size), 0);
    }
    Update_dep_structure();
  }

  static void* N(const char* name) { return Fetch_dep_node(0, name); }
  static int Index(const char* name) { return Node_exists(name); }
  static TDepNodeV2* V2(const char* name) { return static_cast<TDepNodeV2*>(N(name)); }

  static bool Attach(const char* child, const char* parent, int32_t position = 0) {
    void* target = N(parent);
    return Process_dep_node(N(child), &target, &position, DepNodeAttach);
  }

  static std::string Name(int i) {
    char out[256];
    GetDepNodeName(GetNode(i), out);
    return out;
  }

  static std::vector<std::string> Children(const char* name) {
    std::vector<std::string> out;
    int i = Index(name);
    for (int k = 1; k <= tesmira::ChildCount(i); ++k) out.push_back(Name(tesmira::ChildAt(i, k)));
    return out;
  }

  static std::string Parent(const char* name) {
    int p = tesmira::ParentIndex(Index(name));
    return p ? Name(p) : "";
  }

  // Makes a vine head of type `type` with children.
  static void Vine(const char* head, std::initializer_list<const char*> members,
                   int type = DepCanonicalVine) {
    SetDependenceType(N(head), type);
    for (const char* m : members) {
      SetDependenceType(N(m), type);
      ASSERT_TRUE(Attach(m, head));
    }
  }
};

using Strings = std::vector<std::string>;

TEST_F(StructuresTest, AttachAtAPositionAndRefusals) {
  Variables({"r", "c1", "c2", "c3", "n", "m"});
  for (const char* c : {"c1", "c2", "c3"}) ASSERT_TRUE(Attach(c, "r"));
  EXPECT_TRUE(Attach("n", "r", 1));
  EXPECT_EQ(Children("r"), (Strings{"n", "c1", "c2", "c3"}));
  EXPECT_TRUE(Attach("m", "r", 0));
  EXPECT_EQ(Children("r"), (Strings{"n", "c1", "c2", "c3", "m"}));
  EXPECT_EQ(Parent("m"), "r");
  EXPECT_EQ(static_cast<TDepNodeV2*>(N("m"))->parent, Index("r"));
  // Already linked pairs, itself and an unknown target are refused.
  EXPECT_FALSE(Attach("m", "r"));
  EXPECT_FALSE(Attach("r", "m"));
  EXPECT_FALSE(Attach("r", "r"));
  void* none = nullptr;
  int32_t k = 0;
  EXPECT_FALSE(Process_dep_node(N("r"), &none, &k, DepNodeAttach));
  EXPECT_FALSE(Process_dep_node(nullptr, &none, &k, DepNodeCount));
  // A position beyond the child capacity is reset to 0 and reported.
  void* target = N("c1");
  k = 256;
  void* detachedParent = nullptr;
  int32_t idx = 0;
  Process_dep_node(N("c3"), &detachedParent, &idx, DepNodeDetach);
  EXPECT_EQ(detachedParent, N("r"));
  EXPECT_EQ(idx, Index("r"));
  EXPECT_FALSE(Process_dep_node(N("c3"), &target, &k, DepNodeAttach));
  EXPECT_EQ(k, 0);
  EXPECT_EQ(Parent("c3"), "c1");
  // A node never goes below its own descendant.
  EXPECT_FALSE(Attach("r", "c3"));
  EXPECT_TRUE(Children("c3").empty());
  EXPECT_EQ(Parent("r"), "");
}

TEST_F(StructuresTest, QueriesOfProcessDepNode) {
  Variables({"r", "a", "b"});
  Attach("a", "r");
  Attach("b", "a");
  void* p = nullptr;
  int32_t k = 0;
  EXPECT_TRUE(Process_dep_node(N("r"), &p, &k, DepNodeCount));
  EXPECT_EQ(k, 1);
  k = 1;
  EXPECT_TRUE(Process_dep_node(N("r"), &p, &k, DepNodeChild));
  EXPECT_EQ(p, N("a"));
  k = 2;
  EXPECT_FALSE(Process_dep_node(N("r"), &p, &k, DepNodeChild));
  EXPECT_EQ(p, nullptr);
  EXPECT_TRUE(Process_dep_node(N("b"), &p, &k, DepNodeParent));
  EXPECT_EQ(p, N("a"));
  EXPECT_EQ(k, Index("a"));
  EXPECT_FALSE(Process_dep_node(N("r"), &p, &k, DepNodeParent));
  EXPECT_TRUE(Process_dep_node(N("b"), &p, &k, DepNodeRoot));
  EXPECT_EQ(p, N("r"));
  p = N("a");
  EXPECT_TRUE(Process_dep_node(N("b"), &p, &k, DepNodeIsParent));
  EXPECT_FALSE(Process_dep_node(N("r"), &p, &k, DepNodeIsParent));
  EXPECT_TRUE(Process_dep_node(N("r"), &p, &k, DepNodeIsChild));
  EXPECT_FALSE(Process_dep_node(N("b"), &p, &k, DepNodeIsChild));
  // Detaching a node no one lists reports none.
  EXPECT_TRUE(Process_dep_node(N("r"), &p, &k, DepNodeDetach));
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(k, 0);
}

TEST_F(StructuresTest, VineUnderATreeGetsOneCompositeNodeThatIsReused) {
  Variables({"t", "x", "v", "w"});
  Attach("x", "t");
  Vine("v", {"w"});
  ASSERT_EQ(GetNumberOfDepNodes(true), 4);
  EXPECT_TRUE(Attach("v", "t"));
  ASSERT_EQ(GetNumberOfDepNodes(true), 5);
  EXPECT_EQ(GetNumberOfDepNodes(false), 4);
  EXPECT_EQ(Name(5), "COMP_NODE5");
  EXPECT_EQ(tesmira::NodeDepType(5), DepCompositeNode);
  EXPECT_EQ(Parent("v"), "COMP_NODE5");
  EXPECT_EQ(Parent("COMP_NODE5"), "t");
  EXPECT_EQ(Children("t"), (Strings{"x", "COMP_NODE5"}));
  EXPECT_TRUE(IsCompositeNode(N("COMP_NODE5")));
  // A second attach and a rebuild add no further composite node.
  Attach("v", "t");
  EXPECT_EQ(Update_dep_structure(), 0);
  EXPECT_EQ(GetNumberOfDepNodes(true), 5);
  EXPECT_EQ(Children("COMP_NODE5"), (Strings{"v"}));
  // Naming the vine names its composite node too.
  SetCurrentDependenceStructureRoot(N("v"), "vv");
  EXPECT_EQ(tesmira::NodeStructureName(N("COMP_NODE5")), "vv");
  EXPECT_EQ(Fetch_dep_node(0, "VV"), N("v"));  // found by its structure name
  EXPECT_EQ(Fetch_dep_node(-1, ""), N("COMP_NODE5"));
  EXPECT_EQ(Fetch_dep_node(1001, ""), nullptr);
  // A tree node attached below the vine goes to its composite node.
  Variables({"y"});
  EXPECT_TRUE(Attach("y", "v"));
  EXPECT_EQ(Parent("y"), "COMP_NODE5");
  EXPECT_EQ(GetNumberOfDepNodes(true), 6);
  // Detached from its tree, the composite node goes along when the vine head
  // is attached to another tree node; no second one is made.
  void* former = nullptr;
  int32_t idx = 0;
  ASSERT_TRUE(Process_dep_node(N("COMP_NODE5"), &former, &idx, DepNodeDetach));
  EXPECT_EQ(former, N("t"));
  EXPECT_TRUE(Attach("v", "x", 0));
  EXPECT_EQ(Parent("COMP_NODE5"), "x");
  EXPECT_EQ(Parent("v"), "COMP_NODE5");
  EXPECT_EQ(GetNumberOfDepNodes(true), 6);
  // While it hangs under x, attaching the vine to t changes nothing.
  EXPECT_TRUE(Attach("v", "t"));
  EXPECT_EQ(Parent("COMP_NODE5"), "x");
  EXPECT_EQ(Children("t"), (Strings{"x"}));
  // Nor does the composite node go below a node that hangs under it.
  ASSERT_TRUE(Process_dep_node(N("COMP_NODE5"), &former, &idx, DepNodeDetach));
  Attach("v", "y");
  EXPECT_EQ(Parent("COMP_NODE5"), "");
  EXPECT_TRUE(Children("y").empty());
}

TEST_F(StructuresTest, TreeNodesBelowAVineNeverTearItApart) {
  Variables({"t", "v", "w", "y"});
  Vine("v", {"w"});
  // Below a member of the vine nothing is attached.
  EXPECT_TRUE(Attach("y", "w"));
  EXPECT_EQ(Parent("w"), "v");
  EXPECT_EQ(Children("v"), (Strings{"w"}));
  EXPECT_EQ(Parent("y"), "");
  EXPECT_EQ(GetNumberOfDepNodes(true), 4);
  // Nor by the rebuild, which drops such a stored link instead of keeping it half made.
  V2("y")->parent = static_cast<int16_t>(Index("w"));
  Update_dep_structure();
  EXPECT_EQ(V2("y")->parent, 0);
  EXPECT_EQ(Parent("w"), "v");
  EXPECT_EQ(GetNumberOfDepNodes(true), 4);
  // A vine head stored straight below a tree node keeps its place in the
  // tree: the new composite node takes it.
  V2("v")->parent = static_cast<int16_t>(Index("t"));
  V2("t")->children[0] = static_cast<int16_t>(Index("v"));
  V2("t")->childCount = 1;
  EXPECT_TRUE(Attach("y", "v"));
  EXPECT_EQ(Parent("v"), "COMP_NODE5");
  EXPECT_EQ(Parent("y"), "COMP_NODE5");
  EXPECT_EQ(Parent("COMP_NODE5"), "t");
  EXPECT_EQ(Children("t"), (Strings{"COMP_NODE5"}));
}

TEST_F(StructuresTest, RebuildInsertsCompositeNodesForVinesStoredUnderTrees) {
  Variables({"t", "v", "w"});
  Vine("v", {"w"});
  // A vine head whose parent index names a tree node (as a file may hold it).
  V2("v")->parent = static_cast<int16_t>(Index("t"));
  EXPECT_EQ(Update_dep_structure(), 1);  // t's child list changed
  EXPECT_EQ(GetNumberOfDepNodes(true), 4);
  EXPECT_EQ(Parent("v"), "COMP_NODE4");
  EXPECT_EQ(Parent("COMP_NODE4"), "t");
}

TEST_F(StructuresTest, DeletingANodeMovesItsChildrenToItsParent) {
  Variables({"r", "m", "c1", "c2", "z"});
  Attach("m", "r");
  Attach("z", "r");
  Attach("c1", "m");
  Attach("c2", "m");
  void* c2 = N("c2");
  EXPECT_EQ(Delete_dep_node(N("m")), 2);
  EXPECT_EQ(GetNumberOfDepNodes(true), 4);
  EXPECT_EQ(Children("r"), (Strings{"z", "c1", "c2"}));
  EXPECT_EQ(V2("c1")->parent, 1);
  EXPECT_EQ(V2("c2")->parent, 1);
  EXPECT_EQ(GetNode(3), c2);  // indexes above the deleted one dropped by one
  TDepNodeV2* r = V2("r");
  EXPECT_EQ(r->children[0], 4);
  EXPECT_EQ(r->children[1], 2);
  EXPECT_EQ(r->children[2], 3);
  EXPECT_EQ(r->children[3], 0);
  EXPECT_EQ(Delete_dep_node(nullptr), 0);
  int dummy = 0;
  EXPECT_EQ(Delete_dep_node(&dummy), 0);
}

TEST_F(StructuresTest, DeletingAChildOfAFullNodeMovesItsChildUp) {
  // Node 1 hangs under node 2, which is one of the 256 children of node 258.
  for (int k = 1; k <= 258; ++k) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    SetName(rv.distribution.name, std::string("n").append(std::to_string(k)));
    TExtendedRandomVariable* out = nullptr;
    int32_t size = 0;
    ASSERT_EQ(Create_extended_random_variable(&rv, &out, &size), k);
  }
  Update_dep_structure();
  static_cast<TDepNodeV2*>(GetNode(1))->parent = 2;
  for (int i = 2; i <= 257; ++i) static_cast<TDepNodeV2*>(GetNode(i))->parent = 258;
  Update_dep_structure();
  ASSERT_EQ(tesmira::ChildCount(258), 256);
  EXPECT_EQ(Delete_dep_node(GetNode(2)), 2);
  EXPECT_EQ(tesmira::ChildCount(257), 256);
  EXPECT_EQ(tesmira::ChildAt(257, 256), 1);
  EXPECT_EQ(static_cast<TDepNodeV2*>(GetNode(1))->parent, 257);
}

TEST_F(StructuresTest, DeletingACompositeNodeDetachesItsVine) {
  Variables({"t", "v", "w"});
  Vine("v", {"w"});
  Attach("v", "t");
  ASSERT_EQ(Name(4), "COMP_NODE4");
  EXPECT_EQ(Delete_dep_node(N("COMP_NODE4")), 4);
  EXPECT_EQ(Parent("v"), "");
  EXPECT_TRUE(Children("t").empty());
}

TEST_F(StructuresTest, DeletingFromAMatrixShiftsTheCells) {
  Variables({"a", "b", "c"});
  SetDependenceType(nullptr, DepCorrelationMatrix);
  float* vals = tesmira::NodeValuesV2(1);
  vals[0] = 0.1f;
  vals[1] = 0.2f;
  vals[2] = 0.3f;
  Delete_dep_node(N("b"));
  vals = tesmira::NodeValuesV2(1);
  EXPECT_FLOAT_EQ(vals[0], 0.1f);
  EXPECT_FLOAT_EQ(vals[1], 0.3f);
  EXPECT_FLOAT_EQ(vals[2], static_cast<float>(CorrNotSet));
}

TEST_F(StructuresTest, RebuildCreatesNodesForVariablesAndDropsOrphans) {
  for (const char* name : {"p", "q", "s"}) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    SetName(rv.distribution.name, name);
    TExtendedRandomVariable* out = nullptr;
    int32_t size = 0;
    Create_extended_random_variable(&rv, &out, &size);
  }
  EXPECT_EQ(Update_dep_structure(), 3);
  EXPECT_EQ(Update_dep_structure(), 0);
  // An orphan without children goes; an empty node goes; a latent node stays.
  void* out = nullptr;
  int32_t size = 0;
  TDepNodeV2* rec = NewDepNodeV2();
  SetName(rec->varName, "orphan");
  Create_dep_node(rec, &out, &size);
  SetName(rec->varName, "hidden");
  rec->depType = DepLatentNode;
  Create_dep_node(rec, &out, &size);
  Free_record(rec);
  Create_dep_node(nullptr, &out, &size);
  EXPECT_EQ(GetNumberOfDepNodes(true), 6);
  EXPECT_EQ(Update_dep_structure(), 2);
  EXPECT_EQ(Index("orphan"), 0);
  EXPECT_EQ(Index("hidden"), 4);
  EXPECT_TRUE(IsLatentNode(N("hidden")));
}

TEST_F(StructuresTest, ThreeNodeCycleLosesOneLinkAndStaysBroken) {
  Variables({"a", "b", "c"});
  // a -> b -> c -> a, written straight into the records.
  TDepNodeV2* n[4] = {nullptr, V2("a"), V2("b"), V2("c")};
  for (int i = 1; i <= 3; ++i) {
    int child = i % 3 + 1;
    n[i]->children[0] = static_cast<int16_t>(child);
    n[i]->childCount = 1;
    n[child]->parent = static_cast<int16_t>(i);
  }
  Update_dep_structure();
  auto links = [] {
    int count = 0;
    for (int i = 1; i <= 3; ++i) count += tesmira::ChildCount(i);
    return count;
  };
  EXPECT_EQ(links(), 2);
  int roots = 0;
  for (int i = 1; i <= 3; ++i) roots += tesmira::ParentIndex(i) == 0;
  EXPECT_EQ(roots, 1);
  Update_dep_structure();
  EXPECT_EQ(links(), 2);
  EXPECT_EQ(GetNumberOfNodesInStructure(), 0);
  EXPECT_NE(GetNextDepStructure(), nullptr);
  EXPECT_EQ(GetNumberOfNodesInStructure(), 3);
}

TEST_F(StructuresTest, CorruptStructuresNeverHang) {
  Variables({"a", "b", "c", "d", "e"});
  TDepNodeV2* a = V2("a");
  TDepNodeV2* b = V2("b");
  TDepNodeV2* c = V2("c");
  TDepNodeV2* d = V2("d");
  TDepNodeV2* e = V2("e");
  a->parent = 2;  // parents in a cycle without child lists
  b->parent = 1;
  c->parent = 3;        // itself
  c->childCount = 300;  // beyond the capacity
  for (int k = 0; k < 256; ++k)
    c->children[k] = static_cast<int16_t>(k % 7 - 2);  // invalid and self entries
  d->parent = 999;
  d->childCount = 2;
  d->children[0] = 5;
  d->children[1] = 4;
  e->childCount = 1;
  e->children[0] = 4;  // d <-> e through child lists
  e->depType = 77;
  for (int i = 1; i <= 5; ++i) {
    tesmira::StructureRootOf(i);
    tesmira::InStructure(i, 1);
    tesmira::IsLinkedNode(i);
    tesmira::ComposeStructureName(GetNode(i));
    char t[256], cp[256];
    GetDependenceStrings(GetNode(i), t, cp);
    ThisNodeInStructure(GetNode(i));
  }
  TDependenceTypeSet set;
  GetModelDependenceTypes(&set);
  for (int k = 0; k < 8; ++k) GetNextDepStructure();
  GetNumberOfNodesInStructure();
  SetCurrentDependenceStructureRoot(nullptr, "a|b");
  SetDependenceType(GetNode(1), 2);
  Update_dep_structure();
  // After the rebuild no child list points back into its own path.
  for (int i = 1; i <= GetNumberOfDepNodes(true); ++i) {
    for (int k = 1; k <= tesmira::ChildCount(i); ++k) {
      int ch = tesmira::ChildAt(i, k);
      ASSERT_GE(ch, 1);
      ASSERT_LE(ch, GetNumberOfDepNodes(true));
      ASSERT_NE(ch, i);
    }
  }
  EXPECT_EQ(Delete_dep_node(GetNode(3)), 3);
  EXPECT_EQ(Delete_dep_node(GetNode(1)), 1);
}

TEST_F(StructuresTest, FullTableChainAndStarStayQuick) {
  for (int k = 1; k <= 1000; ++k) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    SetName(rv.distribution.name, std::string("v").append(std::to_string(k)));
    TExtendedRandomVariable* out = nullptr;
    int32_t size = 0;
    ASSERT_EQ(Create_extended_random_variable(&rv, &out, &size), k);
  }
  ASSERT_EQ(Update_dep_structure(), 1000);
  // Nodes 1..500 form a chain, 502..757 a full star under node 501, linked
  // through their parent indexes only; the rebuild fills the child lists.
  for (int i = 2; i <= 757; ++i)
    static_cast<TDepNodeV2*>(GetNode(i))->parent =
        static_cast<int16_t>(i <= 500 ? i - 1 : (i == 501 ? 0 : 501));
  EXPECT_EQ(Update_dep_structure(), 500);
  EXPECT_EQ(tesmira::ChildCount(501), 256);
  EXPECT_EQ(tesmira::StructureRootOf(500), 1);
  SetCurrentDependenceStructureRoot(GetNode(501), "");
  EXPECT_EQ(GetNumberOfNodesInStructure(), 257);
  SetCurrentDependenceStructureRoot(GetNode(1), "");
  EXPECT_EQ(GetNumberOfNodesInStructure(), 257);  // the walk up stops after 256 steps
  EXPECT_EQ(SetDependenceType(nullptr, DepDVine), 1);
  EXPECT_EQ(tesmira::ComposeStructureName(GetNode(1)).size(), 32u);
  EXPECT_EQ(Delete_dep_node(GetNode(250)), 250);
  EXPECT_EQ(tesmira::StructureRootOf(498), 1);
}

TEST_F(StructuresTest, DependenceTypeOfAStructure) {
  Variables({"r", "a", "b", "lone"});
  Attach("a", "r");
  Attach("b", "a");
  EXPECT_EQ(GetDependenceType(nullptr), 0);
  EXPECT_EQ(SetDependenceType(N("r"), 7), -1);
  EXPECT_EQ(SetDependenceType(N("r"), DepDVine), 1);
  EXPECT_EQ(GetDependenceType(N("r")), DepDVine);
  EXPECT_EQ(GetDependenceType(N("a")), DepTree);    // linked nodes keep theirs
  EXPECT_EQ(GetDependenceType(nullptr), DepDVine);  // r heads a structure
  // The current structure: every node of it changes.
  SetCurrentDependenceStructureRoot(N("r"), "");
  EXPECT_EQ(SetDependenceType(nullptr, DepCanonicalVine), 1);
  for (const char* n : {"r", "a", "b"}) EXPECT_EQ(GetDependenceType(N(n)), DepCanonicalVine) << n;
  EXPECT_EQ(GetDependenceType(N("lone")), DepTree);
  EXPECT_TRUE(IsVine(nullptr));
  EXPECT_TRUE(IsVineOrMatrix(N("a")));
  // Latent: refused as a structure type but marks the node.
  EXPECT_EQ(SetDependenceType(N("lone"), DepLatentNode), -1);
  EXPECT_TRUE(IsLatentNode(N("lone")));
  // A matrix type with no current structure makes the first isolated node current.
  SetCurrentDependenceStructureRoot(nullptr, "");
  Variables({"iso"});
  EXPECT_EQ(SetDependenceType(nullptr, DepCorrelationMatrix), 1);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), N("lone"));
  EXPECT_EQ(GetDependenceType(N("iso")), DepCorrelationMatrix);
  EXPECT_EQ(GetDependenceType(N("a")), DepCanonicalVine);
  End_model_data();
  EXPECT_EQ(SetDependenceType(nullptr, 0), 0);
  Init_Model_data();
}

TEST_F(StructuresTest, BivariateTypes) {
  EXPECT_EQ(SetBivariateType(nullptr, CopulaElliptical), 0);  // no nodes
  Variables({"a", "b"});
  struct Case {
    void* node;
    int32_t copula;
    int32_t result;
  } cases[] = {{nullptr, CopulaGumbel + 4, -1},
               {nullptr, -1, -1},
               {N("a"), CopulaGumbel + 4, -1},
               {nullptr, CopulaNormal, 1},
               {N("b"), CopulaGumbel, 1}};
  for (const Case& c : cases) EXPECT_EQ(SetBivariateType(c.node, c.copula), c.result) << c.copula;
  EXPECT_EQ(GetBivariateType(N("a")), CopulaNormal);
  EXPECT_EQ(GetBivariateType(N("b")), CopulaGumbel);
  EXPECT_EQ(GetBivariateType(nullptr), CopulaNormal);
  int stranger = 0;
  EXPECT_EQ(SetBivariateType(&stranger, CopulaDiagonalBand), -1);
  V2("a")->depType = 5;
  EXPECT_EQ(SetBivariateType(N("a"), CopulaDiagonalBand), -1);
  char title[256];
  EXPECT_TRUE(GetCopulaTitle(6, title));
  EXPECT_STREQ(title, "AntiClayton - Upper Negative Clayton");
  EXPECT_FALSE(GetCopulaTitle(13, title));
  EXPECT_STREQ(title, "");
  EXPECT_TRUE(GetDependenceTypeTitle(-2, title));
  EXPECT_STREQ(title, "Dependence Tree");
}

TEST_F(StructuresTest, CheckDepValueTexts) {
  Variables({"r", "a"});
  Attach("a", "r");
  SetCurrentDependenceStructureRoot(N("r"), "");
  struct Case {
    int type;
    double value;
    bool ok;
    const char* message;
  } cases[] = {
      {DepTree, 1.0, true, ""},
      {DepTree, -1.0, true, ""},
      {DepTree, 1.5, false, "Must be within [-1.0, 1.0] interval"},
      {DepDVine, 1.0, false, "Must be bigger than -1.0 and smaller than 1.0"},
      {DepCorrelationMatrix, -1.0, false, "Must be bigger than -1.0 and smaller than 1.0"},
      {DepDVine, 0.99, true, ""},
  };
  for (const Case& c : cases) {
    SetDependenceType(nullptr, c.type);
    char message[256] = "x";
    EXPECT_EQ(CheckDepValue(message, c.value), c.ok) << c.type << " " << c.value;
    EXPECT_STREQ(message, c.message);
  }
  // A composite node as the current root still takes correlations only.
  SetDependenceType(nullptr, DepTree);
  Variables({"v", "w"});
  Vine("v", {"w"});
  ASSERT_TRUE(Attach("v", "a"));
  SetCurrentDependenceStructureRoot(N("COMP_NODE5"), "");
  ASSERT_EQ(GetDependenceType(nullptr), DepCompositeNode);
  char message[256];
  EXPECT_TRUE(CheckDepValue(message, 0.5));
  EXPECT_STREQ(message, "");
  EXPECT_FALSE(CheckDepValue(message, 2.5));
  EXPECT_STREQ(message, "Must be within [-1.0, 1.0] interval");
}

TEST_F(StructuresTest, CorrelationNameAndOrderOfANode) {
  Variables({"a"});
  EXPECT_TRUE(Set_node_correlation_with_parent(N("a"), 0.25f));
  EXPECT_EQ(Get_node_correlation_with_parent(N("a")), 0.25);
  int stranger = 0;
  EXPECT_FALSE(Set_node_correlation_with_parent(&stranger, 0.5f));
  EXPECT_EQ(Get_node_correlation_with_parent(&stranger), 0.0);
  EXPECT_TRUE(SetDepNodeOrder(N("a"), 7));
  EXPECT_EQ(V2("a")->orderStamp, 7);
  SetDepNodeName(N("a"), "renamed");
  char out[256];
  GetDepNodeName(N("renamed"), out);
  EXPECT_STREQ(out, "renamed");
  GetDepNodeName(nullptr, out);
  EXPECT_STREQ(out, "");
}

TEST_F(StructuresTest, UpdateAndCreateNodeConventions) {
  Variables({"a", "b"});
  TDepNodeV2 rec;
  std::memcpy(&rec, N("a"), sizeof rec);
  void* out = nullptr;
  int32_t size = 0;
  EXPECT_EQ(Create_dep_node(&rec, &out, &size), -1);
  EXPECT_EQ(out, N("a"));
  EXPECT_EQ(size, 6720);
  rec.rankCorr = 0.5;
  EXPECT_EQ(Update_dep_node(&rec, &out, ""), 1);
  EXPECT_EQ(Get_node_correlation_with_parent(N("a")), 0.5);
  EXPECT_EQ(Update_dep_node(&rec, &out, "b"), -2);  // variable b
  EXPECT_EQ(Update_dep_node(&rec, &out, "A"), 1);   // its own name, held by its own variable too
  SetName(rec.varName, "ghost");
  EXPECT_EQ(Update_dep_node(&rec, &out, ""), 0);
  // Merging shifts the parent and child indexes of copied nodes.
  SetMergeMode(true);
  TDepNodeV2* m = NewDepNodeV2();
  SetName(m->varName, "m1");
  m->parent = 2;
  m->childCount = 1;
  m->children[0] = 1;
  EXPECT_EQ(Create_dep_node(m, &out, &size), 3);
  EXPECT_EQ(static_cast<TDepNodeV2*>(out)->parent, 4);
  EXPECT_EQ(static_cast<TDepNodeV2*>(out)->children[0], 3);
  SetMergeMode(false);
  Free_record(m);
}

TEST_F(StructuresTest, ComposedStructureNames) {
  Variables({"a", "b", "c", "d"});
  Attach("b", "a");
  Attach("c", "b");
  Attach("d", "b");
  EXPECT_EQ(tesmira::ComposeStructureName(N("a")), "a|b|c|d");
  End_model_data();
  Init_Model_data();
  Variables({"a", "b", "c", "e", "f"});
  Attach("b", "a");
  Attach("c", "a");
  Attach("e", "b");
  Attach("f", "c");
  EXPECT_EQ(tesmira::ComposeStructureName(N("a")), "a|b|c");
  End_model_data();
  Init_Model_data();
  Variables({"x", "v", "w"});
  Vine("v", {"w"});
  Attach("v", "x");
  EXPECT_EQ(tesmira::ComposeStructureName(N("x")), "x|(V)v...");
  // Cut at 32 characters.
  End_model_data();
  Init_Model_data();
  Variables({"abcdefghijklmnop", "qrstuvwxyz012345", "tail"});
  Attach("qrstuvwxyz012345", "abcdefghijklmnop");
  Attach("tail", "qrstuvwxyz012345");
  EXPECT_EQ(tesmira::ComposeStructureName(N("abcdefghijklmnop")),
            "abcdefghijklmnop|qrstuvwxyz01234");
}

TEST_F(StructuresTest, CurrentStructureByNodeAndName) {
  Variables({"r", "a", "s", "b"});
  Attach("a", "r");
  Attach("b", "s");
  EXPECT_EQ(SetCurrentDependenceStructureRoot(N("s"), "second"), nullptr);
  EXPECT_EQ(tesmira::NodeStructureName(N("s")), "second");
  EXPECT_EQ(GetNumberOfNodesInStructure(), 2);
  EXPECT_TRUE(ThisNodeInStructure(N("b")));
  EXPECT_FALSE(ThisNodeInStructure(N("a")));
  // A name that another node holds is not given.
  SetCurrentDependenceStructureRoot(N("r"), "b");
  EXPECT_EQ(tesmira::NodeStructureName(N("r")), "");
  EXPECT_EQ(SetCurrentDependenceStructureRoot(nullptr, "SECOND"), N("r"));
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), N("s"));
  SetCurrentDependenceStructureRoot(nullptr, "r|a");  // composed name
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), N("r"));
  SetCurrentDependenceStructureRoot(nullptr, "nothing");
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
  int stranger = 0;
  SetCurrentDependenceStructureRoot(N("r"), "");
  EXPECT_EQ(SetCurrentDependenceStructureRoot(&stranger, "x"), N("r"));
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), N("r"));
  EXPECT_EQ(tesmira::StructureDisplayName(N("s")), "second");
  EXPECT_EQ(tesmira::StructureDisplayName(N("r")), "r|a");
}

TEST_F(StructuresTest, NextStructureWrapsAround) {
  EXPECT_EQ(GetNextDepStructure(), nullptr);
  Variables({"r", "a", "s", "b", "lone"});
  Attach("a", "r");
  Attach("b", "s");
  EXPECT_EQ(GetNextDepStructure(), N("r"));
  EXPECT_EQ(GetNextDepStructure(), N("s"));
  EXPECT_EQ(GetNextDepStructure(), N("r"));
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), N("r"));
}

TEST_F(StructuresTest, ModelDependenceTypes) {
  Variables({"t", "x", "v", "w", "m", "n"});
  Attach("x", "t");
  Vine("v", {"w"}, DepDVine);
  Attach("v", "t");
  Vine("m", {"n"}, DepCorrelationMatrix);
  SetCurrentDependenceStructureRoot(nullptr, "");
  TDependenceTypeSet set;
  GetModelDependenceTypes(&set);
  auto has = [&](int bit) { return (set.bits[bit / 8] >> (bit % 8)) & 1; };
  EXPECT_TRUE(has(0));
  EXPECT_TRUE(has(1));
  EXPECT_TRUE(has(3));  // the D-vine below its composite node
  EXPECT_FALSE(has(253));
  EXPECT_FALSE(has(2));
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);  // restored
  // With a current structure only that one is reported.
  SetCurrentDependenceStructureRoot(N("m"), "");
  GetModelDependenceTypes(&set);
  EXPECT_TRUE(has(1));
  EXPECT_FALSE(has(0));
}

TEST_F(StructuresTest, DependenceStrings) {
  Variables({"t", "x", "v", "w"});
  Attach("x", "t");
  Vine("v", {"w"}, DepDVine);
  SetCurrentDependenceStructureRoot(N("v"), "myvine");
  SetBivariateType(N("v"), CopulaDiagonalBand);
  char type[256], copula[256];
  EXPECT_EQ(GetDependenceStrings(N("v"), type, copula), 1);
  EXPECT_STREQ(type, "Dependence structure type: D-Vine");
  EXPECT_STREQ(copula, "Copula type: Diagonal Band ... Vine name: myvine");
  EXPECT_EQ(GetDependenceStrings(N("t"), type, copula), 1);
  EXPECT_STREQ(type, "Dependence structure type: Dependence Tree");
  EXPECT_STREQ(copula, "Bivariate type: Frank");
  V2("t")->depType = 9;
  EXPECT_EQ(GetDependenceStrings(N("t"), type, copula), 0);
  EXPECT_STREQ(type, "Unknown distribution type");
  EXPECT_STREQ(copula, "");
}

TEST_F(StructuresTest, SavedStructureOfTheCurrentLayout) {
  Variables({"a", "b"});
  EXPECT_FALSE(MatchAndSwapDepStructures(2));  // nothing saved yet
  SetCurrentDependenceStructureRoot(N("a"), "");
  SetDependenceType(N("a"), DepDVine);
  V2("a")->values[0] = 0.5f;
  ASSERT_TRUE(tesmira::SaveStructure());
  V2("a")->values[0] = 0.7f;
  SetDependenceType(N("a"), DepCanonicalVine);
  // Every node is its own saved copy, so names always match.
  Variables({"late"});
  EXPECT_TRUE(MatchAndSwapDepStructures(DepDVine));
  EXPECT_FLOAT_EQ(V2("a")->values[0], 0.5f);
  EXPECT_FLOAT_EQ(V2("a")->savedValues[0], 0.7f);
  EXPECT_EQ(GetDependenceType(N("a")), DepDVine);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), N("a"));
  ReleaseSavedStructure();
  EXPECT_FALSE(MatchAndSwapDepStructures(2));
}

TEST_F(StructuresTest, SwapKeepsCompositeNodesMadeAfterTheSave) {
  Variables({"t", "v", "w"});
  ASSERT_TRUE(tesmira::SaveStructure());
  Vine("v", {"w"}, DepDVine);
  ASSERT_TRUE(Attach("v", "t"));
  ASSERT_EQ(Name(4), "COMP_NODE4");
  EXPECT_TRUE(MatchAndSwapDepStructures(DepTree));
  EXPECT_EQ(tesmira::NodeDepType(4), DepCompositeNode);
  EXPECT_EQ(tesmira::NodeDepType(Index("w")), DepTree);  // the saved type comes back
  EXPECT_TRUE(MatchAndSwapDepStructures(DepDVine));
  EXPECT_EQ(tesmira::NodeDepType(4), DepCompositeNode);
  EXPECT_EQ(tesmira::NodeDepType(Index("w")), DepDVine);
}

// ---- the old node layout -------------------------------------------------------

class OldDesignTest : public StructuresTest {
 public:
  void SetUp() override {
    StructuresTest::SetUp();
    Set_model_dep_type(1.0);
  }
  static TDepNodeV1* V1(const char* name) { return static_cast<TDepNodeV1*>(N(name)); }
};

TEST_F(OldDesignTest, NodesAreNamedByTheirParents) {
  Variables({"r", "a", "b"});
  ASSERT_EQ(GetNumberOfDepNodes(true), 3);
  EXPECT_EQ(DepNodeSize(), 1108);
  SetName(V1("a")->parentName, "r");
  SetName(V1("b")->parentName, "R");  // names compare without case
  EXPECT_EQ(Parent("a"), "r");
  EXPECT_EQ(Parent("b"), "r");
  void* p = nullptr;
  int32_t k = 0;
  EXPECT_TRUE(Process_dep_node(N("a"), &p, &k, DepNodeParent));
  EXPECT_EQ(p, N("r"));
  p = N("r");
  EXPECT_TRUE(Process_dep_node(N("a"), &p, &k, DepNodeIsParent));
  SetName(V1("r")->parentName, "ROOT");
  EXPECT_TRUE(tesmira::IsStructureHead(Index("r"), false));
  SetName(V1("r")->parentName, "root");
  EXPECT_TRUE(tesmira::IsStructureHead(Index("r"), false));
  // Deleting a variable with its node hands its parent name to its children.
  EXPECT_EQ(Delete_extended_random_variable(GetRanVar(1), true), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(V1("a")->parentName + 1), V1("a")->parentName[0]),
            "root");
  EXPECT_TRUE(tesmira::IsStructureHead(Index("a"), false));
  EXPECT_EQ(Index("r"), 0);
}

TEST_F(OldDesignTest, AttachingRenamesTheParentAndLeavesTheOldChildList) {
  Variables({"p", "t", "a"});
  SetName(V1("a")->parentName, "p");
  V1("p")->childCount = 1;
  V1("p")->u.children[0] = 3;
  EXPECT_TRUE(Attach("a", "t"));
  EXPECT_EQ(tesmira::NodeParentName(3), "t");
  EXPECT_EQ(Parent("a"), "t");
  EXPECT_EQ(tesmira::ChildCount(1), 0);
  void* p = nullptr;
  int32_t k = 0;
  EXPECT_TRUE(Process_dep_node(N("a"), &p, &k, DepNodeParent));
  EXPECT_EQ(p, N("t"));
}

TEST_F(OldDesignTest, RecordsAreCheckedOnCreate) {
  TDepNodeV1 rec;
  std::memset(&rec, 0, sizeof rec);
  SetName(rec.varName, "n");
  rec.rankCorr = 1.5;
  void* out = nullptr;
  int32_t size = 0;
  EXPECT_EQ(Create_dep_node(&rec, &out, &size), 0);
  EXPECT_EQ(size, 1108);
  rec.rankCorr = 0.5;
  rec.parentName[0] = 40;
  EXPECT_EQ(Create_dep_node(&rec, &out, &size), 0);
  rec.parentName[0] = 0;
  EXPECT_EQ(Create_dep_node(&rec, &out, &size), 1);
}

TEST_F(OldDesignTest, DetachedVineKeepsItsNameInTheParentName) {
  Variables({"t", "v"});
  SetName(V1("v")->parentName, "t");
  V1("v")->typeBits = DepCanonicalVine << 3;
  void* p = nullptr;
  int32_t k = 0;
  EXPECT_TRUE(Process_dep_node(N("v"), &p, &k, DepNodeDetach));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(V1("v")->parentName + 1), V1("v")->parentName[0]),
            "vine~v");
}

TEST_F(OldDesignTest, MatchAndSwapNeedsTheSameNodes) {
  Variables({"a", "b"});
  V1("a")->rankCorr = 0.3;
  ASSERT_TRUE(tesmira::SaveStructure());
  V1("a")->rankCorr = 0.6;
  EXPECT_TRUE(MatchAndSwapDepStructures(0));
  EXPECT_EQ(double(V1("a")->rankCorr), 0.3);
  ASSERT_TRUE(tesmira::SaveStructure());
  Variables({"c"});  // a node added after the save
  V1("a")->rankCorr = 0.9;
  EXPECT_FALSE(MatchAndSwapDepStructures(0));
  EXPECT_EQ(double(V1("a")->rankCorr), 0.9);
}

TEST_F(OldDesignTest, CorruptParentNamesAndChildListsNeverHang) {
  Variables({"a", "b", "c"});
  SetName(V1("a")->parentName, "b");  // a and b name each other
  SetName(V1("b")->parentName, "a");
  TDepNodeV1* c = V1("c");
  c->childCount = 255;
  for (int k = 0; k < 256; ++k) c->u.children[k] = k % 5 - 1;  // self, invalid and cyclic entries
  for (int i = 1; i <= 3; ++i) {
    tesmira::StructureRootOf(i);
    tesmira::InStructure(i, 1);
    tesmira::ComposeStructureName(GetNode(i));
    void* p = nullptr;
    int32_t k = 0;
    Process_dep_node(GetNode(i), &p, &k, DepNodeRoot);
  }
  for (int k = 0; k < 4; ++k) GetNextDepStructure();
  GetNumberOfNodesInStructure();
  Update_dep_structure();
  for (int k = 1; k <= tesmira::ChildCount(3); ++k) {
    ASSERT_NE(tesmira::ChildAt(3, k), 3);
    ASSERT_GE(tesmira::ChildAt(3, k), 1);
  }
  EXPECT_EQ(Delete_dep_node(GetNode(1)), 1);
}

TEST_F(OldDesignTest, LayoutStaysWhileOldNodesExist) {
  Variables({"a"});
  EXPECT_FALSE(Set_model_dep_type(2.0));  // its 1108-byte records can not be read as the new layout
  EXPECT_FALSE(IsNodeDesign2());
  EXPECT_EQ(DepNodeSize(), 1108);
  End_model_data();
  Init_Model_data();
  EXPECT_FALSE(Set_model_dep_type(1.5));
  EXPECT_TRUE(Set_model_dep_type(2.0));
}

TEST_F(OldDesignTest, SavedCopiesFollowADeletion) {
  Variables({"a", "b", "c"});
  SetName(V1("b")->parentName, "a");
  SetName(V1("c")->parentName, "b");
  V1("a")->childCount = 1;
  V1("a")->u.children[0] = 2;
  V1("b")->childCount = 1;
  V1("b")->u.children[0] = 3;
  ASSERT_TRUE(tesmira::SaveStructure());
  EXPECT_EQ(Delete_dep_node(N("b")), 2);
  EXPECT_EQ(tesmira::NodeParentName(2), "a");
  EXPECT_TRUE(MatchAndSwapDepStructures(0));
  // The copies brought back know nothing of b.
  EXPECT_EQ(tesmira::NodeParentName(2), "a");
  EXPECT_EQ(tesmira::ChildCount(1), 0);
  EXPECT_EQ(Parent("c"), "a");
}

TEST_F(OldDesignTest, VineNameLivesInTheParentName) {
  Variables({"v", "w"});
  SetName(V1("w")->parentName, "v");
  V1("v")->typeBits = DepDVine << 3;
  SetCurrentDependenceStructureRoot(N("v"), "chain");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(V1("v")->parentName + 1), V1("v")->parentName[0]),
            "VINE~chain");
  SetCurrentDependenceStructureRoot(nullptr, "");
  SetCurrentDependenceStructureRoot(nullptr, "CHAIN");
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), N("v"));
  EXPECT_EQ(tesmira::StructureDisplayName(N("v")), "chain");
  // A plain parent name names the node above, not a structure.
  Variables({"kid", "top"});
  SetName(V1("kid")->parentName, "top");
  SetCurrentDependenceStructureRoot(nullptr, "TOP");
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), N("top"));
  // A vine head inside a tree is not named after the node above it.
  V1("kid")->typeBits = DepDVine << 3;
  char type[256], copula[256];
  EXPECT_EQ(GetDependenceStrings(N("kid"), type, copula), 1);
  EXPECT_STREQ(copula, "Copula type: Frank ... Vine name: kid");
}

}  // namespace
