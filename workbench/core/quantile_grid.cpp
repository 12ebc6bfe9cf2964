#include "quantile_grid.h"

#include <cmath>

#include "cp437.h"
#include "model_helpers.h"
#include "services.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/records.h"
#include "utilities.h"

namespace tesmira::wb {

namespace {

bool Missing(double x) { return std::fabs(x - MissingValue) < 1e-10; }

}  // namespace

void TQuantileGrid::SetOutputs(std::vector<std::string> outputs) {
  outputs_ = std::move(outputs);
  status_.assign(outputs_.size(), {});
}

int TQuantileGrid::Allocate() {
  int32_t k = 0;
  return Process_user_quantiles("", &k, nullptr, 0) > 0 ? k : 0;
}

double TQuantileGrid::Target(int row, int column) const {
  int32_t k = column;
  double x = MissingValue;
  const std::string name = Utf8ToCp437(outputs_[row - 1]);
  if (Process_user_quantiles(name.c_str(), &k, &x, 1) < 0) return MissingValue;
  return IsMissingValue(x) ? MissingValue : x;
}

std::string TQuantileGrid::CellText(int row, int column) const {
  const double x = Target(row, column);
  return Missing(x) ? std::string() : FormatNumber(static_cast<double>(static_cast<float>(x)));
}

void TQuantileGrid::SetCellText(int row, int column, const std::string& text) {
  double x = MissingValue;
  if (!IsMissingText(text) && !TryParseNumber(x, text)) x = MissingValue;
  int32_t k = column;
  const std::string name = Utf8ToCp437(outputs_[row - 1]);
  Process_user_quantiles(name.c_str(), &k, &x, 2);
}

bool TQuantileGrid::RefreshRowStatus(int row, bool mark) {
  TQuantileRowStatus& s = status_[row - 1];
  int32_t k = 0;
  const std::string name = Utf8ToCp437(outputs_[row - 1]);
  const int32_t result = Process_user_quantiles(name.c_str(), &k, nullptr, 3);
  const bool valid = result >= 0;
  if (!valid && mark) s.InvalidColumn = k;
  if (valid) s.InvalidColumn = 0;
  s.FirstMissing = 0;
  for (int c = 1; c <= kQuantileTargets; ++c)
    if (Missing(Target(row, c))) {
      s.FirstMissing = c;
      break;
    }
  return valid;
}

int TQuantileGrid::CellStatus(int row, int column) const {
  const double x = Target(row, column);
  const double p = column >= 2 ? Target(row, column - 1) : x - 1;
  if (Missing(p) && !Missing(x)) return 2;
  if (!Missing(x) && p >= x) return 1;
  if (Missing(x) || (x > 0 && x < 1)) return 0;
  return 3;
}

const char* TQuantileGrid::CellStatusText(int status) {
  switch (status) {
    case 1: return "Non-increasing quantile!";
    case 2: return "An orphan UDQ: will be ignored during simulation";
    case 3: return "The qantile value is not within (0, 1) interval!";
    default: return "Press run to start the simulation.";
  }
}

TQuantileColour TQuantileGrid::CellColour(int row, int column) const {
  const TQuantileRowStatus& s = status_[row - 1];
  if (s.FirstMissing > 0 && column >= s.FirstMissing) return TQuantileColour::Blue;
  if (s.InvalidColumn > 0 && column >= s.InvalidColumn) return TQuantileColour::Red;
  return TQuantileColour::Normal;
}

void TQuantileGrid::ResetRow(int row) {
  for (int c = 1; c <= kQuantileTargets; ++c) SetCellText(row, c, "");
  RefreshRowStatus(row, true);
}

void TQuantileGrid::ResetAll() {
  for (int r = 1; r <= RowCount(); ++r) ResetRow(r);
}

TGridCell TQuantileGrid::TabTarget(TGridCell from) const {
  bool restEmpty = true;
  for (int c = from.Column; c <= kQuantileTargets && restEmpty; ++c)
    restEmpty = Missing(Target(from.Row, c));
  if (from.Column >= kQuantileTargets || restEmpty)
    return {from.Row >= RowCount() ? 1 : from.Row + 1, 1};
  return {from.Row, from.Column + 1};
}

TGridCell TQuantileGrid::BacktabTarget(TGridCell from) const {
  if (from.Column > 1) return {from.Row, from.Column - 1};
  const int row = from.Row <= 1 ? RowCount() : from.Row - 1;
  // Column count is targets + 1; the search stops at its value minus 2.
  int c = 1;
  while (c < kQuantileTargets - 1 && !Missing(Target(row, c))) ++c;
  return {row, c};
}

bool TQuantileGrid::CheckUserQuantiles(IPrompt& prompt, TGridCell* failing) {
  for (int r = 1; r <= RowCount(); ++r) {
    int32_t k = 0;
    const std::string name = Utf8ToCp437(outputs_[r - 1]);
    const int32_t result = Process_user_quantiles(name.c_str(), &k, nullptr, 3);
    if (result >= 0) continue;
    if (failing) *failing = {r, k < 1 ? 1 : k};
    const std::string what = result == -4 ? "qunatiles with values not in (0, 1) interval."
                                          : "non-increasing target quantiles.";
    return prompt.Ask(TMessageKind::Warning,
                      "The User Defined Quantiles matrix contains " + what +
                          "\n\rThis will result in incorrect user-defined quantiles "
                          "generated.\n\rAre you sure you want to run simulation?",
                      BtnYesNo) == TAnswer::Yes;
  }
  return true;
}

}  // namespace tesmira::wb
