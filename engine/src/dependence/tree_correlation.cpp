#include "dependence/tree_correlation.h"

#include <algorithm>

#include "dependence/rank_correlation.h"
#include "model/store.h"

namespace tesmira {

TAnalyzeDepStruct::TAnalyzeDepStruct(int32_t rootIndex, int32_t nodeCount)
    : rootIndex_(rootIndex), nodeCount_(std::max<int32_t>(nodeCount, 1)), matrix_(nodeCount_) {
  matrix_.SetDiagonal(1.0);
}

void TAnalyzeDepTree::Analyze() {
  if (!NodeAt(rootIndex_) || !IsStructureHead(rootIndex_, false)) return;
  visited_.assign(static_cast<std::size_t>(tesmira::NodeCount()) + 1, false);
  visited_[rootIndex_] = true;
  order_.InsertItem(rootIndex_, order_.Count());
  WalkFrom(rootIndex_, 0, order_);
}

void TAnalyzeDepTree::WalkFrom(int32_t node, int32_t position, TIntegersList& order) {
  const std::size_t needed = static_cast<std::size_t>(tesmira::NodeCount()) + 1;
  if (visited_.size() < needed) visited_.resize(needed, false);
  const int children = ChildCount(node);
  for (int k = 1; k <= children; ++k) {
    const int c = ChildAt(node, k);
    // A corrupt structure may list a node twice or in a loop; each node is
    // placed once, and never more nodes than the matrix holds.
    if (!NodeAt(c) || visited_[c] || order.Count() >= nodeCount_) continue;
    visited_[c] = true;
    order.InsertItem(c, order.Count());
    const int32_t q = order.Count() - 1;
    const double rho = NormalProductFromRank(NodeCorrelation(c));
    for (int32_t x = 0; x < q; ++x) {
      const double r = rho * matrix_[position][x];
      matrix_[q][x] = r;
      matrix_[x][q] = r;
    }
    WalkFrom(c, q, order);
  }
}

}  // namespace tesmira
