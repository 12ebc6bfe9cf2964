#include "dependence/vine_samplers.h"

#include <cmath>

#include "dependence/copulas.h"
#include "dependence/generator.h"
#include "dependence/numeric_lists.h"
#include "distributions/special_functions.h"

namespace tesmira {

namespace {

// The copula types whose conditional inverse the vine samplers use.
bool VineInverseType(int copula) {
  return copula == CopulaFrank || copula == CopulaDiagonalBand || copula == CopulaElliptical ||
         (copula >= 5 && copula <= 12);
}

}  // namespace

double FrankHFast(double v, double u, double theta) {
  if (theta == 0.0 || !(v > 0.0 && v < 1.0) || !(u >= 0.0 && u <= 1.0)) return FrankH(v, u, theta);
  const bool turned = theta < 0.0;
  const double q = turned ? -theta : theta;
  const double w = turned ? 1.0 - v : v;
  const double b = std::expm1(-q * w), c = std::expm1(-q * (1.0 - w));
  const double h = b / (b + c * std::exp(q * (u - w)));
  if (!std::isfinite(h)) return FrankH(v, u, theta);
  return turned ? 1.0 - h : h;
}

// ---- normal belief net -------------------------------------------------------------

bool TNormalBBN::Build(const std::vector<int>& nodes, const TCorrRows& rho) {
  const int n = static_cast<int>(nodes.size());
  if (n < 1 || static_cast<int>(rho.size()) != n) return false;
  TMatrix a(n), l(n);
  for (int i = 0; i < n; ++i) {
    if (static_cast<int>(rho[i].size()) != n) return false;
    for (int j = 0; j < n; ++j) a[i][j] = i == j ? 1.0 : rho[i][j];
  }
  try {
    CholeskyDecomposition(a, l);
  } catch (const EMathsError&) {
    return false;
  }
  nodes_ = nodes;
  lower_.clear();
  for (int j = 0; j < n; ++j)
    for (int k = 0; k <= j; ++k) {
      if (!std::isfinite(l[j][k])) return false;
      lower_.push_back(l[j][k]);
    }
  v_.assign(static_cast<std::size_t>(n), 0.0);
  return true;
}

void TNormalBBN::Sample(double* u, int32_t& idum) const {
  const std::size_t n = nodes_.size();
  double* v = v_.data();
  // The uniforms first, then all their scores at once.
  v[0] = NonZeroUniform(u[nodes_[0]]);
  for (std::size_t k = 1; k < n; ++k) v[k] = NonZeroUniform(NextUniform(idum));
  InverseNormalDouble(v, v, n);
  // Row j of L times v, from the last row up so that v[0..j-1] are still the
  // independent scores; row 0 is (1), the root keeps its score.
  for (std::size_t j = n; j-- > 1;) {
    const double* row = lower_.data() + j * (j + 1) / 2;
    double s = 0.0;
    for (std::size_t k = 0; k <= j; ++k) s += row[k] * v[k];
    v[j] = s;
  }
  // Back to uniforms, NormalCdfSeries of all of them at once.
  NormalCdfDouble(v, v, n);
  for (std::size_t j = 0; j < n; ++j) u[nodes_[j]] = v[j];
}

// ---- canonical vine ------------------------------------------------------------------

void TCanonicalVineSampler::Build(int copula, const std::vector<int>& nodes,
                                  const TCorrRows& values) {
  copula_ = copula;
  nodes_ = nodes;
  const std::size_t m = nodes.empty() ? 0 : nodes.size() - 1;
  row_.assign(m + 1, 0);
  param_.clear();
  for (std::size_t p = 1; p <= m; ++p) {
    row_[p] = param_.size();
    for (std::size_t level = 1; level <= p; ++level) {
      const double r = p < values.size() && level < values[p].size() ? values[p][level] : 0.0;
      param_.push_back(CopulaParameter(copula, r));
    }
  }
  w_.assign(m + 1, 0.0);
}

void TCanonicalVineSampler::Sample(double* u, int32_t& idum) const {
  if (nodes_.size() < 2) return;
  const std::size_t m = nodes_.size() - 1;
  double* w = w_.data();
  w[0] = u[nodes_[0]];
  for (std::size_t p = m; p >= 1; --p) w[p] = NextUniform(idum);
  const bool inverts = VineInverseType(copula_);
  for (std::size_t p = m; p >= 1; --p) {
    // Invert from the highest level (given all lower positions) down to level
    // 1 (given the root); the conditioning value of each level is the fresh
    // uniform of that position, its conditional probability given those before it.
    double t = w[p];
    if (inverts) {
      const double* param = param_.data() + row_[p];
      for (std::size_t a = 1; a <= p; ++a)
        t = ConditionalInverse(copula_, param[p - a], w[p - a], t);
    } else {
      t = 0.0;
    }
    u[nodes_[p]] = t;
  }
}

// ---- D-vine --------------------------------------------------------------------------

std::string DVineMemoMessage() {
  return "Failed to allocate a vector in procedure Sample_to_Dvine, size requested (bytes) :  "
         "8000.00";
}

void TDVineSampler::Build(int copula, const std::vector<int>& nodes, const TCorrRows& values) {
  copula_ = copula;
  nodes_ = nodes;
  n_ = nodes.size();
  param_.assign(n_ * n_, 0.0);
  for (std::size_t j = 0; j + 1 < n_; ++j)
    for (std::size_t i = 1; j + i < n_; ++i) {
      const double r = j < values.size() && i < values[j].size() ? values[j][i] : 0.0;
      param_[j * n_ + j + i] = CopulaParameter(copula, r);
    }
  memo_.assign(n_ * n_, 0.0);
  tags_.assign(n_ * n_, 0);
  stamp_ = 0;
  v_.assign(n_, 0.0);
}

// h(v | u) of the pair at index pair of param_ (Frank by its faster form).
double TDVineSampler::H(std::size_t pair, double u, double v) const {
  if (copula_ == CopulaFrank) {
    const double h = FrankHFast(v, u, param_[pair]);
    if (std::isfinite(h)) return h;
  }
  return ConditionalCdf(copula_, param_[pair], u, v);  // records a fault
}

double TDVineSampler::DVineConditional(int r, int d, int c) const {
  if (r == c) return v_[static_cast<std::size_t>(r)];
  const std::size_t at = static_cast<std::size_t>(r) * n_ + static_cast<std::size_t>(c > r ? c : d);
  if (tags_[at] == stamp_) return memo_[at];
  auto pair = [this](int a, int b) {
    return a < b ? static_cast<std::size_t>(a) * n_ + static_cast<std::size_t>(b)
                 : static_cast<std::size_t>(b) * n_ + static_cast<std::size_t>(a);
  };
  double x;
  if (d == c)
    x = H(pair(r, d), v_[static_cast<std::size_t>(d)], v_[static_cast<std::size_t>(r)]);
  else if (c > r)  // the conditioning positions lie above r: d = r + 1
    x = H(pair(r, c), DVineConditional(c, d, c - 1), DVineConditional(r, d, c - 1));
  else  // they lie below r: c = r - 1
    x = H(pair(r, d), DVineConditional(d, d + 1, c), DVineConditional(r, d + 1, c));
  if (x < -1000.0) x = kCopulaFaultValue;
  tags_[at] = stamp_;
  memo_[at] = x;
  return x;
}

void TDVineSampler::Sample(double* u, int32_t& idum) const {
  if (n_ < 2) return;
  if (++stamp_ == 0) {  // after 2^32 samples the old tags could match again
    std::fill(tags_.begin(), tags_.end(), 0u);
    stamp_ = 1;
  }
  double* v = v_.data();
  v[0] = u[nodes_[0]];
  for (std::size_t i = 1; i < n_; ++i) v[i] = NextUniform(idum);
  const bool inverts = VineInverseType(copula_);
  for (std::size_t i = 1; i < n_; ++i) {
    double t = v[i];
    if (inverts) {
      // From the pair farthest apart (given everything between) to the
      // neighbour. After the pair (j, i), t is the probability of position i
      // given positions j + 1 .. i - 1: the memo entry (i, j + 1) that later
      // positions condition on, kept here instead of computed again.
      for (std::size_t j = 0; j < i; ++j) {
        const double c =
            DVineConditional(static_cast<int>(j), static_cast<int>(j + 1), static_cast<int>(i - 1));
        t = ConditionalInverse(copula_, DVineParameter(static_cast<int>(j), static_cast<int>(i)), c,
                               t);
        if (j + 1 < i) {
          memo_[i * n_ + j + 1] = t;
          tags_[i * n_ + j + 1] = stamp_;
        }
      }
    } else {
      t = 0.5;
    }
    v[i] = t;
  }
  for (std::size_t k = 1; k < n_; ++k) u[nodes_[k]] = v[k];
}

}  // namespace tesmira
