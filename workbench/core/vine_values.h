// The values of vine cells as the dependence panel edits them: what the name
// and correlation edits show for the current cell, and applying one entered
// value to every selected cell as one undoable step.
#pragma once

#include <string>
#include <vector>

#include "dependence_values.h"

namespace tesmira::wb {

class TWorkbench;

// A vine cell's node and vine level (tree).
struct TVineTarget {
  void* Node = nullptr;
  int Level = 0;
  bool operator==(const TVineTarget&) const = default;
};

// What the edits show for a vine view's current cell: its label; for a
// correlation cell its value, "0.0" when unset, unavailable or 0.
TSelectionDescription DescribeVineCell(bool hasCell, const std::string& label, bool nameCell,
                                       double value);

// Applies the correlation edit's text to the cells (duplicates are applied
// once). Every changed cell records its old value (and, in tree 1, the
// node's correlation with its parent) in one undo group, so one undo
// restores them all; a single cell edited again right after its last change
// keeps the first old value. A value the engine's check refuses is marked
// and applied nowhere.
TApplyOutcome ApplyVineCorrelation(TWorkbench& wb, const std::vector<TVineTarget>& cells,
                                   const std::string& text);

}  // namespace tesmira::wb
