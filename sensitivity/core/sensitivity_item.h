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
// predicts y from the standardised base variable z = (x - mean) / sd. sumZ
// holds the sums of z^p (p = 0..2m) and sumZY those of z^p (y - mean of y)
// (p = 0..m), accumulated with running powers; sst is the sum of squares of
// y about its mean. With the normal equations A c = b solved, the fitted
// values' sum of squares about their mean is c.b - b0^2 / n, and the ratio is
// that over sst: var(fit) / var(y). A singular fit (fewer distinct z than
// m + 1) is redone at lower degrees: its fitted values are those of any
// least-squares polynomial of degree m.
struct TCorrRatioFit {
  int32_t Status = 0;
  std::vector<double> Coefs;  // c0..cm on unscaled x (and y)
  double CorrRatio = 0.0;
};
inline double StandardScore(double x, double mean, double sd) { return (x - mean) / sd; }
void PowerSums(const double* z, int64_t n, int32_t m, std::vector<double>& sumZ);
void PowerSumsY(const double* z, const double* y, double meanY, int64_t n, int32_t m,
                std::vector<double>& sumZY);
TCorrRatioFit FitCorrelationRatio(int64_t n, int32_t m, const std::vector<double>& sumZ,
                                  const std::vector<double>& sumZY, double sst, double meanX,
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
  // passes the standardised base row z and its power sums (up to at least
  // 2 degree) that it keeps per base variable; without them they are computed.
  void CalcCorrelationRatio(const double* y, const double* x, int64_t n, bool sameVariable,
                            int32_t degree, double meanX, double varX, double meanY, double varY,
                            const double* cachedZ = nullptr,
                            const std::vector<double>* cachedSumZ = nullptr);
  void CalcPartialCoefficients(double cXX, double cYY, double cYX);

  // The steps shared with the batch engine.
  void SetConditionalExpectation(const double* y, int64_t n, const TConditionalPoints& points);
  void SetRankCorrelation(int64_t n, const TMidRanks& ranksY, const TMidRanks& ranksX, TInt128 d4);
  void SetRegressionCoef();
  void SetCorrelationRatio(const TCorrRatioFit& fit, float scaling);
  void SetSameVariableRatio();
};

}  // namespace tesvane
