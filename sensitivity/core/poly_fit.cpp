#include "poly_fit.h"

#include <cmath>
#include <utility>

namespace tesvane {

namespace {
thread_local int32_t LastFitStatus = 0;
}

void SetFitStatus(int32_t value) { LastFitStatus = value; }
int32_t GetFitStatus() { return LastFitStatus; }

int32_t PolyFit(const double* x, const double* y, int64_t n, int32_t m, TSquareMatrix& A,
                std::vector<double>& b) {
  if (n - 1 < m) {
    SetFitStatus(FitTooFewSamples);
    return FitTooFewSamples;
  }
  A = TSquareMatrix(m + 1);
  b.assign(static_cast<size_t>(m) + 1, 0.0);
  A(0, 0) = static_cast<double>(n);
  for (int64_t j = 0; j < n; ++j) {
    const double u = x[j];
    const double w = y[j];
    b[0] += w;
    A(0, 1) += u;
    b[1] += u * w;
    double power = u;
    for (int32_t p = 2; p <= m; ++p) {
      power *= u;
      A(0, p) += power;
      b[static_cast<size_t>(p)] += power * w;
    }
    for (int32_t q = 0; q <= m - 1; ++q) {
      power *= u;
      A(q + 1, m) += power;
    }
  }
  for (int32_t r = 0; r <= m - 1; ++r)
    for (int32_t c = 0; c <= m - 1; ++c) A(r + 1, c) = A(r, c + 1);
  return SolveGaussJordan(A, b, 0, m);
}

void NormalEquations(const std::vector<double>& sumX, const std::vector<double>& sumXY, int32_t m,
                     TSquareMatrix& A, std::vector<double>& b) {
  A = TSquareMatrix(m + 1);
  b.assign(static_cast<size_t>(m) + 1, 0.0);
  for (int32_t r = 0; r <= m; ++r) {
    b[static_cast<size_t>(r)] = sumXY[static_cast<size_t>(r)];
    for (int32_t c = 0; c <= m; ++c) A(r, c) = sumX[static_cast<size_t>(r + c)];
  }
}

int32_t SolveGaussJordan(TSquareMatrix& A, std::vector<double>& b, int32_t first, int32_t last) {
  const int32_t count = last - first + 1;
  std::vector<int32_t> pivotRows(static_cast<size_t>(count > 0 ? count : 0));
  std::vector<int32_t> pivotColumns(pivotRows.size());
  std::vector<double> f(static_cast<size_t>(A.Size()));
  for (int32_t i = first; i <= last; ++i) {
    int32_t pr = i, pc = i;
    double best = std::fabs(A(i, i));
    for (int32_t r = i; r <= last; ++r) {
      for (int32_t c = i; c <= last; ++c) {
        double v = std::fabs(A(r, c));
        if (v > best) {
          best = v;
          pr = r;
          pc = c;
        }
      }
    }
    pivotRows[static_cast<size_t>(i - first)] = pr;
    pivotColumns[static_cast<size_t>(i - first)] = pc;
    const double pivot = A(pr, pc);
    if (!(std::fabs(pivot) >= FitPivotLimit)) {
      SetFitStatus(FitSingular);
      return FitSingular;
    }
    if (pr != i) {
      for (int32_t c = first; c <= last; ++c) std::swap(A(pr, c), A(i, c));
      std::swap(b[static_cast<size_t>(pr)], b[static_cast<size_t>(i)]);
    }
    if (pc != i)
      for (int32_t r = first; r <= last; ++r) std::swap(A(r, pc), A(r, i));
    for (int32_t r = first; r <= last; ++r) {
      f[static_cast<size_t>(r)] = r == i ? 0.0 : A(r, i);
      A(r, i) = r == i ? 1.0 : 0.0;
    }
    const double inv = 1.0 / pivot;
    for (int32_t c = first; c <= last; ++c) A(i, c) *= inv;
    b[static_cast<size_t>(i)] *= inv;
    for (int32_t r = first; r <= last; ++r) {
      if (r == i) continue;
      const double fr = f[static_cast<size_t>(r)];
      for (int32_t c = first; c <= last; ++c) A(r, c) -= fr * A(i, c);
      b[static_cast<size_t>(r)] -= fr * b[static_cast<size_t>(i)];
    }
  }
  for (int32_t s = last; s >= first; --s) {
    int32_t pc = pivotColumns[static_cast<size_t>(s - first)];
    if (pc != s) {
      for (int32_t c = first; c <= last; ++c) std::swap(A(s, c), A(pc, c));
      std::swap(b[static_cast<size_t>(s)], b[static_cast<size_t>(pc)]);
    }
  }
  for (int32_t s = last; s >= first; --s) {
    int32_t pr = pivotRows[static_cast<size_t>(s - first)];
    if (pr != s)
      for (int32_t r = first; r <= last; ++r) std::swap(A(r, s), A(r, pr));
  }
  SetFitStatus(FitSolved);
  return FitSolved;
}

}  // namespace tesvane
