// Analysis of a dependence structure for the normal belief net: the order of
// its nodes and the product-moment correlation matrix that the normal copula
// gives them.
#pragma once

#include <cstdint>
#include <vector>

#include "dependence/numeric_lists.h"

namespace tesmira {

class TAnalyzeDepStruct {
 public:
  // nodeCount is the size of the matrix (at least 1); the matrix starts as
  // the identity and the order list empty.
  TAnalyzeDepStruct(int32_t rootIndex, int32_t nodeCount);
  virtual ~TAnalyzeDepStruct() = default;
  TAnalyzeDepStruct(const TAnalyzeDepStruct&) = delete;
  TAnalyzeDepStruct& operator=(const TAnalyzeDepStruct&) = delete;

  virtual void WalkFrom(int32_t node, int32_t position, TIntegersList& order) = 0;
  virtual void Analyze() = 0;

  int32_t RootIndex() const { return rootIndex_; }
  int32_t NodeCount() const { return nodeCount_; }
  // Node indices by position (0 = the root).
  const TIntegersList& Order() const { return order_; }
  // Correlations by position.
  const TMatrix& Matrix() const { return matrix_; }

 protected:
  int32_t rootIndex_;
  int32_t nodeCount_;
  TIntegersList order_;
  TMatrix matrix_;
};

// A dependence tree: the nodes in depth-first preorder from the root; each
// arc's rank correlation r becomes rho = 2 sin(pi r / 6), and two nodes are
// correlated by the product of rho along the path between them (the normal
// copula makes a node independent of the rest of the tree given its parent).
class TAnalyzeDepTree : public TAnalyzeDepStruct {
 public:
  using TAnalyzeDepStruct::TAnalyzeDepStruct;
  void WalkFrom(int32_t node, int32_t position, TIntegersList& order) override;
  void Analyze() override;

 private:
  std::vector<bool> visited_;
};

}  // namespace tesmira
