// What the result list, the details page and the charts show of a result
// item, as texts and numbers, apart from the widgets that show them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sample_store.h"
#include "sensitivity_item.h"

namespace tesvane {

// A number through ResultFormat ("%.<p>f" or "%.<p>e"), in the C locale
// whatever the user's locale, from the value widened to double.
std::string FormatResult(double value, const TResultFormat& format = ResultFormat);
// "%.<p>f" for number format 0, "%.<p>e" otherwise.
std::string ResultFormatString(int32_t precision, int32_t numberFormat);

// The result list's columns, 1-based as the settings keys count them.
inline constexpr int32_t ResultListColumns = 14;
extern const char* const ResultColumnTitles[ResultListColumns];
// The fourteen cell texts of an item's row.
std::vector<std::string> ResultRowTexts(const TSensitivityItem& item,
                                        const TResultFormat& format = ResultFormat);
// Whether a cell of the list (column n, 1-based) is painted red: 10 a failed
// fit, 11 a linearity index that is not >= 0, 12 |partial correlation| > 1.
bool ResultCellFlagged(const TSensitivityItem& item, int32_t column);

// The exchange sort of the result list: for each position i and each later
// position j the two are exchanged when out of order (equal keys never).
// `compare(a, b)` compares the keys of the rows now at a and b (< 0, 0, > 0)
// by their original indices. Returns the new order: entry r is the original
// index of the row that ends at position r.
std::vector<int32_t> ExchangeSortOrder(int32_t count, bool ascending,
                                       const std::function<int(int32_t, int32_t)>& compare);
// The sort key of column c (0-based; -1 the row numbers) for the value columns
// 2..13: entry c - 2 of GetResults.
double ResultSortValue(TSensitivityItem& item, int32_t column);

// The details page: the fifteen rows of labels and values.
struct TDetailRow {
  std::string Label;
  std::string Value;
};
inline constexpr int32_t DetailRowCount = 15;
std::vector<TDetailRow> DetailRows(const TSensitivityItem& item,
                                   const TResultFormat& format = ResultFormat);
// The generic labels of the empty details grid.
std::vector<std::string> DetailLabels();
// Whether a detail row (1-based) is painted red: 11, 12 and 13 by the rules of the list.
bool DetailRowFlagged(const TSensitivityItem& item, int32_t row);
// The explanatory names: the item's names from the second one on, without
// every name equal to the base name, joined by ", ".
std::string ExplanatoryText(const TSensitivityItem& item);

// The polynomial line as fragments: the visible text is their concatenation.
enum class TPolyFragment { Plain, Name, Exponent };
struct TPolyPiece {
  std::string Text;
  TPolyFragment Kind = TPolyFragment::Plain;
};
std::vector<TPolyPiece> PolynomialPieces(const std::vector<double>& coefs,
                                         const std::string& predicted, const std::string& base,
                                         const TResultFormat& format = ResultFormat);
std::string PolynomialText(const std::vector<double>& coefs, const std::string& predicted,
                           const std::string& base, const TResultFormat& format = ResultFormat);

// The charts' data.
struct TPoint2 {
  double X = 0, Y = 0;
};
// The polynomial's value by Horner's rule (coefficients from degree 0 up).
double HornerValue(const std::vector<double>& coefs, double x);
// 100 points from BaseMin to BaseMax (x99 exactly BaseMax) on the polynomial.
std::vector<TPoint2> PolynomialFitPoints(const TSensitivityItem& item);
// The regression line at BaseMin and BaseMax through (MeanBase, MeanPredicted).
std::vector<TPoint2> RegressionLinePoints(const TSensitivityItem& item);
// Points of the scatter chart: all samples for 0, else at most `limit`.
int64_t ScatterPointCount(int64_t samples, int32_t limit);
// Whether "Polynomial fit" is shown: more than DiscreteThreshold distinct base values.
inline bool ShowPolynomialFit(const TSensitivityItem& item) {
  return item.BaseDistinct > DiscreteThreshold;
}

}  // namespace tesvane
