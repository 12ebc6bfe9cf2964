#include "dependence/tree_correlation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "model/store.h"
#include "vine_fixture.h"

namespace {

using TreeCorrelationTest = VineModelTest;

bool Attach(int child, int parent) {
  void* target = GetNode(parent);
  int32_t position = 0;
  return Process_dep_node(GetNode(child), &target, &position, DepNodeAttach);
}

TEST_F(TreeCorrelationTest, ATreeGivesProductsAlongItsPaths) {
  // Tree A(B(D), C) with nodes A=1, B=2, C=3, D=4.
  AddVariables(4);
  ASSERT_TRUE(Attach(2, 1));
  ASSERT_TRUE(Attach(4, 2));
  ASSERT_TRUE(Attach(3, 1));
  ASSERT_TRUE(Set_node_correlation_with_parent(GetNode(2), 0.7f));
  ASSERT_TRUE(Set_node_correlation_with_parent(GetNode(4), 0.5f));
  ASSERT_TRUE(Set_node_correlation_with_parent(GetNode(3), -0.4f));

  tesmira::TAnalyzeDepTree tree(1, 4);
  tree.Analyze();
  // Preorder A, B, D, C.
  ASSERT_EQ(tree.Order().Count(), 4);
  EXPECT_EQ(tree.Order()[0], 1);
  EXPECT_EQ(tree.Order()[1], 2);
  EXPECT_EQ(tree.Order()[2], 4);
  EXPECT_EQ(tree.Order()[3], 3);
  // rho = 2 sin(pi r / 6) of the single-precision arc values, by python.
  const double ab = 0.7167358874361861, bd = 0.5176380902050415, ac = -0.41582338774090455;
  const double expected[4][4] = {{1, ab, ab * bd, ac},
                                 {ab, 1, bd, ab * ac},
                                 {ab * bd, bd, 1, ab * bd * ac},
                                 {ac, ab * ac, ab * bd * ac, 1}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      EXPECT_NEAR(tree.Matrix()[i][j], expected[i][j], 1e-12) << i << "," << j;
}

TEST_F(TreeCorrelationTest, ARootWithoutChildrenGivesTheIdentity) {
  AddVariables(2);
  tesmira::TAnalyzeDepTree tree(2, 1);
  tree.Analyze();
  ASSERT_EQ(tree.Order().Count(), 1);
  EXPECT_EQ(tree.Order()[0], 2);
  EXPECT_EQ(tree.Matrix()[0][0], 1.0);
}

TEST_F(TreeCorrelationTest, ALoopOfChildListsEndsTheWalk) {
  AddVariables(3);
  ASSERT_TRUE(Attach(2, 1));
  ASSERT_TRUE(Attach(3, 2));
  // Corrupt: node 3 lists itself and its parent as children.
  TDepNodeV2* n3 = tesmira::NodeV2(3);
  n3->children[0] = 3;
  n3->children[1] = 2;
  n3->childCount = 2;
  tesmira::TAnalyzeDepTree tree(1, 3);
  tree.Analyze();
  EXPECT_EQ(tree.Order().Count(), 3);
}

}  // namespace
