// The engine's work matrices and the partial-correlation sweep that both tests
// a correlation matrix for positive definiteness and yields its canonical vine.
#pragma once

#include <functional>
#include <vector>

namespace tesmira {

// A square work matrix of doubles with 1-based rows 1..rows and columns
// 0..MaxColumn. It exists only during one verification or conversion.
class TWorkMatrix {
 public:
  static constexpr int MaxColumn = 1000;

  // Rows for 1..rows; false when the memory cannot be had (nothing kept then).
  bool Allocate(int rows);
  void Free();
  bool Allocated() const { return rows_ > 0; }
  int Rows() const { return rows_; }
  double& At(int r, int c) { return data_[static_cast<std::size_t>(r) * (MaxColumn + 1) + c]; }
  double At(int r, int c) const { return data_[static_cast<std::size_t>(r) * (MaxColumn + 1) + c]; }
  // ResetWorkMatrix: column r of every row r is 1.0, every other column fill.
  void Reset(double fill) { Reset(fill, rows_); }
  // The same for the leading block of rows and columns 1..size only.
  void Reset(double fill, int size);

 private:
  int rows_ = 0;
  std::vector<double> data_;
};

// The conversion matrix M and the memo matrix Q.
TWorkMatrix& ConversionMatrix();
TWorkMatrix& MemoMatrix();

// Allocates M (and Q when withMemo) with rows 1..rows (the model's node
// count); false when out of memory, and then nothing stays allocated.
bool AllocateWorkMatrices(int rows, bool withMemo);
void FreeWorkMatrices();

// Called with (level, position, value) for every canonical vine value of level
// 2 and higher: the partial correlation of positions level and position
// given positions 1..level-1.
using TCanonicalWriter = std::function<void(int level, int position, double value)>;

// The sweep over n variables. m holds the correlations in left-aligned rows:
// m(i, k) = rho(i, i + k) for i = 1..n-1, k = 1..n-i; q is scratch of the same
// shape. m and q are overwritten. True when every partial correlation lies
// strictly inside (-1, 1), which holds exactly when the matrix is positive
// definite; the writer (optional) receives the values as they are found.
bool PartialCorrelationSweep(TWorkMatrix& m, TWorkMatrix& q, int n, const TCanonicalWriter& write);

// Convenience over a full symmetric matrix (0-based, n x n): the canonical vine
// values vine[p][l] (0-based position p, level l = 1..p) of positions 1..n;
// false when the matrix is not positive definite (vine is then incomplete).
bool CanonicalVineFromMatrix(const std::vector<std::vector<double>>& r,
                             std::vector<std::vector<double>>& vine);

}  // namespace tesmira
