#include "dependence/partial_peeling.h"

#include <cmath>

namespace tesmira {

namespace {

bool InClosedUnit(double x) { return x >= -1.0 && x <= 1.0; }  // false for NaN

}  // namespace

TPartialCorrelations::TPartialCorrelations(TWorkMatrix& m, TWorkMatrix* q, int n, int method,
                                           TWorkProgress* progress)
    : m_(m), q_(q), n_(n), method_(method), progress_(progress) {
  if (method_ > PartialMethodPlain && q_ && q_->Allocated())
    tags_.assign(static_cast<std::size_t>(n_ + 1) * static_cast<std::size_t>(n_ + 1), 0);
  else if (method_ > PartialMethodPlain)
    method_ = PartialMethodPlain;  // no memo to work in: the plain recursion gives the same values
}

void TPartialCorrelations::ResetMemo() { ++stamp_; }

bool TPartialCorrelations::Step() {
  if (cancelled_) return false;
  if (progress_ && !progress_->Step()) cancelled_ = true;
  return !cancelled_;
}

double TPartialCorrelations::Memoised(int i, int j, int k) {
  const std::size_t at = static_cast<std::size_t>(i) * static_cast<std::size_t>(n_ + 1) + j;
  const int64_t tag = stamp_ * 1024 + k;
  if (tags_[at] == tag) return q_->At(i, j);
  const double x = PartialCorr(i, j, k);
  tags_[at] = tag;
  q_->At(i, j) = x;
  return x;
}

double TPartialCorrelations::PartialCorr(int i, int j, int k) {
  if (k <= 0) return m_.At(i, j);
  if (cancelled_) return 0.0;
  const int m = pivot_ + k - 1;
  double a = 0, b = 0, c = 0;
  switch (method_) {
    case PartialMethodPlain:
      if (!Step()) return 0.0;
      a = PartialCorr(i, j, k - 1);
      b = PartialCorr(i, m, k - 1);
      c = PartialCorr(j, m, k - 1);
      break;
    case PartialMethodTerms:
      a = Memoised(i, j, k - 1);
      b = Memoised(i, m, k - 1);
      c = Memoised(j, m, k - 1);
      break;
    default: {
      const std::size_t at = static_cast<std::size_t>(i) * static_cast<std::size_t>(n_ + 1) + j;
      const int64_t tag = stamp_ * 1024 + k;
      if (tags_[at] == tag) return q_->At(i, j);
      a = PartialCorr(i, j, k - 1);
      b = PartialCorr(i, m, k - 1);
      c = PartialCorr(j, m, k - 1);
      const double x = (a - b * c) / std::sqrt((1.0 - b * b) * (1.0 - c * c));
      tags_[at] = tag;
      q_->At(i, j) = x;
      return x;
    }
  }
  return (a - b * c) / std::sqrt((1.0 - b * b) * (1.0 - c * c));
}

bool TPartialCorrelations::PeelToMatrix(int r, int s, int a, double x) {
  while (a > 0) {
    if (method_ > PartialMethodPlain && !Step()) return false;
    const int m = pivot_ + a - 1;
    const double e = PartialCorr(r, m, a - 1);
    const double g = PartialCorr(m, s, a - 1);
    if (cancelled_) return false;
    if (!InClosedUnit(e) || !InClosedUnit(g)) {
      failed_ = cancelled_ = true;
      return false;
    }
    if (method_ == PartialMethodTerms) ResetMemo();
    x = x * std::sqrt((1.0 - e * e) * (1.0 - g * g)) + e * g;
    --a;
  }
  m_.At(r, s) = m_.At(s, r) = x;
  return true;
}

bool MatrixFromDVine(const TCorrRows& dvine, TCorrRows& r, int method) {
  const int n = static_cast<int>(dvine.size());
  r.assign(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(n), 0.0));
  for (int i = 0; i < n; ++i) r[i][i] = 1.0;
  if (n < 2) return true;
  if (n > TWorkMatrix::MaxColumn) return false;
  TWorkMatrix m, q;
  if (!m.Allocate(n) || !q.Allocate(n)) return false;
  m.Reset(0.0, n);
  TPartialCorrelations pc(m, &q, n, method, nullptr);
  for (int level = 1; level <= n - 1; ++level) {
    for (int j = 1; j <= n - level; ++j) {
      pc.SetPivot(j + 1);
      pc.ResetMemo();
      const double x =
          dvine[j - 1].size() > static_cast<std::size_t>(level) ? dvine[j - 1][level] : 0.0;
      if (!InClosedUnit(x) || !pc.PeelToMatrix(j, j + level, level - 1, x)) return false;
    }
  }
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b) r[a][b] = m.At(a + 1, b + 1);
  return true;
}

bool DVineFromMatrix(const TCorrRows& r, TCorrRows& dvine, int method) {
  const int n = static_cast<int>(r.size());
  dvine.assign(static_cast<std::size_t>(n), {});
  for (int j = 0; j < n; ++j) dvine[j].assign(static_cast<std::size_t>(n - j), 0.0);
  if (n < 2) return true;
  if (n > TWorkMatrix::MaxColumn) return false;
  TWorkMatrix m, q;
  if (!m.Allocate(n) || !q.Allocate(n)) return false;
  for (int a = 1; a <= n; ++a)
    for (int b = 1; b <= n; ++b) m.At(a, b) = a == b ? 1.0 : r[a - 1][b - 1];
  TPartialCorrelations pc(m, &q, n, method, nullptr);
  for (int e = 0; e <= n - 2; ++e) {
    for (int row = 1; row <= n - 1 - e; ++row) {
      pc.SetPivot(row + 1);
      pc.ResetMemo();
      const double v = pc.PartialCorr(row, row + e + 1, e);
      if (!(v > -1.0 && v < 1.0)) return false;
      dvine[row - 1][e + 1] = v;
    }
  }
  return true;
}

void MatrixFromCanonical(const TCorrRows& canonical, TCorrRows& r) {
  const int n = static_cast<int>(canonical.size());
  r.assign(static_cast<std::size_t>(n), std::vector<double>(static_cast<std::size_t>(n), 0.0));
  auto value = [&canonical](int p, int level) {
    return canonical[p].size() > static_cast<std::size_t>(level) ? canonical[p][level] : 0.0;
  };
  for (int i = 0; i < n; ++i) {
    r[i][i] = 1.0;
    for (int j = i + 1; j < n; ++j) {
      // Start from rho(i, j | 0..i-1), the value of node j at level i + 1, and
      // take the conditioning positions away from the last to the first.
      double x = value(j, i + 1);
      for (int k = i - 1; k >= 0; --k) {
        const double a = value(i, k + 1), b = value(j, k + 1);
        x = x * std::sqrt((1.0 - a * a) * (1.0 - b * b)) + a * b;
      }
      r[i][j] = r[j][i] = x;
    }
  }
}

}  // namespace tesmira
