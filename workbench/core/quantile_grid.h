// The grid of user-defined quantiles of the simulation dialog, without the
// widget: one row per output, eight targets stored in the engine's table,
// the row status that colours the cells, the status text of the current
// cell, the Tab and Shift+Tab targets and the check made before a run.
#pragma once

#include <string>
#include <vector>

namespace tesmira::wb {

class IPrompt;

constexpr int kQuantileTargets = 8;

struct TQuantileRowStatus {
  int InvalidColumn = 0;  // target at which validation failed, 0 for none
  int FirstMissing = 0;   // first target not set, 0 for none
};

enum class TQuantileColour { Normal, Red, Blue };

struct TGridCell {
  int Row = 1;     // 1-based data row
  int Column = 1;  // 1..8
};

class TQuantileGrid {
 public:
  // Rows named after the outputs (UTF-8), in order.
  void SetOutputs(std::vector<std::string> outputs);
  const std::vector<std::string>& Outputs() const { return outputs_; }
  int RowCount() const { return static_cast<int>(outputs_.size()); }
  const TQuantileRowStatus& Status(int row) const { return status_[row - 1]; }

  // Allocates the engine's table; the number of targets.
  static int Allocate();
  // The cell's text: empty for a target not set, else the workbench's number format.
  std::string CellText(int row, int column) const;
  // Stores what was typed (no number: not set).
  void SetCellText(int row, int column, const std::string& text);
  // Re-validates the row; with mark a failure records its column. True when
  // the row validated.
  bool RefreshRowStatus(int row, bool mark);
  // 0 fine, 1 non-increasing, 2 orphan, 3 outside (0, 1).
  int CellStatus(int row, int column) const;
  static const char* CellStatusText(int status);
  TQuantileColour CellColour(int row, int column) const;

  void ResetRow(int row);
  void ResetAll();

  // Where Tab and Shift+Tab go from a cell; cellEmpty tells whether a
  // cell's text is empty.
  TGridCell TabTarget(TGridCell from) const;
  TGridCell BacktabTarget(TGridCell from) const;

  // Validates every row; at the first failure asks whether to run anyway and
  // reports the failing cell. True when the run goes on.
  bool CheckUserQuantiles(IPrompt& prompt, TGridCell* failing = nullptr);

 private:
  double Target(int row, int column) const;
  std::vector<std::string> outputs_;
  std::vector<TQuantileRowStatus> status_;
};

}  // namespace tesmira::wb
