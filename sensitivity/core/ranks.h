// Mid-ranks with tie sums (CalcMidRanks) and the Spearman rank
// correlation with tie correction, in exact integer arithmetic: a doubled
// mid-rank is an integer, the tie sum is kept as the sum of t^3 - t, and the
// sum of squared rank differences as a 128-bit integer, so the result is
// exact up to the final division even at 10^6 samples and beyond.
#pragma once

#include <cstdint>
#include <vector>

namespace tesvane {

using TInt128 = __int128;

struct TMidRanks {
  // Twice the mid-rank of each sample, in the order of the row; the smallest
  // value has rank n (doubled: 2n), the largest rank 1.
  std::vector<int32_t> TwiceRanks;
  // Sum over the runs of equal values of t^3 - t (the tie sum is this / 12).
  TInt128 TieSum12 = 0;
  // Number of runs of equal values (distinct values).
  int32_t Runs = 0;
  double TieSum() const { return static_cast<double>(TieSum12) / 12.0; }
};

// The documented way: IntroSort with the positions as companion,
// then the runs of exactly equal values.
void CalcMidRanks(const double* row, int64_t n, TMidRanks& ranks);

// The same ranks by a radix sort of the keys (whose result cannot differ:
// tied values share their mid-rank whatever their order). `order`, when
// given, receives the positions in ascending order of the values.
void CalcMidRanksFast(const double* row, int64_t n, TMidRanks& ranks,
                      std::vector<int32_t>* order = nullptr);

// Sum of (2 rank_y - 2 rank_x)^2 over the samples.
TInt128 SumSquaredRankDifferences4(const int32_t* twiceRanksY, const int32_t* twiceRanksX,
                                   int64_t n);

// Spearman's rho from the tie sums and the sum of squared doubled rank
// differences: (Dy + Dx - D) / (2 sqrt(Dy Dx)) with Dy = (n^3 - n - Ty)/12;
// 0 when Dy Dx is not positive.
double SpearmanFromSums(int64_t n, TInt128 tieSum12Y, TInt128 tieSum12X, TInt128 d4);

// The sort order of a row by a radix sort (positions ascending among equal values): order[i] is the
// position of the i-th smallest value. -0 and +0 are equal.
void RadixSortOrder(const double* row, int64_t n, std::vector<int32_t>& order);

// A Spearman correlation matrix of the columns (each of n samples), ranks
// computed once per column; `threads` 0 uses the hardware's.
std::vector<double> SpearmanMatrix(const std::vector<const double*>& columns, int64_t n,
                                   unsigned threads = 0);

}  // namespace tesvane
