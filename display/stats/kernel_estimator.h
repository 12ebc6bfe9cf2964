#pragma once

#include <cstdint>
#include <vector>

#include "stats/estimator.h"

namespace stats {

// 35/32 (1 - u^2)^3 for u^2 <= 1, else 0.
double TriweightKernel(double u);

// The linear boundary-kernel weights (w0, w1) at the relative distance p (0 <= p
// < 1) from a support bound, from the partial moments a0, a1, a2 of the
// triweight kernel over [-1, p].
struct BoundaryMoments {
  double a0, a1, a2;
};
BoundaryMoments TriweightPartialMoments(double p);
void BoundaryWeights(double p, double& w0, double& w1);

// Triweight kernel density estimate of one dataset variable on noPoints equally
// spaced grid points from Min - h to Max + h, by linear binning and FFT, with a
// linear boundary-kernel correction near the support bounds LowerBound and
// UpperBound when the data reach to within h of them from inside.
class KernelEstimator : public Estimator {
 public:
  KernelEstimator(Dataset* data, std::int32_t points, double h, std::int32_t column, double lower,
                  double upper);

  void LoadData();
  void SetNoPoints(std::int32_t n);
  void SetBandwidth(double h);
  void SetLowerBound(double lower);
  void SetUpperBound(double upper);
  void Compute() override;

  void GridPoint(std::int32_t k, double& x, double& density) const;
  std::int32_t noPoints() const { return NoPoints; }
  double Bandwidth() const { return Bandwidth_; }
  double GridStart() const { return GridStart_; }
  double GridEnd() const { return GridEnd_; }
  double GridStep() const { return GridStep_; }
  double LowerBound() const { return LowerBound_; }
  double UpperBound() const { return UpperBound_; }
  std::int32_t ComputedNoPoints() const { return ComputedNoPoints_; }
  double ComputedBandwidth() const { return ComputedBandwidth_; }
  const std::vector<double>& Density() const { return Density_; }

 private:
  void BinnedDensity();

  std::int32_t ComputedNoPoints_ = 0;
  double ComputedBandwidth_ = 0.0;
  double GridStep_ = 0.0;
  // The variable's values are read from the dataset, which outlives the
  // estimator; the binning needs no order, only their number and extremes.
  std::int32_t NumData = 0;
  double DataMin = 0.0;  // smallest and largest value, for the bounds test
  double DataMax = 0.0;
  std::vector<double> Density_;
  std::int32_t NoPoints = 0;
  std::int32_t Column = 0;
  double Bandwidth_ = 0.0;
  double GridStart_ = 0.0;
  double GridEnd_ = 0.0;
  double LowerBound_ = 0.0;
  double UpperBound_ = 0.0;
  // Work arrays, kept between computations.
  std::vector<double> Bins, Kernel, Moment, Correction;
};

}  // namespace stats
