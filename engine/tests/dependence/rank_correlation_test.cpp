#include "dependence/rank_correlation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tesmira/vines.h"

namespace {

using tesmira::RankProductTable;
using tesmira::RankTablePairs;

TEST(RankTable, HoldsTheListedPairsOnTheGrid) {
  struct Row {
    int i;
    float product;
  };
  const Row rows[] = {{0, 0.0f},           {1, 0.00192777603f}, {50, 0.0964247584f},
                      {100, 0.193065494f}, {250, 0.48644653f},  {400, 0.789577305f},
                      {499, 0.997855484f}, {500, 1.0f}};
  for (const Row& r : rows) {
    EXPECT_EQ(RankProductTable[r.i].rank, static_cast<float>(0.002 * r.i)) << r.i;
    EXPECT_EQ(RankProductTable[r.i].product, r.product) << r.i;
  }
}

TEST(RankTable, BothColumnsRiseStrictlyAndTheSecondStaysBelowTheGrid) {
  for (int i = 0; i < RankTablePairs; ++i) {
    EXPECT_EQ(RankProductTable[i].rank, static_cast<float>(0.002 * i)) << i;
    if (i > 0) {
      EXPECT_GT(RankProductTable[i].rank, RankProductTable[i - 1].rank) << i;
      EXPECT_GT(RankProductTable[i].product, RankProductTable[i - 1].product) << i;
    }
    if (i > 0 && i < RankTablePairs - 1) {
      EXPECT_LT(RankProductTable[i].product, RankProductTable[i].rank) << i;
    }
  }
}

TEST(Rank2ProdCorr, ConvertsBothWaysWithTheSignKept) {
  struct Case {
    bool toProduct;
    double x;
    double expected;
    double tolerance;
  };
  const Case cases[] = {
      {true, 0.5, 0.48644653, 1e-7},
      {true, -0.5, -0.48644653, 1e-7},
      {false, 0.48644653, 0.5, 1e-6},
      {false, -0.48644653, -0.5, 1e-6},
      {true, 1.0, 1.0, 0.0},
      {true, -1.0, -1.0, 0.0},
      {false, 1.0, 1.0, 0.0},
      {true, 0.0, 0.0, 0.0},
      {true, 1.5, 1.5, 0.0},
      {true, -1.5, -1.5, 0.0},
      {false, 1.5, 1.5, 0.0},
      // halfway between two pairs: the mean of their values
      {true, 0.501, (0.48644653 + 0.48842856) / 2, 1e-7},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(Vine_Rank2prod_corr(c.toProduct, c.x), c.expected, c.tolerance)
        << c.toProduct << " " << c.x;
}

TEST(Rank2ProdCorr, RoundTripsAndLeavesNaNAlone) {
  for (double r = -0.99; r < 1.0; r += 0.0731)
    EXPECT_NEAR(Vine_Rank2prod_corr(false, Vine_Rank2prod_corr(true, r)), r, 1e-6) << r;
  EXPECT_TRUE(std::isnan(Vine_Rank2prod_corr(true, std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
