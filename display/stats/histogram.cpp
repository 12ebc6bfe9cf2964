#include "stats/histogram.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <string>

#include "stats/report.h"

namespace stats {
namespace {

constexpr double kMaxBins = 1 << 24;

// The text printf's "%g" gives in the C locale, whatever locale the program set.
std::string GeneralText(double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 6);
  return std::string(buf, r.ptr);
}

// trunc(floor(span) / width) + 1, kept to a bin count that can be allocated.
std::int32_t BinsForSpan(double span, double width) {
  double bins = std::trunc(std::floor(span) / width) + 1.0;
  if (!(bins >= 1.0)) return 1;
  if (bins > kMaxBins) {
    ReportError("Histogram: %s bins requested, using %s in %s, line %d\n",
                GeneralText(bins).c_str(), GeneralText(kMaxBins).c_str(), "histogrm", 40);
    return static_cast<std::int32_t>(kMaxBins);
  }
  return static_cast<std::int32_t>(bins);
}

}  // namespace

Histogram::Histogram(Dataset* data, double w, double x0, std::int32_t column) : Estimator(data) {
  double min = data ? data->ColumnMin(0) : 0.0;
  double max = data ? data->ColumnMax(0) : 0.0;
  NumBins = (w > 0.0) ? BinsForSpan(max - min, w) : 1;
  Origin = x0 + (std::floor(min - x0) / w) * w;
  if (!std::isfinite(Origin)) Origin = min;
  Column = column;
  Min = min;
  Max = max;
  SetBinWidth(w);
}

void Histogram::SetNumBinsFromSpan() {
  double span = Data ? Data->ColumnMax(0) - Data->ColumnMin(0) : 0.0;
  NumBins = BinWidth > 0.0 ? BinsForSpan(span, BinWidth) : 1;
}

void Histogram::SetBinWidth(double w) {
  if (w == BinWidth) return;
  BinWidth = (w > 0.0 && w <= Max - Min) ? w : Max - Min;
  SetNumBinsFromSpan();
  Compute();
}

void Histogram::Compute() {
  try {
    Counts.assign(static_cast<std::size_t>(NumBins), 0);
  } catch (const std::bad_alloc&) {
    Counts.clear();
    ReportError("Histogram: Could not allocate %d bins in %s, line %d\n", NumBins, "histogrm", 65);
    MaxCount = 0.0;
    return;
  }
  MaxCount = 0.0;
  if (!Data || NumBins <= 0) return;
  const Vector& values = Data->Column(Column);
  const double last = NumBins - 1;
  const double denominator = NumBins * BinWidth;
  for (std::int32_t i = 0; i < values.Size(); ++i) {
    double b = std::floor(NumBins * (values[i] - Origin) / denominator);
    if (!(b >= 0.0)) b = 0.0;  // below the origin, or no width
    if (b > last) b = last;
    ++Counts[static_cast<std::size_t>(b)];
  }
  MaxCount = *std::max_element(Counts.begin(), Counts.end());
}

std::int32_t Histogram::GetCount(std::int32_t i) const {
  if (i < 0 || i >= static_cast<std::int32_t>(Counts.size())) return 0;
  return Counts[static_cast<std::size_t>(i)];
}

}  // namespace stats
