// Samplers of whole structures given by (conditional) rank correlations: the
// normal belief net (correlated standard normals through a Cholesky factor),
// the canonical vine sampler (nested conditional inverses) and the D-vine
// sampler. Each is built once per run from the structure's values and then
// draws one sample per call into the run's array of uniforms, indexed by
// 0-based node position; the structure's root value is read from that array
// (the run has drawn it already) and every other member is overwritten.
// Nothing is allocated per sample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dependence/partial_peeling.h"

namespace tesmira {

// The smallest uniform handed to the normal quantile: a generator value of
// exactly 0 becomes 2^-33 (the stream itself is unchanged).
inline double NonZeroUniform(double u) { return u > 0.0 ? u : 0x1p-33; }

// The Frank h(v | u) = b / (b + c e^(q (u - w))) with b = e^(-q w) - 1 and
// c = e^(-q (1 - w)) - 1, q = |theta|, w = v (for theta < 0: w = 1 - v and
// the complement): FrankH's value at three exponentials instead of five,
// without cancellation (b and c have one sign) or overflow.
double FrankHFast(double v, double u, double theta);

// Sample is SampleNormalBBN for one structure.
class TNormalBBN {
 public:
  // nodes: the members' array positions, root first; rho: the product-moment
  // correlation matrix in the same order. False when rho is not positive
  // definite (or not square of the right size).
  bool Build(const std::vector<int>& nodes, const TCorrRows& rho);
  void Sample(double* u, int32_t& idum) const;
  int Size() const { return static_cast<int>(nodes_.size()); }

 private:
  std::vector<int> nodes_;
  std::vector<double> lower_;  // the Cholesky factor, row j holding columns 0..j
  mutable std::vector<double> v_;
};

// Sample is SampleCanonicalVine for one structure.
class TCanonicalVineSampler {
 public:
  // copula: the vine's copula type; values[p][l] (p = 1..m, l = 1..p) the rank
  // correlation of level l of the node at position p.
  void Build(int copula, const std::vector<int>& nodes, const TCorrRows& values);
  void Sample(double* u, int32_t& idum) const;

 private:
  int copula_ = 0;
  std::vector<int> nodes_;
  std::vector<std::size_t> row_;   // start of position p's parameters in param_
  std::vector<double> param_;      // copula parameter of (p, level)
  mutable std::vector<double> w_;  // the position's fresh uniforms
};

// Sample is Sample_to_Dvine for one structure: position i is drawn by
// inverting its fresh uniform through the pairs (0, i), (1, i), .., (i-1, i),
// each given DVineConditional of the lower position.
class TDVineSampler {
 public:
  // values[j][i] (j = 0..n-2, i = 1..n-1-j): the rank correlation of positions
  // j and j + i given the positions between them. Throws std::bad_alloc when
  // the memo cannot be had.
  void Build(int copula, const std::vector<int>& nodes, const TCorrRows& values);
  void Sample(double* u, int32_t& idum) const;

 private:
  double DVineParameter(int a, int b) const {
    return a < b ? param_[static_cast<std::size_t>(a) * n_ + b]
                 : param_[static_cast<std::size_t>(b) * n_ + a];
  }
  double DVineConditional(int r, int d, int c) const;

  double H(std::size_t pair, double u, double v) const;

  int copula_ = 0;
  std::size_t n_ = 0;
  std::vector<int> nodes_;
  std::vector<double> param_;  // n x n, upper triangle
  // The memo of conditional probabilities of the current sample: entry (r, e)
  // holds the probability of position r given the positions from r's
  // neighbour up to e (the conditioning set of a D-vine is always a run of
  // neighbours on one side of r). Valid while its tag equals the sample's.
  mutable std::vector<double> memo_;
  mutable std::vector<uint32_t> tags_;
  mutable uint32_t stamp_ = 0;
  mutable std::vector<double> v_;
};

// The message of a memo that cannot be allocated.
std::string DVineMemoMessage();

}  // namespace tesmira
