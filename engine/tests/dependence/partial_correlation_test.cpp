#include "dependence/partial_correlation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A positive-definite 4 x 4 correlation matrix and its canonical vine: the
// partial correlation of positions (level, p) given positions 1..level-1,
// computed independently from the inverse of each submatrix.
const std::vector<std::vector<double>> kMatrix4 = {
    {1.0, 0.6, 0.3, -0.2}, {0.6, 1.0, 0.5, 0.1}, {0.3, 0.5, 1.0, 0.4}, {-0.2, 0.1, 0.4, 1.0}};

struct VineValue {
  int position;  // 1-based
  int level;
  double value;
};

const VineValue kVine4[] = {
    {2, 1, 0.6},
    {3, 1, 0.3},
    {3, 2, 0.41931393468876732},
    {4, 1, -0.2},
    {4, 2, 0.28067069969390579},
    {4, 3, 0.42975326418782933},
};

TEST(PartialCorrelationSweep, YieldsTheCanonicalVineOfAPositiveDefiniteMatrix) {
  std::vector<std::vector<double>> vine;
  ASSERT_TRUE(tesmira::CanonicalVineFromMatrix(kMatrix4, vine));
  for (const VineValue& v : kVine4) EXPECT_NEAR(vine[v.position - 1][v.level], v.value, 1e-12);
}

TEST(PartialCorrelationSweep, RefusesMatricesThatAreNotPositiveDefinite) {
  std::vector<std::vector<double>> vine;
  // eigenvalues -0.8, 1.9, 1.9
  EXPECT_FALSE(
      tesmira::CanonicalVineFromMatrix({{1, 0.9, 0.9}, {0.9, 1, -0.9}, {0.9, -0.9, 1}}, vine));
  // singular (determinant 0): the partial correlation of 2 and 3 given 1 is -1
  EXPECT_FALSE(
      tesmira::CanonicalVineFromMatrix({{1, 0.5, 0.5}, {0.5, 1, -0.5}, {0.5, -0.5, 1}}, vine));
  EXPECT_TRUE(tesmira::CanonicalVineFromMatrix({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, vine));
  EXPECT_TRUE(tesmira::CanonicalVineFromMatrix({{1, 0.9}, {0.9, 1}}, vine));
}

}  // namespace
