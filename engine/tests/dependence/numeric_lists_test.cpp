#include "dependence/numeric_lists.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tesmira {
namespace {

template <typename E, typename F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "<no exception>";
}

TEST(NumericIntegersList, InsertKeepsOrderAndChecksPosition) {
  TIntegersList list;
  list.InsertItem(10, 0);
  list.InsertItem(30, 1);  // append at count
  list.InsertItem(20, 1);  // middle
  list.InsertItem(5, 0);   // front
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Items(), (TIntegersArray{5, 10, 20, 30}));
  for (int bad : {-1, 5}) {
    EXPECT_EQ(MessageOf<std::out_of_range>([&] { list.InsertItem(1, bad); }),
              "Invalid insert position  [TIntegersList.InsertItem]");
  }
  EXPECT_EQ(list.Count(), 4);
}

TEST(NumericDoublesList, AddAppends) {
  TDoublesList list;
  list.Add(1.5);
  list.Add(-2.0);
  EXPECT_EQ(list.Items(), (TDoublesArray{1.5, -2.0}));
}

TEST(NumericVectors, SizeChecksAndCopyFromList) {
  for (int n : {0, -3}) {
    EXPECT_EQ(MessageOf<EMathsError>([&] { TVector v(n); }),
              "Invalid vector size  [TVector.Create]");
    EXPECT_EQ(MessageOf<EMathsError>([&] { TVectorInteger v(n); }),
              "Invalid vector size  [TVector.Create]");
    EXPECT_EQ(MessageOf<EMathsError>([&] { TMatrix m(n); }),
              "Invalid matrix size  [TMatrix.Create]");
  }
  TIntegersList longer;
  for (int i = 0; i < 5; ++i) longer.InsertItem(i + 1, i);
  TVectorInteger v(3);
  v.CopyFromList(longer);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[2], 3);
  TVectorInteger w(4);
  w[3] = 99;
  TIntegersList shorter;
  shorter.InsertItem(7, 0);
  w.CopyFromList(shorter);
  EXPECT_EQ(w[0], 7);
  EXPECT_EQ(w[1], 0);
  EXPECT_EQ(w[3], 99);
}

TEST(NumericMatrix, CopyFromAndDiagonal) {
  TMatrix big(3), small(2);
  big.SetDiagonal(1.0);
  big[0][2] = 4.0;
  big[1][0] = 2.0;
  small.CopyFrom(big);
  EXPECT_EQ(small[0][0], 1.0);
  EXPECT_EQ(small[1][0], 2.0);
  EXPECT_EQ(small[1][1], 1.0);
  TMatrix other(3);
  other.CopyFrom(small);  // only the leading 2 x 2 block
  EXPECT_EQ(other[1][0], 2.0);
  EXPECT_EQ(other[2][2], 0.0);
}

TEST(NumericCholesky, FactorReproducesMatrix) {
  TMatrix a(2), l(2);
  a[0][0] = a[1][1] = 1.0;
  a[0][1] = a[1][0] = 0.5;
  CholeskyDecomposition(a, l);
  EXPECT_EQ(l[0][0], 1.0);
  EXPECT_EQ(l[0][1], 0.0);
  EXPECT_EQ(l[1][0], 0.5);
  EXPECT_NEAR(l[1][1], 0.8660254037844386, 1e-15);

  // A 4 x 4 correlation matrix: L L^T gives it back.
  const double r[4][4] = {
      {1, 0.6, 0.3, -0.2}, {0.6, 1, 0.4, 0.1}, {0.3, 0.4, 1, 0.5}, {-0.2, 0.1, 0.5, 1}};
  TMatrix b(4), lb(4);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) b[i][j] = r[i][j];
  CholeskyDecomposition(b, lb);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += lb[i][k] * lb[j][k];
      EXPECT_NEAR(s, r[i][j], 1e-14);
      if (j > i) {
        EXPECT_EQ(lb[i][j], 0.0);
      }
    }
  // A perfectly correlated pair still factorises (zero last pivot, nothing divides by it).
  TMatrix c(2), lc(2);
  c[0][0] = c[1][1] = c[0][1] = c[1][0] = 1.0;
  CholeskyDecomposition(c, lc);
  EXPECT_EQ(lc[1][1], 0.0);
}

TEST(NumericCholesky, FaultsAreVisibleAndLeaveNoNaN) {
  TMatrix a(2), l3(3);
  EXPECT_EQ(MessageOf<EMathsError>([&] { CholeskyDecomposition(a, l3); }),
            "The symmetric matrix and the lower triangular matrix must have the same size  "
            "[CholeskyDecomposition]");

  // Not positive semi-definite: the radicand of the second row is negative.
  TMatrix bad(3), l(3);
  bad.SetDiagonal(1.0);
  bad[0][1] = bad[1][0] = 0.9;
  bad[0][2] = bad[2][0] = -0.9;
  bad[1][2] = bad[2][1] = 0.9;
  EXPECT_EQ(MessageOf<EMathsError>([&] { CholeskyDecomposition(bad, l); }),
            "Invalid floating point operation  [CholeskyDecomposition]");
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_FALSE(std::isnan(l[i][j]));

  // A zero pivot that a later row divides by.
  TMatrix singular(3), ls(3);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) singular[i][j] = 1.0;
  EXPECT_EQ(MessageOf<EMathsError>([&] { CholeskyDecomposition(singular, ls); }),
            "Zero divide  [CholeskyDecomposition]");

  // NaN input.
  TMatrix withNaN(2), ln(2);
  withNaN.SetDiagonal(1.0);
  withNaN[1][0] = withNaN[0][1] = std::nan("");
  EXPECT_EQ(MessageOf<EMathsError>([&] { CholeskyDecomposition(withNaN, ln); }),
            "Invalid floating point operation  [CholeskyDecomposition]");
}

}  // namespace
}  // namespace tesmira
