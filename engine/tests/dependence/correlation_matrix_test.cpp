#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dependence/vines.h"
#include "model/store.h"
#include "vine_fixture.h"

namespace {

using MatrixTest = VineModelTest;

const std::vector<std::vector<double>> kMatrix4 = {
    {1.0, 0.6, 0.3, -0.2}, {0.6, 1.0, 0.5, 0.1}, {0.3, 0.5, 1.0, 0.4}, {-0.2, 0.1, 0.4, 1.0}};

TEST_F(MatrixTest, CellsAreSymmetricWithOnesOnTheDiagonal) {
  MakeMatrix(4);
  EXPECT_NEAR(CMatrix_GetCell(Node(2), Node(3)), CorrNotSet, 1e-9);
  FillMatrix(kMatrix4);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(CMatrix_GetCell(Node(i), Node(i)), 1.0);
    for (int j = 1; j <= 4; ++j) {
      if (i == j) continue;
      EXPECT_NEAR(CMatrix_GetCell(Node(i), Node(j)), kMatrix4[i - 1][j - 1], 1e-7) << i << "," << j;
    }
  }
  // The root's cells follow its child list; a child's cells start at slot 1.
  const float* root = tesmira::NodeValuesV2(1);
  EXPECT_FLOAT_EQ(root[6 + 2 - 1], 0.6f);
  EXPECT_FLOAT_EQ(tesmira::NodeValuesV2(2)[3 - 1], 0.5f);
}

TEST_F(MatrixTest, AddAllNodesListsTheChildrenInIndexOrder) {
  // Node 1 already holds node 3 (and 3 holds 4) when the matrix is made.
  AddVariables(4);
  tesmira::LinkVineChild(1, 3);
  tesmira::LinkVineChild(3, 4);
  SetCurrentDependenceStructureRoot(GetNode(1), "");
  SetDependenceType(nullptr, 1);
  AddAllNodesToStructure();
  ASSERT_EQ(tesmira::ChildCount(1), 3);
  for (int k = 1; k <= 3; ++k) {
    EXPECT_EQ(tesmira::ChildAt(1, k), k + 1);
    EXPECT_EQ(tesmira::ParentIndex(k + 1), 1);
  }
  EXPECT_EQ(tesmira::ChildCount(3), 0);
  ASSERT_TRUE(CMatrix_Initialize());
  FillMatrix(kMatrix4);  // every cell addressable, positions as indexes
  EXPECT_TRUE(CMatrix_Verify(false)) << LastError();
}

TEST_F(MatrixTest, SetCellRefusesTheDiagonalBoundsAndStrangers) {
  MakeMatrix(3);
  EXPECT_FALSE(CMatrix_SetCell(Node(2), Node(2), 0.5));
  EXPECT_FALSE(CMatrix_SetCell(Node(1), Node(2), 1.0));
  EXPECT_FALSE(CMatrix_SetCell(Node(1), Node(2), -1.0));
  EXPECT_FALSE(CMatrix_SetCell(Node(1), Node(2), std::nan("")));
  int dummy = 0;
  EXPECT_FALSE(CMatrix_SetCell(Node(1), &dummy, 0.5));
  EXPECT_EQ(CMatrix_GetCell(Node(1), &dummy), CorrUnavailable);
  EXPECT_TRUE(CMatrix_SetCell(Node(2), Node(1), -0.25));
  EXPECT_NEAR(CMatrix_GetCell(Node(1), Node(2)), -0.25, 1e-7);
}

TEST_F(MatrixTest, CellsOfAnotherKindOfStructureAreUnavailable) {
  MakeStar(3, 2);
  EXPECT_EQ(CMatrix_GetCell(Node(1), Node(2)), CorrUnavailable);
  EXPECT_EQ(CMatrix_GetCell(Node(2), Node(2)), 1.0);
  EXPECT_FALSE(CMatrix_SetCell(Node(1), Node(2), 0.5));
  EXPECT_FALSE(CMatrix_Initialize());
}

TEST_F(MatrixTest, RootCellsOfALargeStarRunOutOfSlots) {
  // The root's cell with position j needs slot j + 2 (n - 1) <= 512.
  MakeMatrix(172);
  EXPECT_TRUE(CMatrix_SetCell(Node(1), Node(170), 0.1));
  EXPECT_NEAR(CMatrix_GetCell(Node(1), Node(170)), 0.1, 1e-7);
  EXPECT_EQ(CMatrix_GetCell(Node(1), Node(171)), CorrUnavailable);
  EXPECT_EQ(CMatrix_GetCell(Node(172), Node(1)), CorrUnavailable);
  EXPECT_FALSE(CMatrix_SetCell(Node(1), Node(172), 0.1));
  EXPECT_TRUE(CMatrix_SetCell(Node(171), Node(172), 0.2));
}

TEST_F(MatrixTest, VerifyReportsEachFailureWithItsText) {
  struct Case {
    std::vector<std::vector<double>> r;
    bool fill;
    bool ok;
    const char* message;
  };
  const Case cases[] = {
      {{{1, 0.9, 0.9}, {0.9, 1, -0.9}, {0.9, -0.9, 1}},
       true,
       false,
       "The correlation matrix is found to be NOT positive definite. "},
      {{{1, 0.9, 0.9}, {0.9, 1, -0.9}, {0.9, -0.9, 1}},
       false,
       false,
       "The input correlation matrix contains empty or invalid data cells. "},
      {kMatrix4, true, true, ""},
  };
  for (const Case& c : cases) {
    for (bool convert : {false, true}) {
      End_model_data();
      Init_Model_data();
      MakeMatrix(static_cast<int>(c.r.size()));
      if (c.fill) FillMatrix(c.r);
      if (!c.fill) {
        ASSERT_TRUE(CMatrix_SetCell(Node(1), Node(2), 0.9));
      }
      EXPECT_EQ(CMatrix_Verify(convert), c.ok);
      EXPECT_EQ(LastError(), c.message);
      if (!c.ok) {
        // Nothing was rewritten: still a matrix holding its cells.
        EXPECT_EQ(GetDependenceType(Node(1)), 1);
        EXPECT_NEAR(CMatrix_GetCell(Node(1), Node(2)), 0.9, 1e-7);
        EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node(1));
      }
    }
  }
}

TEST_F(MatrixTest, VerifyRefusesAStructureThatIsNoMatrix) {
  MakeStar(3, 3);
  EXPECT_FALSE(CMatrix_Verify(false));
  EXPECT_EQ(LastError(), "The input structure is not a correlation matrix. ");
}

TEST_F(MatrixTest, ConversionBuildsTheCanonicalVineOfPartialCorrelations) {
  // Expected: partial correlations from the inverse of each submatrix.
  struct VineValue {
    int node;
    int level;
    double value;
  };
  const VineValue expected[] = {
      {2, 1, 0.6},
      {3, 1, 0.3},
      {3, 2, 0.41931393468876732},
      {4, 1, -0.2},
      {4, 2, 0.28067069969390579},
      {4, 3, 0.42975326418782933},
  };
  MakeMatrix(4);
  FillMatrix(kMatrix4);
  ASSERT_TRUE(CMatrix_Verify(true));
  EXPECT_EQ(GetDependenceType(Node(1)), 2);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node(1));
  for (const VineValue& v : expected)
    EXPECT_NEAR(Vine_GetCorrValue(Node(v.node), v.level), v.value, 1e-6)
        << v.node << " " << v.level;
  EXPECT_NEAR(Get_node_correlation_with_parent(Node(4)), -0.2, 1e-6);
  EXPECT_EQ(Vine_IsTranscended(), 3);
  EXPECT_TRUE(Vine_VerifyVine());
  // The star is kept: node k+1 is the root's k-th child.
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(tesmira::ChildAt(1, k), k + 1);

  // The matrix was saved before the rewrite and comes back by a swap; a second
  // conversion finds the canonical vine saved beside it.
  ASSERT_TRUE(MatchAndSwapDepStructures(1));
  EXPECT_EQ(GetDependenceType(Node(1)), 1);
  EXPECT_NEAR(CMatrix_GetCell(Node(3), Node(4)), 0.4, 1e-7);
  ASSERT_TRUE(CMatrix_Verify(true));
  EXPECT_EQ(GetDependenceType(Node(1)), 2);
  EXPECT_NEAR(Vine_GetCorrValue(Node(4), 3), 0.42975326418782933, 1e-6);
}

TEST_F(MatrixTest, WithoutACurrentStructureEveryMatrixIsVerified) {
  MakeMatrix(4);
  FillMatrix(kMatrix4);
  SetCurrentDependenceStructureRoot(nullptr, "");
  EXPECT_TRUE(CMatrix_Verify(false));
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
  ASSERT_TRUE(CMatrix_Verify(true));
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
  SetCurrentDependenceStructureRoot(Node(1), "");
  EXPECT_EQ(GetDependenceType(Node(1)), 2);
  EXPECT_NEAR(Vine_GetCorrValue(Node(3), 2), 0.41931393468876732, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node(4), 3), 0.42975326418782933, 1e-6);
  // The star is kept, so the saved matrix swaps back with every cell in place.
  EXPECT_EQ(tesmira::ChildCount(1), 3);
  ASSERT_TRUE(MatchAndSwapDepStructures(1));
  for (int i = 1; i <= 4; ++i)
    for (int j = i + 1; j <= 4; ++j)
      EXPECT_NEAR(CMatrix_GetCell(Node(i), Node(j)), kMatrix4[i - 1][j - 1], 1e-7) << i << "," << j;
}

TEST_F(MatrixTest, AChainMatrixBecomesAChainVine) {
  // Positions follow the chain of first children: 1 -> 2 -> 3.
  AddVariables(3);
  SetDependenceType(nullptr, 1);
  SetCurrentDependenceStructureRoot(Node(1), "");
  void* target = Node(1);
  int32_t position = 0;
  ASSERT_TRUE(Process_dep_node(Node(2), &target, &position, DepNodeAttach));
  target = Node(2);
  ASSERT_TRUE(Process_dep_node(Node(3), &target, &position, DepNodeAttach));
  ASSERT_TRUE(CMatrix_Initialize());
  FillMatrix({{1, 0.6, 0.3}, {0.6, 1, 0.5}, {0.3, 0.5, 1}});
  ASSERT_TRUE(CMatrix_Verify(true));
  EXPECT_EQ(tesmira::ChildAt(1, 1), 2);
  EXPECT_EQ(tesmira::ChildAt(2, 1), 3);
  EXPECT_NEAR(Vine_GetCorrValue(Node(3), 1), 0.3, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node(3), 2), 0.41931393468876732, 1e-6);
}

TEST_F(MatrixTest, InitializeEmptiesEveryCell) {
  MakeMatrix(3);
  FillMatrix({{1, 0.1, 0.2}, {0.1, 1, 0.3}, {0.2, 0.3, 1}});
  ASSERT_TRUE(CMatrix_Initialize());
  EXPECT_NEAR(CMatrix_GetCell(Node(1), Node(3)), CorrNotSet, 1e-9);
  EXPECT_NEAR(CMatrix_GetCell(Node(2), Node(3)), CorrNotSet, 1e-9);
  EXPECT_EQ(tesmira::ChildCount(1), 2);
}

TEST_F(MatrixTest, OldDesignStoresCellsAsInt16Codes) {
  Set_model_dep_type(1.0);
  MakeMatrix(3);
  EXPECT_NEAR(CMatrix_GetCell(Node(2), Node(3)), CorrNotSet, 1e-9);
  ASSERT_TRUE(CMatrix_SetCell(Node(2), Node(3), 0.5));
  EXPECT_EQ(tesmira::NodeValuesV1(2)[3 - 1], 16000);
  FillMatrix({{1, 0.6, 0.3}, {0.6, 1, 0.5}, {0.3, 0.5, 1}});
  EXPECT_TRUE(CMatrix_Verify(false));
  FillMatrix({{1, 0.9, 0.9}, {0.9, 1, -0.9}, {0.9, -0.9, 1}});
  EXPECT_FALSE(CMatrix_Verify(false));
  EXPECT_EQ(LastError(), "The correlation matrix is found to be NOT positive definite. ");

  FillMatrix({{1, 0.6, 0.3}, {0.6, 1, 0.5}, {0.3, 0.5, 1}});
  ASSERT_TRUE(CMatrix_Verify(true));
  EXPECT_EQ(GetDependenceType(Node(1)), 2);
  EXPECT_EQ(tesmira::ChildCount(1), 2);
  EXPECT_NEAR(Vine_GetCorrValue(Node(2), 1), 0.6, 1.0 / 32000);
  EXPECT_NEAR(Vine_GetCorrValue(Node(3), 1), 0.3, 1.0 / 32000);
  EXPECT_NEAR(Vine_GetCorrValue(Node(3), 2), 0.41931393468876732, 1.0 / 32000);
}

// Equicorrelated matrices have closed forms: positive definite exactly when
// rho > -1 / (n - 1), and every partial correlation given k others is
// rho / (1 + k rho).
TEST_F(MatrixTest, EquicorrelatedMatricesFollowTheirClosedForms) {
  const int n = 30;
  for (double rho : {0.5, -0.03, -0.05}) {
    End_model_data();
    Init_Model_data();
    MakeMatrix(n);
    std::vector<std::vector<double>> r(n, std::vector<double>(n, rho));
    FillMatrix(r);
    const bool positiveDefinite = rho > -1.0 / (n - 1);
    EXPECT_EQ(CMatrix_Verify(true), positiveDefinite) << rho;
    if (!positiveDefinite) continue;
    for (int p = 2; p <= n; ++p)
      for (int level = 1; level < p; ++level)
        EXPECT_NEAR(Vine_GetCorrValue(Node(p), level), rho / (1 + (level - 1) * rho), 1e-6)
            << rho << " " << p << " " << level;
  }
}

}  // namespace
