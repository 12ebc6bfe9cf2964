// Structures made corrupt directly in the node table: every operation ends.
#include <gtest/gtest.h>

#include "dependence/tree_correlation.h"
#include "model/store.h"
#include "vine_fixture.h"

namespace {

using CorruptStructureTest = VineModelTest;

void SetChildren(int node, std::initializer_list<int> children) {
  TDepNodeV2* n = tesmira::NodeV2(node);
  int k = 0;
  for (int c : children) n->children[k++] = static_cast<int16_t>(c);
  n->childCount = static_cast<int16_t>(k);
}

// Root 1 with one child 2; the chain of first children 2 -> 3 -> 4 -> 2 loops,
// and the parent indexes of 2, 3 and 4 loop too.
void MakeLoopingChain(int type) {
  SetDependenceType(nullptr, type);
  SetCurrentDependenceStructureRoot(GetNode(1), "");
  SetChildren(1, {2});
  SetChildren(2, {3});
  SetChildren(3, {4});
  SetChildren(4, {2, 4});
  tesmira::SetStoredParentIndex(2, 4);
  tesmira::SetStoredParentIndex(3, 2);
  tesmira::SetStoredParentIndex(4, 3);
}

TEST_F(CorruptStructureTest, MatrixOperationsEndOnLoopingLinks) {
  AddVariables(4);
  MakeLoopingChain(1);
  CMatrix_SetCell(Node(2), Node(3), 0.5);
  CMatrix_GetCell(Node(4), Node(2));
  CMatrix_Verify(false);
  CMatrix_Verify(true);
  SetCurrentDependenceStructureRoot(nullptr, "");
  CMatrix_Verify(false);
  SUCCEED();
}

TEST_F(CorruptStructureTest, VineOperationsEndOnLoopingLinks) {
  AddVariables(4);
  MakeLoopingChain(3);
  Vine_SetCorrValue(Node(3), 1, 0.5);
  Vine_GetCorrValue(Node(4), 2);
  EXPECT_GE(Vine_IsTranscended(), 0);
  EXPECT_FALSE(Vine_VerifyVine());  // the root lists 2, whose parent link says 4
  Vine_InitVineLevels(1);
  Vine_CheckNotTranscended();
  SetCurrentDependenceStructureRoot(GetNode(1), "");
  EXPECT_TRUE(Vine_InitVine());
  tesmira::TAnalyzeDepTree tree(1, 4);
  tree.Analyze();
  EXPECT_LE(tree.Order().Count(), 4);
}

TEST_F(CorruptStructureTest, OutOfRangeChildIndexesAreIgnored) {
  AddVariables(3);
  SetDependenceType(nullptr, 2);
  SetCurrentDependenceStructureRoot(GetNode(1), "");
  SetChildren(1, {2, 999, -5});
  EXPECT_NEAR(Vine_GetCorrValue(Node(2), 7), CorrNotSet, 1e-9);
  EXPECT_TRUE(Vine_SetCorrValue(Node(1), 1, 0.5));
  Vine_VerifyVine();
  tesmira::TAnalyzeDepTree tree(1, 3);
  tree.Analyze();
  EXPECT_EQ(tree.Order().Count(), 2);
}

}  // namespace

namespace {

TEST_F(CorruptStructureTest, MatrixWithOutOfRangeChildIndexesEnds) {
  MakeMatrix(4);
  FillMatrix({{1, 0.5, 0.2, 0.1}, {0.5, 1, 0.3, 0.2}, {0.2, 0.3, 1, 0.4}, {0.1, 0.2, 0.4, 1}});
  for (int bad : {999, -5, 0}) {
    SetCurrentDependenceStructureRoot(GetNode(1), "");
    SetChildren(1, {2, bad, 3, 4});
    CMatrix_SetCell(Node(2), Node(3), 0.5);
    CMatrix_GetCell(Node(4), Node(2));
    EXPECT_FALSE(CMatrix_Verify(false)) << bad;
    EXPECT_EQ(LastError(), "The input correlation matrix contains empty or invalid data cells. ");
    SetCurrentDependenceStructureRoot(nullptr, "");
    CMatrix_Verify(false);
  }
}

}  // namespace
