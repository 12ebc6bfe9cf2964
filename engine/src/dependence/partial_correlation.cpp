#include "dependence/partial_correlation.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

namespace tesmira {

bool TWorkMatrix::Allocate(int rows) {
  Free();
  if (rows <= 0) return false;
  try {
    data_.assign(static_cast<std::size_t>(rows + 1) * (MaxColumn + 1), 0.0);
  } catch (const std::bad_alloc&) {
    Free();
    return false;
  } catch (const std::length_error&) {
    Free();
    return false;
  }
  rows_ = rows;
  return true;
}

void TWorkMatrix::Free() {
  std::vector<double>().swap(data_);
  rows_ = 0;
}

void TWorkMatrix::Reset(double fill, int size) {
  const int rows = std::min(size, rows_);
  const int columns = size >= rows_ ? MaxColumn : std::min(size, MaxColumn);
  for (int r = 1; r <= rows; ++r)
    for (int c = 0; c <= columns; ++c) At(r, c) = (c == r) ? 1.0 : fill;
}

TWorkMatrix& ConversionMatrix() {
  static TWorkMatrix m;
  return m;
}

TWorkMatrix& MemoMatrix() {
  static TWorkMatrix q;
  return q;
}

bool AllocateWorkMatrices(int rows, bool withMemo) {
  if (rows < 1) rows = 1;
  if (rows > TWorkMatrix::MaxColumn) rows = TWorkMatrix::MaxColumn;
  if (!ConversionMatrix().Allocate(rows)) return false;
  if (withMemo && !MemoMatrix().Allocate(rows)) {
    FreeWorkMatrices();
    return false;
  }
  return true;
}

void FreeWorkMatrices() {
  ConversionMatrix().Free();
  MemoMatrix().Free();
}

bool PartialCorrelationSweep(TWorkMatrix& m, TWorkMatrix& q, int n, const TCanonicalWriter& write) {
  for (int c = n - 1; c >= 2; --c) {
    const int d = n - c;  // variables eliminated so far
    for (int i = 1; i <= c - 1; ++i) {
      for (int k = 1; k <= c - i; ++k) {
        const double a = m.At(1, i);
        const double b = m.At(1, k + i);
        const double f = m.At(i + 1, k);
        const double den = (1.0 - a * a) * (1.0 - b * b);
        const double p = den > 0.0 ? (f - a * b) / std::sqrt(den) : 0.0;
        if (!(p > -1.0 && p < 1.0)) return false;  // also NaN
        if (i == 1 && write) write(d + 1, d + k + 1, p);
        q.At(i, k) = p;
      }
    }
    for (int i = 1; i <= c - 1; ++i)
      for (int k = 1; k <= c - i; ++k) m.At(i, k) = q.At(i, k);
  }
  return true;
}

bool CanonicalVineFromMatrix(const std::vector<std::vector<double>>& r,
                             std::vector<std::vector<double>>& vine) {
  const int n = static_cast<int>(r.size());
  vine.assign(n, {});
  for (int p = 0; p < n; ++p) vine[p].assign(p + 1, 0.0);
  if (n > TWorkMatrix::MaxColumn) return false;
  TWorkMatrix m, q;
  if (!m.Allocate(std::max(n, 1)) || !q.Allocate(std::max(n, 1))) return false;
  for (int i = 1; i <= n - 1; ++i)
    for (int k = 1; k <= n - i; ++k) {
      double x = r[i - 1][i + k - 1];
      if (!(x > -1.0 && x < 1.0)) return false;
      m.At(i, k) = x;
    }
  for (int p = 2; p <= n; ++p) vine[p - 1][1] = r[0][p - 1];
  return PartialCorrelationSweep(m, q, n, [&vine](int level, int position, double value) {
    vine[position - 1][level] = value;
  });
}

}  // namespace tesmira
