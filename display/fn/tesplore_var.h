#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "fn/var_range.h"
#include "stats/dataset.h"
#include "stats/histogram.h"
#include "stats/kernel_estimator.h"
#include "ut/strings.h"

namespace fn {

// Dataset kinds of BuildDataset: the plot type the values are made for.
enum : std::int32_t { DatasetCobwebs = 0, DatasetMarginals = 1 };

// One variable of the loaded sample set: its samples in file order, minimum,
// maximum and quantile table, the axis scales, its selection range and the
// statistics the plots draw.
class CTesploreVar {
 public:
  static constexpr int kNumQuantiles = 101;

  CTesploreVar();
  // Copies every field; only while no statistics are built (they are not shared).
  CTesploreVar(const CTesploreVar& other);
  CTesploreVar& operator=(const CTesploreVar&) = delete;
  virtual ~CTesploreVar();

  const ut::String& GetName() const { return Name; }
  void SetName(const ut::String& name) { Name = name; }
  const ut::String& GetDescription() const { return Description; }
  void SetDescription(const ut::String& text) { Description = text; }
  std::int32_t GetVarType() const { return VarType; }
  void SetVarType(std::int32_t type) { VarType = type; }
  bool GetIsOutput() const { return IsOutput; }
  void SetIsOutput(bool output) { IsOutput = output; }

  // Grows the samples with zeros or shortens them to n, then releases the statistics.
  void Resize(std::size_t n);
  std::vector<float>& GetSamples() { return Samples; }
  const std::vector<float>& GetSamples() const { return Samples; }
  bool HasSamples() const { return !Samples.empty(); }
  // Minimum, maximum, span and the 101 quantiles; needs at least one sample.
  void ComputeQuantiles();
  float GetMin() const { return Min; }
  float GetMax() const { return Max; }
  float GetSpan() const { return Span; }
  const float* GetQuantiles() const { return Quantiles; }

  // Axis scales of sample i onto [0, 1].
  float PercentileRank(std::size_t i) const;
  float NaturalScale(std::size_t i) const;
  float LogScale(std::size_t i) const;
  // The same scales for cobweb datasets: 0 ... 101 and 0 ... 100.
  float PercentileIndex(std::size_t i) const;
  float NaturalPercent(std::size_t i) const;
  float LogPercent(std::size_t i) const;

  void ReleaseEstimators();
  // Builds Data for the plot kind: masked percentile indices (marginals), masked
  // heights halfway to the partner's axis (cobwebs), or all samples scaled to
  // 100 ... 200 (other plots).
  void BuildDataset(std::int32_t count, std::int32_t kind, const std::vector<bool>& mask,
                    const CTesploreVar& partner, std::int32_t cobweb_scale);
  // Builds the density estimate (and, except for cobwebs and marginals, the
  // histogram) on the smallest power of two of grid points not below points.
  void BuildEstimators(std::int32_t points, float smoothing);
  // Scales the density; returns the grid index of its peak.
  std::int32_t NormalizeDensity();
  // Height of histogram bin i as a density per unit of the variable, for a
  // histogram of num_samples samples: count / (num_samples x bin width in units).
  float BinHeight(std::int32_t i, std::uint32_t num_samples) const;
  // -1 without a histogram, else the largest BinHeight.
  float MaxBinHeight(std::uint32_t num_samples) const;

  bool IsInput = false;
  std::int32_t ViewIndex = 0;
  std::int32_t DatasetKind = 0;
  std::unique_ptr<stats::Dataset> Data;
  std::unique_ptr<stats::KernelEstimator> DensityEstimate;
  std::unique_ptr<stats::Histogram> Bins;
  float MinDensity = 0.0f;
  float MaxDensity = 0.0f;
  float InvDensitySpan = 1.0f;
  float DensityScale = 1.0f;
  float InvDensitySum = 1.0f;
  CVarRange Range;
  CVarRange* ActiveRange;

 private:
  float Scaled(std::size_t i, std::int32_t cobweb_scale) const;

  ut::String Name;
  ut::String Description;
  std::int32_t VarType = 0;
  bool IsOutput = false;
  std::vector<float> Samples;
  float Min = 0.0f;
  float Max = 0.0f;
  float Span = 0.0f;
  float Quantiles[kNumQuantiles] = {};
};

}  // namespace fn
