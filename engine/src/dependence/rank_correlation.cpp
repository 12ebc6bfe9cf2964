#include "dependence/rank_correlation.h"

#include <cmath>
#include <numbers>

#include "model/export_guard.h"
#include "tesmira/vines.h"

namespace tesmira {

namespace {

// The first pair i with column[i] <= a <= column[i + 1], by bisection (both
// columns rise strictly, so this is the first bracketing pair); -1 for none.
int BracketPair(double a, bool byRank) {
  auto at = [byRank](int i) -> double {
    return byRank ? RankProductTable[i].rank : RankProductTable[i].product;
  };
  if (!(a >= at(0) && a <= at(RankTablePairs - 1))) return -1;
  int lo = 0, hi = RankTablePairs - 1;  // at(lo) <= a <= at(hi)
  while (hi - lo > 1) {
    int mid = lo + (hi - lo) / 2;
    if (at(mid) < a)
      lo = mid;
    else
      hi = mid;
  }
  return lo;
}

}  // namespace

double RankToProduct(bool rankToProduct, double x) {
  if (!(x >= -1.0 && x <= 1.0)) return x;
  double a = std::fabs(x);
  int i = BracketPair(a, rankToProduct);
  if (i < 0) return x;
  const TRankProductPair& p = RankProductTable[i];
  const TRankProductPair& q = RankProductTable[i + 1];
  double from0 = rankToProduct ? p.rank : p.product;
  double from1 = rankToProduct ? q.rank : q.product;
  double to0 = rankToProduct ? p.product : p.rank;
  double to1 = rankToProduct ? q.product : q.rank;
  double result = to0 + (to1 - to0) * (a - from0) / (from1 - from0);
  return x < 0 ? -result : result;
}

double NormalProductFromRank(double r) { return 2.0 * std::sin(std::numbers::pi * r / 6.0); }

}  // namespace tesmira

double Vine_Rank2prod_corr(bool rankToProduct, double x) {
  return tesmira::Guarded<double>(
      0.0, [&]() -> double { return tesmira::RankToProduct(rankToProduct, x); });
}
