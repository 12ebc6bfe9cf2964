// One result of a run, the sensitivity of a predicted variable Y
// to a base variable X in the presence of explanatory variables. Scalar
// results are stored as 32-bit floats and later steps read the stored value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ranks.h"

namespace tesvane {

// The points of the conditional expectation E[Y | X] of one base variable:
// which point each sample belongs to (-1 for none), and the points' X values.
struct TConditionalPoints {
  std::vector<int32_t> PointOf;  // per sample, in row order
  std::vector<double> X;         // per point
  std::vector<int64_t> Counts;   // samples per point
};

// The grouping from the base row sorted by IntroSort (`order`
// holds the row positions in that sorted order). Runs of a discrete base
// variable are not cut at the usable-sample limit: each distinct value gives
// one point over all its samples.
void BuildConditionalPoints(const double* x, const std::vector<int32_t>& order, int64_t n,
                            int32_t usable, int32_t groups, int32_t baseDistinct,
                            TConditionalPoints& points);

// The sorted order of the documented grouping: positions of x sorted by
// IntroSort with the positions as companion.
void IntroSortOrder(const double* x, int64_t n, std::vector<int32_t>& order);

// The correlation ratio of the least-squares polynomial of degree m that
// predicts y from the standardised base variable z = (x - mean) / sd. The fit
// is computed in the polynomials that are orthogonal over the samples of z
// (monic, by the three-term recurrence p_0 = 1, p_1 = z - a_0,
// p_(k+1) = (z - a_k) p_k - b_k p_(k-1)), which stays accurate where the
// normal equations in powers of z lose every digit (skewed or heavy-tailed
// base variables at higher degrees). With s_k the sum of (y - mean of y) p_k
// and N_k the sum of p_k^2, the fitted values' sum of squares about their mean
// is the sum over k >= 1 of s_k^2 / N_k, and the ratio is that over sst (the
// sum of squares of y about its mean): var(fit) / var(y). When p_(k+1)
// vanishes on the samples (fewer distinct values than k + 2) the basis ends
// at degree k: its fitted values are those of any least-squares polynomial of
// degree m.
struct TOrthogonalBasis {
  int32_t Requested = 0;      // the degree m asked for
  int32_t Degree = 0;         // the degree reached (at most m)
  std::vector<double> Alpha;  // a_0 .. a_(Degree-1)
  std::vector<double> Beta;   // b_0 .. b_(Degree-1) (b_0 = 0)
  std::vector<double> Norms;  // N_0 .. N_Degree
  // The fit in plain powers of the unscaled x (the normal equations) is
  // singular; only then is the scaling factor 1 / sd(x) rather than 1.
  bool UnscaledSingular = false;
};
// Whether the normal equations of a degree-m fit in powers of the unscaled x
// are singular (Gauss-Jordan with full pivoting: a pivot below FitPivotLimit).
// Depends on x alone.
bool UnscaledFitSingular(const double* x, int64_t n, int32_t m);
struct TCorrRatioFit {
  int32_t Status = 0;
  std::vector<double> Coefs;  // c0..cm on unscaled x (and y)
  double CorrRatio = 0.0;
};
inline double StandardScore(double x, double mean, double sd) { return (x - mean) / sd; }
void BuildOrthogonalBasis(const double* z, int64_t n, int32_t m, TOrthogonalBasis& basis);
// s_k = sum of (y_i - meanY) p_k(z_i), k = 0..basis.Degree.
void OrthogonalProjections(const double* z, const double* y, double meanY, int64_t n,
                           const TOrthogonalBasis& basis, std::vector<double>& sums);
TCorrRatioFit FitCorrelationRatio(int32_t m, const TOrthogonalBasis& basis,
                                  const std::vector<double>& sums, double sst, double meanX,
                                  double sdX, double meanY);

class TSensitivityItem {
 public:
  int32_t BasePos = 1;
  float MeanPredicted = 0, MeanBase = 0;
  float VarPredicted = 0, VarBase = 0;
  float Correlation = 0;
  float RankCorrelation = 0;
  float CorrRatio = 0;
  std::vector<double> CondExpY;
  std::vector<double> CondExpX;
  float TiesPredicted = 0, TiesBase = 0;
  int32_t RunsPredicted = 0, RunsBase = 0;
  float RegressionCoef = 0;
  float LinearityIndex = 0;
  int32_t MatrixIndex = 0;
  float PartialCorrelation = 0;
  float PartialRegression = 0;
  float CorrDeterminant = 0;
  float MultipleCorrelation = 0;
  int32_t SampleCount = 0;
  int32_t UsableCount = 0;
  int32_t GroupCount = 20;
  std::vector<std::string> Names;
  // The store positions of Names (the job's variable vector).
  std::vector<int32_t> VariableIds;
  std::vector<double> PolyCoefs;
  int32_t FitStatus = 0;
  std::vector<double> ResultVector;
  float ScalingFactor = 1;
  int32_t BaseDistinct = 0;
  double BaseMin = 0, BaseMax = 0;
  double PredictedMin = 0, PredictedMax = 0;
  // Set by the caller: the predicted variable is also among the explanatory
  // variables, so its partial coefficients with X are not defined.
  bool PredictedIsExplanatory = false;

  // Names of the vector's positions, from the store's names.
  void SetNames(const std::vector<std::string>& loadedNames, const std::vector<int32_t>& vector);
  const std::string& PredictedName() const { return Names[0]; }
  const std::string& BaseName() const { return Names[static_cast<size_t>(BasePos)]; }
  // [0] MeanPredicted .. [11] MultipleCorrelation, also kept in ResultVector.
  std::vector<double> GetResults();

  // The documented computations (item by item).
  void CalcConditionalExpectation(const double* y, const double* x, int32_t usable, int32_t groups);
  void CalcRankCorrelation(const double* y, const double* x, int64_t n);
  // meanX, varX, meanY and varY are the double moments of x and y. The batch engine
  // passes the standardised base row z and its orthogonal basis (built for
  // `degree`) that it keeps per base variable; without them they are computed.
  void CalcCorrelationRatio(const double* y, const double* x, int64_t n, bool sameVariable,
                            int32_t degree, double meanX, double varX, double meanY, double varY,
                            const double* cachedZ = nullptr,
                            const TOrthogonalBasis* cachedBasis = nullptr);
  void CalcPartialCoefficients(double cXX, double cYY, double cYX);
  // As above with the determinant in double precision: the multiple
  // correlation takes det / C_YY from it, so that a ratio of exactly 1 (a
  // constant predicted variable) gives 0 and not the float's rounding.
  void CalcPartialCoefficients(double cXX, double cYY, double cYX, double determinant);

  // The steps shared with the batch engine.
  void SetConditionalExpectation(const double* y, int64_t n, const TConditionalPoints& points);
  void SetRankCorrelation(int64_t n, const TMidRanks& ranksY, const TMidRanks& ranksX, TInt128 d4);
  void SetRegressionCoef();
  void SetCorrelationRatio(const TCorrRatioFit& fit, float scaling);
  void SetSameVariableRatio();
};

}  // namespace tesvane
