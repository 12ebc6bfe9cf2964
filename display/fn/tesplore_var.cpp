#include "fn/tesplore_var.h"

#include <algorithm>
#include <cmath>

namespace fn {

CTesploreVar::CTesploreVar() : ActiveRange(&Range) {}

CTesploreVar::CTesploreVar(const CTesploreVar& other)
    : IsInput(other.IsInput),
      ViewIndex(other.ViewIndex),
      DatasetKind(other.DatasetKind),
      MinDensity(other.MinDensity),
      MaxDensity(other.MaxDensity),
      InvDensitySpan(other.InvDensitySpan),
      DensityScale(other.DensityScale),
      InvDensitySum(other.InvDensitySum),
      Range(other.Range),
      // A copy uses its own range unless the source works on another one.
      ActiveRange(other.ActiveRange == &other.Range ? &Range : other.ActiveRange),
      Name(other.Name),
      Description(other.Description),
      VarType(other.VarType),
      IsOutput(other.IsOutput),
      Samples(other.Samples),
      Min(other.Min),
      Max(other.Max),
      Span(other.Span) {
  std::copy(other.Quantiles, other.Quantiles + kNumQuantiles, Quantiles);
}

CTesploreVar::~CTesploreVar() { ReleaseEstimators(); }

void CTesploreVar::Resize(std::size_t n) {
  Samples.resize(n, 0.0f);
  ReleaseEstimators();
}

void CTesploreVar::ComputeQuantiles() {
  const std::size_t n = Samples.size();
  if (n == 0) return;
  std::vector<float> s(Samples);
  std::sort(s.begin(), s.end());
  Min = s[0];
  Max = s[n - 1];
  Span = Max - Min;
  const double nd = static_cast<double>(n);
  Quantiles[0] = s[static_cast<std::size_t>(nd * 0.0025)];
  for (std::size_t i = 1; i <= 99; ++i) {
    std::size_t q = i * n / 100;
    std::size_t index = q >= 2 ? q - 1 : (q == 1 ? 1 : 0);
    Quantiles[i] = s[index];
  }
  double last = nd * (1 - 0.0025) - 1;
  Quantiles[100] = s[last > 0 ? static_cast<std::size_t>(last) : 0];
}

float CTesploreVar::PercentileRank(std::size_t i) const {
  const float v = Samples[i];
  if (v <= Quantiles[0]) return 0.0f;
  if (v > Quantiles[99]) return 1.0f;
  int lo = 0, hi = 99;  // Quantiles[lo] < v <= Quantiles[hi]
  while (hi - lo > 1) {
    int mid = (lo + hi) / 2;
    if (Quantiles[mid] < v) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return static_cast<float>((lo + 1) * 0.01);
}

float CTesploreVar::NaturalScale(std::size_t i) const {
  const float v = Samples[i];
  if (Span == 0.0f) return v - Min;
  return (v - Min) / Span;
}

float CTesploreVar::LogScale(std::size_t i) const {
  double lo = Min, hi = Max, x = Samples[i];
  if (lo < 0.0) {
    hi -= lo;
    x -= lo;
    lo = 0.0;
  }
  double d = std::log(hi + 1.0) - std::log(lo + 1.0);
  if (d == 0.0) return 0.0f;
  return static_cast<float>((std::log(x + 1.0) - std::log(lo + 1.0)) / d);
}

float CTesploreVar::PercentileIndex(std::size_t i) const {
  const float v = Samples[i];
  int index = 0;
  while (index < kNumQuantiles && v > Quantiles[index]) ++index;
  return static_cast<float>(index);
}

float CTesploreVar::NaturalPercent(std::size_t i) const { return 100.0f * NaturalScale(i); }

float CTesploreVar::LogPercent(std::size_t i) const { return 100.0f * LogScale(i); }

void CTesploreVar::ReleaseEstimators() {
  Bins.reset();
  DensityEstimate.reset();
  Data.reset();
}

float CTesploreVar::Scaled(std::size_t i, std::int32_t cobweb_scale) const {
  if (cobweb_scale == 0) return PercentileIndex(i);
  if (cobweb_scale == 1) return NaturalPercent(i);
  return LogPercent(i);
}

void CTesploreVar::BuildDataset(std::int32_t count, std::int32_t kind,
                                const std::vector<bool>& mask, const CTesploreVar& partner,
                                std::int32_t cobweb_scale) {
  ReleaseEstimators();
  Data = std::make_unique<stats::Dataset>(count, 1);
  DatasetKind = kind;
  const std::size_t n = Samples.size();
  std::int32_t written = 0;
  if (kind == DatasetMarginals || kind == DatasetCobwebs) {
    const std::size_t limit = std::min(n, mask.size());
    const std::size_t partner_n = partner.Samples.size();
    for (std::size_t j = 0; j < limit && written < count; ++j) {
      if (!mask[j]) continue;
      double value;
      if (kind == DatasetMarginals) {
        value = PercentileIndex(j);
      } else {
        double other = j < partner_n ? partner.Scaled(j, cobweb_scale) : Scaled(j, cobweb_scale);
        value = (Scaled(j, cobweb_scale) + other) * 0.5;
      }
      Data->SetValue(written++, 0, value);
    }
  } else {
    for (std::size_t j = 0; j < n && written < count; ++j) {
      Data->SetValue(written++, 0, NaturalScale(j) * 100.0 + 100.0);
    }
  }
}

void CTesploreVar::BuildEstimators(std::int32_t points, float smoothing) {
  if (smoothing == 0.0f || !Data) return;
  std::int32_t n = 1;
  while (n < points && n < (1 << 24)) n <<= 1;
  DensityEstimate.reset();
  Bins.reset();
  if (DatasetKind != DatasetCobwebs && DatasetKind != DatasetMarginals) {
    const double h = 5.0 * smoothing;
    if (Data->NumPoints() > 0 && Data->ColumnMax(0) == Data->ColumnMin(0)) {
      Data->SetValue(0, 0, Data->GetValue(0, 0) + h);
    }
    Bins = std::make_unique<stats::Histogram>(Data.get(), 1.0, 100.0, 0);
    Bins->SetBinWidth(h);
    DensityEstimate = std::make_unique<stats::KernelEstimator>(Data.get(), n, h, 0, 0.0, 0.0);
  } else {
    DensityEstimate =
        std::make_unique<stats::KernelEstimator>(Data.get(), n, smoothing, 0, 0.0, 0.0);
    DensityEstimate->SetLowerBound(-1.0);
    DensityEstimate->SetUpperBound(101.0);
  }
  NormalizeDensity();
}

std::int32_t CTesploreVar::NormalizeDensity() {
  if (!DensityEstimate) return 0;
  const std::int32_t m = DensityEstimate->noPoints();
  double max_density = -3.4028235e38;
  double sum = 0.0;
  std::int32_t peak = 0;
  double x0 = 0.0, x_last = 0.0;
  for (std::int32_t k = 0; k < m; ++k) {
    double x, y;
    DensityEstimate->GridPoint(k, x, y);
    if (k == 0) x0 = x;
    if (k == m - 1) x_last = x;
    if (y > max_density) {
      max_density = y;
      peak = k;
    }
    sum += y;
  }
  MinDensity = 0.0f;
  double area = m > 0 ? (x_last - x0) * ((static_cast<double>(Max) - Min) * sum) * 0.01 / m : 0.0;
  DensityScale = area != 0.0 ? static_cast<float>(1.0 / area) : 1.0f;
  InvDensitySum = sum != 0.0 ? static_cast<float>(1.0 / sum) : 1.0f;
  MaxDensity = static_cast<float>(DensityScale * max_density);
  MinDensity = DensityScale * 0.0f;
  InvDensitySpan = MaxDensity != MinDensity ? 1.0f / (MaxDensity - MinDensity) : 1.0f;
  return peak;
}

float CTesploreVar::BinHeight(std::int32_t i, std::uint32_t num_samples) const {
  if (!Bins) return 0.0f;
  // The bin width in the variable's units; a constant variable has none, so its
  // one bin counts per dataset unit.
  double width = Bins->GetBinWidth() * static_cast<double>(Span) / 100.0;
  if (!(width > 0.0)) width = Bins->GetBinWidth() > 0.0 ? Bins->GetBinWidth() : 1.0;
  const double n = num_samples > 0 ? num_samples : 1;
  return static_cast<float>(Bins->GetCount(i) / (n * width));
}

float CTesploreVar::MaxBinHeight(std::uint32_t num_samples) const {
  if (!Bins) return -1.0f;
  float height = 0.0f;
  for (std::int32_t i = 0; i < Bins->GetNumBins(); ++i) {
    height = std::max(height, BinHeight(i, num_samples));
  }
  return height;
}

}  // namespace fn
