// Conversions between D-vines, canonical vines and correlation matrices: the
// partial-correlation arithmetic against closed forms and independently
// computed partial correlations, and the exported conversions on the store.
#include <cmath>
#include <random>
#include <vector>

#include "dependence/partial_correlation.h"
#include "dependence/partial_peeling.h"
#include "dependence/vines.h"
#include "model/store.h"
#include "vine_fixture.h"

namespace {

using tesmira::TCorrRows;

// A 4 x 4 positive-definite matrix and its D-vine, the partial correlations
// computed independently from inverses of its sub-matrices (numpy):
// rho13|2, rho24|3, rho14|23.
const TCorrRows kMatrix = {{1, .6, .35, .2}, {.6, 1, .5, .4}, {.35, .5, 1, .45}, {.2, .4, .45, 1}};
constexpr double kRho13Given2 = 0.07216878364870319;
constexpr double kRho24Given3 = 0.22627786434233257;
constexpr double kRho14Given23 = -0.08164306664643589;

// A random positive-definite correlation matrix: B B' scaled to unit diagonal.
TCorrRows RandomCorrelation(int n, unsigned seed) {
  std::mt19937 gen(seed);
  std::normal_distribution<double> normal;
  std::vector<std::vector<double>> b(n, std::vector<double>(n + 2));
  for (auto& row : b)
    for (double& x : row) x = normal(gen);
  TCorrRows r(n, std::vector<double>(n));
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      for (int k = 0; k < n + 2; ++k) r[i][j] += b[i][k] * b[j][k];
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      if (i != j) r[i][j] /= std::sqrt(r[i][i] * r[j][j]);
  for (int i = 0; i < n; ++i) r[i][i] = 1.0;
  return r;
}

TEST(PartialPeeling, ThreeNodeDVineUnderEveryMethod) {
  for (int method = 1; method <= 4; ++method) {
    TCorrRows r;
    ASSERT_TRUE(tesmira::MatrixFromDVine({{0, 0.5, 0.0}, {0, 0.5}, {0}}, r, method));
    EXPECT_NEAR(r[0][2], 0.25, 1e-15) << method;
    ASSERT_TRUE(tesmira::MatrixFromDVine({{0, 0.5, 0.5}, {0, 0.5}, {0}}, r, method));
    EXPECT_NEAR(r[0][2], 0.625, 1e-15) << method;
  }
}

TEST(PartialPeeling, DVineOfAMatrixMatchesIndependentPartialCorrelations) {
  TCorrRows dvine;
  ASSERT_TRUE(tesmira::DVineFromMatrix(kMatrix, dvine));
  EXPECT_NEAR(dvine[0][1], 0.6, 1e-12);
  EXPECT_NEAR(dvine[0][2], kRho13Given2, 1e-12);
  EXPECT_NEAR(dvine[1][2], kRho24Given3, 1e-12);
  EXPECT_NEAR(dvine[0][3], kRho14Given23, 1e-12);
  TCorrRows back;
  ASSERT_TRUE(tesmira::MatrixFromDVine(dvine, back));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(back[i][j], kMatrix[i][j], 1e-12);
}

TEST(PartialPeeling, MethodsAgreeOnRandomMatrices) {
  for (unsigned seed = 1; seed <= 5; ++seed) {
    const TCorrRows r = RandomCorrelation(8, seed);
    TCorrRows reference, canonical, again;
    ASSERT_TRUE(tesmira::DVineFromMatrix(r, reference, 1));
    for (int method = 2; method <= 4; ++method) {
      TCorrRows dvine, matrix;
      ASSERT_TRUE(tesmira::DVineFromMatrix(r, dvine, method));
      ASSERT_TRUE(tesmira::MatrixFromDVine(dvine, matrix, method));
      for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j) {
          if (j > 0 && i + j < 8) {
            EXPECT_NEAR(dvine[i][j], reference[i][j], 1e-12) << method;
          }
          EXPECT_NEAR(matrix[i][j], r[i][j], 1e-12) << method;
        }
    }
    // Canonical vine and back reproduces the matrix.
    ASSERT_TRUE(tesmira::CanonicalVineFromMatrix(r, canonical));
    tesmira::MatrixFromCanonical(canonical, again);
    for (int i = 0; i < 8; ++i)
      for (int j = 0; j < 8; ++j) EXPECT_NEAR(again[i][j], r[i][j], 1e-12);
  }
}

TEST(PartialPeeling, MatrixThatIsNotPositiveDefiniteHasNoDVine) {
  TCorrRows dvine;
  EXPECT_FALSE(tesmira::DVineFromMatrix({{1, 0.9, 0.9}, {0.9, 1, -0.9}, {0.9, -0.9, 1}}, dvine));
  EXPECT_FALSE(tesmira::DVineFromMatrix({{1, NAN}, {NAN, 1}}, dvine));
}

class VineConversions : public VineModelTest {
 protected:
  // A D-vine chain 1-2-..-n, the current structure.
  void MakeDVine(int n) {
    AddVariables(n);
    SetDependenceType(nullptr, DepDVine);
    SetCurrentDependenceStructureRoot(Node(1), "");
    for (int k = 1; k < n; ++k) tesmira::LinkVineChild(k, k + 1);
    for (int k = 1; k <= n; ++k) tesmira::SetNodeDepType(k, DepDVine);
  }
  void ThreeNodeDVine(double conditional) {
    MakeDVine(3);
    ASSERT_TRUE(Vine_SetCorrValue(Node(1), 1, 0.5));
    ASSERT_TRUE(Vine_SetCorrValue(Node(2), 1, 0.5));
    ASSERT_TRUE(Vine_SetCorrValue(Node(1), 2, conditional));
  }
  void Restart() {
    End_model_data();
    Init_Model_data();
  }
};

TEST_F(VineConversions, DVineToMatrixUnderEveryMethod) {
  // Level 2 goes through the rank to product-moment table (0.5 -> 0.48644653).
  for (int16_t method = 0; method <= 4; ++method) {
    ThreeNodeDVine(0.0);
    ASSERT_EQ(Vine_MorvikToCMatrix(nullptr, method, false), 1) << method << LastError();
    EXPECT_EQ(GetDependenceType(Node(1)), DepCorrelationMatrix);
    EXPECT_NEAR(CMatrix_GetCell(Node(1), Node(3)), 0.25, 1e-7) << method;
    EXPECT_NEAR(CMatrix_GetCell(Node(1), Node(2)), 0.5, 1e-7) << method;
    Restart();
    ThreeNodeDVine(0.5);
    ASSERT_EQ(Vine_MorvikToCMatrix(nullptr, method, false), 1) << method;
    EXPECT_NEAR(CMatrix_GetCell(Node(1), Node(3)), 0.6148348975, 1e-6) << method;
    Restart();
  }
}

TEST_F(VineConversions, DVineToCanonicalKeepsTheMatrix) {
  ThreeNodeDVine(0.5);
  ASSERT_EQ(Vine_MorvikToCanonical(nullptr, 3), 1) << LastError();
  EXPECT_EQ(GetDependenceType(Node(1)), DepCanonicalVine);
  ASSERT_TRUE(CanVine_toCMatrix(false, nullptr, 0)) << LastError();
  EXPECT_NEAR(CMatrix_GetCell(Node(1), Node(3)), 0.6148348975, 1e-6);
  EXPECT_NEAR(CMatrix_GetCell(Node(2), Node(3)), 0.5, 1e-6);
}

TEST_F(VineConversions, MatrixToDVineMatchesIndependentPartialCorrelations) {
  MakeMatrix(4);
  FillMatrix(kMatrix);
  ASSERT_EQ(CMatrix_toMorvik(nullptr, 0), 1) << LastError();
  EXPECT_EQ(GetDependenceType(Node(1)), DepDVine);
  EXPECT_EQ(tesmira::ChildAt(1, 1), 2);  // a chain now
  EXPECT_EQ(tesmira::ChildAt(2, 1), 3);
  EXPECT_NEAR(Vine_GetCorrValue(Node(1), 1), 0.6, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node(3), 1), 0.45, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node(1), 2), kRho13Given2, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node(2), 2), kRho24Given3, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node(1), 3), kRho14Given23, 1e-6);
}

TEST_F(VineConversions, MatrixToCanonicalToMatrixReproducesEveryCell) {
  const TCorrRows r = RandomCorrelation(5, 42);
  MakeMatrix(5);
  FillMatrix(r);
  ASSERT_TRUE(CMatrix_Verify(true)) << LastError();
  ASSERT_TRUE(CanVine_toCMatrix(false, nullptr, 0)) << LastError();
  for (int i = 0; i < 5; ++i)
    for (int j = i + 1; j < 5; ++j)
      EXPECT_NEAR(CMatrix_GetCell(Node(i + 1), Node(j + 1)), r[i][j], 1e-6);
}

TEST_F(VineConversions, CanonicalToDVineMatchesTheMatrixRoute) {
  MakeMatrix(4);
  FillMatrix(kMatrix);
  ASSERT_TRUE(CMatrix_Verify(true));
  ASSERT_TRUE(CanVine_toCMatrix(true, nullptr, 2)) << LastError();
  EXPECT_EQ(GetDependenceType(Node(1)), DepDVine);
  EXPECT_NEAR(Vine_GetCorrValue(Node(1), 2), kRho13Given2, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node(1), 3), kRho14Given23, 1e-6);
}

bool g_answer = false;
int g_calls = 0;
int g_lastPercent = 0;
bool Answer(int16_t percent, int32_t total) {
  ++g_calls;
  g_lastPercent = percent;
  EXPECT_EQ(total, 100);
  return g_answer;
}

TEST_F(VineConversions, CancelAtTheFirstCallbackLeavesTheStructure) {
  const TCorrRows r = RandomCorrelation(6, 7);
  for (int16_t method : {1, 3}) {
    MakeMatrix(6);
    FillMatrix(r);
    g_answer = false;
    g_calls = 0;
    EXPECT_EQ(CMatrix_toMorvik(Answer, method), 0);
    EXPECT_EQ(g_calls, 1);
    EXPECT_EQ(GetDependenceType(Node(1)), DepCorrelationMatrix);
    EXPECT_NEAR(CMatrix_GetCell(Node(2), Node(5)), r[1][4], 1e-7);
    Restart();
  }
  // Run to the end, the percent reaches about 100.
  MakeDVine(12);
  for (int k = 1; k < 12; ++k) ASSERT_TRUE(Vine_SetCorrValue(Node(k), 1, 0.3));
  g_answer = true;
  g_calls = 0;
  EXPECT_EQ(Vine_MorvikToCMatrix(Answer, 1, false), 1);
  EXPECT_GE(g_lastPercent, 90);
  EXPECT_LE(g_lastPercent, 100);
}

TEST_F(VineConversions, RefusalsKeepTheStructure) {
  MakeMatrix(3);
  FillMatrix({{1, 0.9, 0.9}, {0.9, 1, -0.9}, {0.9, -0.9, 1}});
  EXPECT_EQ(CMatrix_toMorvik(nullptr, 3), 0);
  EXPECT_EQ(LastError(), "The correlation matrix is found to be NOT positive definite. ");
  EXPECT_EQ(GetDependenceType(Node(1)), DepCorrelationMatrix);
  EXPECT_NEAR(CMatrix_GetCell(Node(2), Node(3)), -0.9, 1e-7);

  EXPECT_EQ(Vine_MorvikToCMatrix(nullptr, 3, false), 0);
  EXPECT_EQ(LastError(), "The input structure is not a valid vine. ");
  EXPECT_FALSE(CanVine_toCMatrix(false, nullptr, 3));
  EXPECT_EQ(LastError(), "The input structure is not a valid canonical vine. ");
  EXPECT_EQ(CMatrix_toMorvik(nullptr, 5), 0);
  EXPECT_EQ(CMatrix_toMorvik(nullptr, -1), 0);

  ASSERT_TRUE(CMatrix_SetCell(Node(2), Node(3), 0.2));
  ASSERT_TRUE(CMatrix_Initialize());
  EXPECT_EQ(CMatrix_toMorvik(nullptr, 3), 0);
  EXPECT_EQ(LastError(), "The input correlation matrix contains empty or invalid data cells. ");
}

}  // namespace

namespace {

TEST_F(VineConversions, SecondCallFindsTheSavedResult) {
  ThreeNodeDVine(0.5);
  ASSERT_EQ(Vine_MorvikToCMatrix(nullptr, 3, false), 1);
  // Back to the D-vine by the saved copy, then the same conversion again:
  // the saved matrix is swapped in without any work.
  ASSERT_TRUE(MatchAndSwapDepStructures(DepDVine));
  ASSERT_EQ(GetDependenceType(Node(1)), DepDVine);
  EXPECT_NEAR(Vine_GetCorrValue(Node(1), 2), 0.5, 1e-7);
  g_calls = 0;
  EXPECT_EQ(Vine_MorvikToCMatrix(Answer, 3, false), 1);
  EXPECT_EQ(g_calls, 0);
  EXPECT_EQ(GetDependenceType(Node(1)), DepCorrelationMatrix);
  EXPECT_NEAR(CMatrix_GetCell(Node(1), Node(3)), 0.6148348975, 1e-6);
}

}  // namespace

namespace {

// The canonical vine of a given D-vine is a star under its first node; the
// saved D-vine swaps back with its chain and every value in place, and
// converting the star back gives the same D-vine again.
TEST_F(VineConversions, DVineToCanonicalIsAStarAndSwapsBack) {
  MakeDVine(4);
  const double dvine[4][4] = {{0, 0.6, 0.2, -0.1}, {0, 0.5, 0.3, 0}, {0, 0.45, 0, 0}};
  for (int j = 1; j <= 3; ++j)
    for (int i = 1; j + i <= 4; ++i) ASSERT_TRUE(Vine_SetCorrValue(Node(j), i, dvine[j - 1][i]));
  ASSERT_EQ(Vine_MorvikToCanonical(nullptr, 3), 1) << LastError();
  EXPECT_EQ(GetDependenceType(Node(1)), DepCanonicalVine);
  ASSERT_EQ(tesmira::ChildCount(1), 3);
  for (int k = 2; k <= 4; ++k) {
    EXPECT_EQ(tesmira::ChildAt(1, k - 1), k);
    EXPECT_EQ(tesmira::ChildCount(k), 0);
    EXPECT_EQ(tesmira::ParentIndex(k), 1);
  }
  // Level 1 of a canonical vine is the first row of the matrix.
  EXPECT_NEAR(Vine_GetCorrValue(Node(2), 1), 0.6, 1e-6);
  const double canonical13 = Vine_GetCorrValue(Node(3), 1);

  auto expectDVine = [&](double tolerance) {
    EXPECT_EQ(GetDependenceType(Node(1)), DepDVine);
    for (int k = 1; k <= 3; ++k) {
      EXPECT_EQ(tesmira::ChildCount(k), 1) << k;
      EXPECT_EQ(tesmira::ChildAt(k, 1), k + 1) << k;
    }
    EXPECT_EQ(tesmira::ChildCount(4), 0);
    for (int j = 1; j <= 3; ++j)
      for (int i = 1; j + i <= 4; ++i)
        EXPECT_NEAR(Vine_GetCorrValue(Node(j), i), dvine[j - 1][i], tolerance) << j << "," << i;
  };
  ASSERT_TRUE(MatchAndSwapDepStructures(DepDVine));
  expectDVine(1e-7);
  // And forward again to the saved star.
  ASSERT_TRUE(MatchAndSwapDepStructures(DepCanonicalVine));
  EXPECT_EQ(tesmira::ChildCount(1), 3);
  EXPECT_NEAR(Vine_GetCorrValue(Node(3), 1), canonical13, 1e-7);

  // Without the saved copy the star converts back to the same D-vine; the
  // levels above 1 went through the rank/product-moment table on the way in.
  ReleaseSavedStructure();
  ASSERT_TRUE(CanVine_toCMatrix(true, nullptr, 3)) << LastError();
  for (int j = 1; j <= 3; ++j) EXPECT_NEAR(Vine_GetCorrValue(Node(j), 1), dvine[j - 1][1], 1e-6);
  EXPECT_EQ(tesmira::ChildAt(1, 1), 2);
  EXPECT_EQ(tesmira::ChildAt(3, 1), 4);
}

}  // namespace
