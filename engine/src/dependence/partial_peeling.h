// Partial correlations of a correlation matrix and the peeling of a D-vine's
// conditional correlations into the matrix: the arithmetic shared by the vine
// and matrix conversions and by the normal belief nets of the run.
//
// A partial correlation rho(i, j | pivot .. pivot + k - 1) is computed by the
// recursion
//   rho(i, j | S + m) = (rho(i, j | S) - rho(i, m | S) rho(j, m | S))
//                       / sqrt((1 - rho(i, m | S)^2)(1 - rho(j, m | S)^2)),
// and peeling runs it backwards, turning rho(r, s | pivot .. pivot + a - 1)
// into rho(r, s).
#pragma once

#include <cstdint>
#include <vector>

#include "dependence/partial_correlation.h"

namespace tesmira {

// Square matrix of doubles, 0-based rows.
using TCorrRows = std::vector<std::vector<double>>;

// How partial correlations are evaluated: 1 plain recursion (exponential in
// the size of the conditioning set), 2 the three terms of each step memoised,
// 3 and 4 every result memoised. All give the same values.
inline constexpr int PartialMethodPlain = 1;
inline constexpr int PartialMethodTerms = 2;
inline constexpr int PartialMethodMemo = 3;

// Progress and cancel of a long evaluation: Step is called once per unit of
// work and returns false when the work is to stop.
class TWorkProgress {
 public:
  virtual ~TWorkProgress() = default;
  virtual bool Step() = 0;
};

// The evaluator over a full symmetric matrix m (1-based rows and columns
// 1..n) with its memo q; q is only touched with a method above 1.
class TPartialCorrelations {
 public:
  TPartialCorrelations(TWorkMatrix& m, TWorkMatrix* q, int n, int method, TWorkProgress* progress);

  void SetPivot(int pivot) { pivot_ = pivot; }
  // Forgets every memoised value.
  void ResetMemo();
  // rho(i, j | pivot .. pivot + k - 1).
  double PartialCorr(int i, int j, int k);
  // Peels x = rho(r, s | pivot .. pivot + a - 1) down to rho(r, s) and
  // stores it in m(r, s) and m(s, r). False when a partial correlation on the
  // way lies outside [-1, 1] (failed) or when the progress asked to stop.
  bool PeelToMatrix(int r, int s, int a, double x);

  bool Cancelled() const { return cancelled_; }
  bool Failed() const { return failed_; }

 private:
  double Memoised(int i, int j, int k);
  bool Step();

  TWorkMatrix& m_;
  TWorkMatrix* q_;
  int n_;
  int method_;
  int pivot_ = 1;
  TWorkProgress* progress_;
  bool cancelled_ = false;
  bool failed_ = false;
  // A memo entry (i, j) is valid while its tag equals stamp * 1024 + k: the
  // memo of one pivot is forgotten by a new stamp, not by rewriting it.
  std::vector<int64_t> tags_;
  int64_t stamp_ = 1;
};

// ---- whole-matrix helpers (0-based) --------------------------------------------

// The correlation matrix of a D-vine: dvine[j][i] = rho(j, j + i | j + 1 ..
// j + i - 1) for j = 0..n-2 and i = 1..n-1-j. False when the values are not
// those of a correlation matrix.
bool MatrixFromDVine(const TCorrRows& dvine, TCorrRows& r, int method = PartialMethodMemo);

// The D-vine of a correlation matrix, values as above. False when a value is
// not finite or not strictly inside (-1, 1) (the matrix is not positive definite).
bool DVineFromMatrix(const TCorrRows& r, TCorrRows& dvine, int method = PartialMethodMemo);

// The correlation matrix of a canonical vine: canonical[p][l] = rho(l - 1, p |
// 0 .. l - 2) for p = 1..n-1 and l = 1..p (level l of the node at position p).
void MatrixFromCanonical(const TCorrRows& canonical, TCorrRows& r);

}  // namespace tesmira
