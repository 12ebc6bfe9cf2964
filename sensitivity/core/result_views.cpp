#include "result_views.h"

#include <charconv>
#include <cmath>

namespace tesvane {

std::string ResultFormatString(int32_t precision, int32_t numberFormat) {
  return "%." + std::to_string(precision) + (numberFormat == 0 ? "f" : "e");
}

std::string FormatResult(double value, const TResultFormat& format) {
  const bool scientific = !format.FormatString.empty() && format.FormatString.back() == 'e';
  int32_t precision = format.Precision;
  if (precision < 0) precision = 0;
  if (precision > 30) precision = 30;
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[400];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value,
                         scientific ? std::chars_format::scientific : std::chars_format::fixed,
                         precision);
  return std::string(buffer, r.ec == std::errc() ? r.ptr : buffer);
}

// clang-format off
const char* const ResultColumnTitles[ResultListColumns] = {
    "Names|Predicted;variable",
    "Names|Base;variable",
    "Standard statistic|E[Predicted;variable]",
    "Standard statistic|E[Base;variable]",
    "Standard statistic|Std[Predicted;variable]",
    "Standard statistic|Std[Base;variable]",
    "Extended statistic|Product;moment;correlation",
    "Extended statistic|Rank;correlation",
    "Extended statistic|Regression;coefficient",
    "Extended statistic|Correlation;ratio",
    "Extended statistic|Linearity;index",
    "Extended statistic|Partial;correlation;coefficient",
    "Extended statistic|Partial;regression;coefficient",
    "Extended statistic|Multiple;correlation;coefficient",
};
// clang-format on

namespace {
double Std(float variance) { return std::sqrt(static_cast<double>(variance)); }
double D(float v) { return static_cast<double>(v); }
}  // namespace

std::vector<std::string> ResultRowTexts(const TSensitivityItem& item, const TResultFormat& format) {
  auto f = [&](double v) { return FormatResult(v, format); };
  return {item.PredictedName(),         item.BaseName(),
          f(D(item.MeanPredicted)),     f(D(item.MeanBase)),
          f(Std(item.VarPredicted)),    f(Std(item.VarBase)),
          f(D(item.Correlation)),       f(D(item.RankCorrelation)),
          f(D(item.RegressionCoef)),    f(D(item.CorrRatio)),
          f(D(item.LinearityIndex)),    f(D(item.PartialCorrelation)),
          f(D(item.PartialRegression)), f(D(item.MultipleCorrelation))};
}

bool ResultCellFlagged(const TSensitivityItem& item, int32_t column) {
  switch (column) {
    case 10: return item.FitStatus < 0;
    case 11: return !(item.LinearityIndex >= 0);
    case 12: return std::fabs(item.PartialCorrelation) > 1;
    default: return false;
  }
}

std::vector<int32_t> ExchangeSortOrder(int32_t count, bool ascending,
                                       const std::function<int(int32_t, int32_t)>& compare) {
  std::vector<int32_t> order(static_cast<size_t>(count > 0 ? count : 0));
  for (int32_t i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
  for (int32_t i = 0; i + 1 < count; ++i) {
    for (int32_t j = i + 1; j < count; ++j) {
      const int c = compare(order[static_cast<size_t>(i)], order[static_cast<size_t>(j)]);
      if (ascending ? c > 0 : c < 0)
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(j)]);
    }
  }
  return order;
}

double ResultSortValue(TSensitivityItem& item, int32_t column) {
  if (item.ResultVector.size() != 12) item.GetResults();
  if (column < 2 || column > 13) return 0;
  return item.ResultVector[static_cast<size_t>(column - 2)];
}

std::vector<std::string> DetailLabels() {
  return {"Number of samples",          "Scaling factor",
          "Base variable discrete",     "E[Predicted variable]",
          "E[Base variable]",           "Std[Predicted variable]",
          "Std[Base variable]",         "Product moment correlation",
          "Rank correlation",           "Regression coefficient",
          "Correlation ratio",          "Linearity index",
          "Partial correlation coeff.", "Partial regression coeff.",
          "Multiple correlation coeff."};
}

std::vector<TDetailRow> DetailRows(const TSensitivityItem& item, const TResultFormat& format) {
  auto f = [&](double v) { return FormatResult(v, format); };
  std::vector<std::string> labels = DetailLabels();
  labels[3] = "E[" + item.PredictedName() + "]";
  labels[4] = "E[" + item.BaseName() + "]";
  labels[5] = "Std[" + item.PredictedName() + "]";
  labels[6] = "Std[" + item.BaseName() + "]";
  const std::vector<std::string> values = {std::to_string(item.SampleCount),
                                           f(D(item.ScalingFactor)),
                                           item.BaseDistinct <= DiscreteThreshold ? "YES" : "NO",
                                           f(D(item.MeanPredicted)),
                                           f(D(item.MeanBase)),
                                           f(Std(item.VarPredicted)),
                                           f(Std(item.VarBase)),
                                           f(D(item.Correlation)),
                                           f(D(item.RankCorrelation)),
                                           f(D(item.RegressionCoef)),
                                           f(D(item.CorrRatio)),
                                           f(D(item.LinearityIndex)),
                                           f(D(item.PartialCorrelation)),
                                           f(D(item.PartialRegression)),
                                           f(D(item.MultipleCorrelation))};
  std::vector<TDetailRow> rows;
  for (int32_t r = 0; r < DetailRowCount; ++r)
    rows.push_back({labels[static_cast<size_t>(r)], values[static_cast<size_t>(r)]});
  return rows;
}

bool DetailRowFlagged(const TSensitivityItem& item, int32_t row) {
  return row >= 11 && row <= 13 && ResultCellFlagged(item, row - 1);
}

std::string ExplanatoryText(const TSensitivityItem& item) {
  std::string text;
  for (size_t i = 1; i < item.Names.size(); ++i) {
    if (item.Names[i] == item.BaseName()) continue;
    if (!text.empty()) text += ", ";
    text += item.Names[i];
  }
  return text;
}

std::vector<TPolyPiece> PolynomialPieces(const std::vector<double>& coefs,
                                         const std::string& predicted, const std::string& base,
                                         const TResultFormat& format) {
  std::vector<TPolyPiece> pieces;
  auto plain = [&](std::string text) { pieces.push_back({std::move(text), TPolyFragment::Plain}); };
  auto name = [&](std::string text) { pieces.push_back({std::move(text), TPolyFragment::Name}); };
  plain("E[");
  name(predicted);
  plain("|");
  name(base);
  plain("] =");
  for (size_t j = 0; j < coefs.size(); ++j) {
    const double c = coefs[j];
    std::string sign = !(c >= 0) ? "-" : (j > 0 ? "+" : "");
    const std::string v = FormatResult(std::fabs(c), format);
    if (j == 0) {
      plain(" " + sign + v);
    } else {
      plain(" " + sign + " " + v);
      name(base);
      if (j >= 2) pieces.push_back({std::to_string(j), TPolyFragment::Exponent});
    }
  }
  return pieces;
}

std::string PolynomialText(const std::vector<double>& coefs, const std::string& predicted,
                           const std::string& base, const TResultFormat& format) {
  std::string text;
  for (const TPolyPiece& p : PolynomialPieces(coefs, predicted, base, format)) text += p.Text;
  return text;
}

double HornerValue(const std::vector<double>& coefs, double x) {
  double v = 0;
  for (size_t j = coefs.size(); j-- > 0;) v = v * x + coefs[j];
  return v;
}

std::vector<TPoint2> PolynomialFitPoints(const TSensitivityItem& item) {
  std::vector<TPoint2> points(100);
  const double x0 = item.BaseMin, x99 = item.BaseMax;
  const double step = (x99 - x0) / 99;
  double x = x0;
  for (int i = 0; i < 100; ++i) {
    if (i == 99)
      x = x99;
    else if (i > 0)
      x += step;
    points[static_cast<size_t>(i)] = {x, HornerValue(item.PolyCoefs, x)};
  }
  return points;
}

std::vector<TPoint2> RegressionLinePoints(const TSensitivityItem& item) {
  auto at = [&](double x) {
    return TPoint2{x, D(item.MeanPredicted) + D(item.RegressionCoef) * (x - D(item.MeanBase))};
  };
  return {at(item.BaseMin), at(item.BaseMax)};
}

int64_t ScatterPointCount(int64_t samples, int32_t limit) {
  if (limit <= 0) return samples;
  return std::min<int64_t>(samples, limit);
}

}  // namespace tesvane
