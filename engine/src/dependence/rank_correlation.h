// Conversion between rank correlations and product-moment correlations.
#pragma once

namespace tesmira {

// One pair of the conversion table: a rank value on the grid 0, 0.002, ..., 1
// and the product-moment value belonging to it.
struct TRankProductPair {
  float rank;
  float product;
};

inline constexpr int RankTablePairs = 501;
extern const TRankProductPair RankProductTable[RankTablePairs];

// Vine_Rank2prod_corr: linear interpolation in the table, sign kept; values
// outside [-1, 1] (and NaN) come back unchanged.
double RankToProduct(bool rankToProduct, double x);

// Pearson's relation for the normal copula: rho = 2 sin(pi r / 6).
double NormalProductFromRank(double r);

}  // namespace tesmira
